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

# Everything below is worked out when installing, under the prefix given then.
install(CODE "
  set(lh_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(lh_program_dir \"\${lh_root}/${LH_INSTALL_PROGRAM_DIR}\")

  # The empty password, unless a password file is already there.
  set(TARGET \"\${lh_program_dir}/zrvcom.cct\")
  if(EXISTS \"\${TARGET}\")
    message(STATUS \"Keeping: \${TARGET}\")
  else()
    message(STATUS \"Installing: \${TARGET}\")
  endif()
  include(\"${PROJECT_SOURCE_DIR}/src/login/EmptyPasswordFile.cmake\")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${TARGET}\")

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
