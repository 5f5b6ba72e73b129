# Run by cpack on the Windows archives it has made, before it puts them into
# the package folder: every entry's user and group become root's, as in the
# Debian package, whoever makes them. CMake's archive writer records the
# builder's in each entry's Unix extra field: "ux", 11 bytes long, version
# 1, then a 4-byte user id and a 4-byte group id; no checksum or size
# covers them.
foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND perl -0777 -pi -e "s/ux\\x0b\\x00\\x01\\x04.{4}\\x04.{4}/ux\\x0b\\x00\\x01\\x04\\0\\0\\0\\0\\x04\\0\\0\\0\\0/gs" "${archive}"
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot set the owners in ${archive}")
  endif()
endforeach()
