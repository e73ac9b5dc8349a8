# Writes the record of the empty password (the bytes 22 22 0D 0A) to TARGET
# unless a file is already there.
if(NOT EXISTS "${TARGET}")
  get_filename_component(dir "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(WRITE "${TARGET}" "\"\"\r\n")
endif()
