# settle_zip_entries(<zip> [TIMES]): makes what CMake's archive writer
# records of the builder in a zip's entries the same for every builder. Each
# entry's Unix extra field ("ux", 11 bytes long, version 1, then a 4-byte
# user id and a 4-byte group id) gets root's user and group, as in the
# Debian package. With TIMES, each entry's "UT" extra field (13 bytes long,
# flags 7, three 4-byte times) also gets its modification time as its access
# and change times. No checksum or size covers either field.
function(settle_zip_entries zip)
  cmake_parse_arguments(Z "TIMES" "" "" ${ARGN})
  set(script "s/ux\\x0b\\x00\\x01\\x04.{4}\\x04.{4}/ux\\x0b\\x00\\x01\\x04\\0\\0\\0\\0\\x04\\0\\0\\0\\0/gs")
  if(Z_TIMES)
    set(script "s/UT\\x0d\\x00\\x07(.{4}).{8}/UT\\x0d\\x00\\x07$1$1$1/gs; ${script}")
  endif()
  execute_process(COMMAND perl -0777 -pi -e "${script}" "${zip}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "cannot settle the owners and times in ${zip}")
  endif()
endfunction()
