# Installing: `cmake --install build --prefix P` puts
#   P/lib/lanhe-designer/   the program folder: the executable, the song and the
#                           password file (the empty password; an existing
#                           password file is never overwritten)
#   P/bin/lanhe-designer    the launcher on the path (a link to the executable;
#                           the program finds its folder through the link)
#   P/share/applications/lanhe-designer.desktop
#   P/share/icons/hicolor/64x64/apps/lanhe-designer.png
include(GNUInstallDirs)
set(LH_INSTALL_PROGRAM_DIR "lib/lanhe-designer" CACHE STRING "Program folder under the install prefix")

install(TARGETS lanhe-designer RUNTIME DESTINATION ${LH_INSTALL_PROGRAM_DIR})
install(FILES "${LH_RUNTIME_DIR}/生日快乐.mp3" DESTINATION ${LH_INSTALL_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/icon/lanhe.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps RENAME lanhe-designer.png)

# The empty password, unless a password file is already there. A component
# of its own: the Debian package leaves it out and makes the file when it is
# installed, so that upgrading the package keeps the password.
install(CODE "
  set(TARGET \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${LH_INSTALL_PROGRAM_DIR}/zrvcom.cct\")
  if(EXISTS \"\${TARGET}\")
    message(STATUS \"Keeping: \${TARGET}\")
  else()
    message(STATUS \"Installing: \${TARGET}\")
  endif()
  include(\"${PROJECT_SOURCE_DIR}/src/login/EmptyPasswordFile.cmake\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${TARGET}\")
" COMPONENT password)

# Everything below is worked out when installing, under the prefix given then.
install(CODE "
  set(lh_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(lh_program_dir \"\${lh_root}/${LH_INSTALL_PROGRAM_DIR}\")

  # The launcher: a relative link, so the installed tree can be moved.
  file(MAKE_DIRECTORY \"\${lh_root}/${CMAKE_INSTALL_BINDIR}\")
  file(RELATIVE_PATH lh_link_target \"\${lh_root}/${CMAKE_INSTALL_BINDIR}\" \"\${lh_program_dir}/lanhe-designer\")
  file(REMOVE \"\${lh_root}/${CMAKE_INSTALL_BINDIR}/lanhe-designer\")
  file(CREATE_LINK \"\${lh_link_target}\" \"\${lh_root}/${CMAKE_INSTALL_BINDIR}/lanhe-designer\" SYMBOLIC)
  message(STATUS \"Installing: \${lh_root}/${CMAKE_INSTALL_BINDIR}/lanhe-designer -> \${lh_link_target}\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${lh_root}/${CMAKE_INSTALL_BINDIR}/lanhe-designer\")

  # The menu entry starts the launcher by its full path.
  set(LH_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/lanhe-designer\")
  configure_file(\"${PROJECT_SOURCE_DIR}/assets/lanhe-designer.desktop.in\"
                 \"\${lh_root}/${CMAKE_INSTALL_DATADIR}/applications/lanhe-designer.desktop\" @ONLY)
  message(STATUS \"Installing: \${lh_root}/${CMAKE_INSTALL_DATADIR}/applications/lanhe-designer.desktop\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${lh_root}/${CMAKE_INSTALL_DATADIR}/applications/lanhe-designer.desktop\")
")

# The Debian package: `cpack -G DEB` in the build folder makes
# lanhe-designer_<version>_<arch>.deb for the prefix /usr. Its dependencies
# on libraries are worked out from what the program links (dpkg-shlibdeps);
# what it loads at run time (the X platform plugin, the SQLite driver, the
# song's decoder, Chinese fonts) is named here. The password file is made by
# the package's postinst when none is there and removed on purge.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "lanhe-designer")
set(CPACK_PACKAGE_VENDOR "Lanhe")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "symmetric art patterns drawn around your photo")
set(CPACK_PACKAGE_DESCRIPTION "A picture designer with a Simplified Chinese interface. On every tick of a
timer it draws a new symmetric art pattern around the user's photo; designs
can be paused on, stamped with greetings, kept, exported and printed.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lanhe maintainers <maintainers@lanhe.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lanhe.invalid/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, libqt6sql6-sqlite, gstreamer1.0-plugins-good, fonts-noto-cjk")
set(LH_DEBIAN_SCRIPTS ${CMAKE_BINARY_DIR}/debian)
# The changelog and the manual page go compressed, as Debian keeps them.
file(MAKE_DIRECTORY ${LH_DEBIAN_SCRIPTS})
foreach(doc changelog lanhe-designer.1)
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/cmake/debian/${doc}
                  OUTPUT_FILE ${LH_DEBIAN_SCRIPTS}/${doc}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${LH_DEBIAN_SCRIPTS}/changelog.gz ${PROJECT_SOURCE_DIR}/cmake/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lanhe-designer)
install(FILES ${LH_DEBIAN_SCRIPTS}/lanhe-designer.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/postinst.in ${LH_DEBIAN_SCRIPTS}/postinst @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/postrm.in ${LH_DEBIAN_SCRIPTS}/postrm @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${LH_DEBIAN_SCRIPTS}/postinst;${LH_DEBIAN_SCRIPTS}/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
