# cmake -DOUTPUT=<zip> -P WebZip.cmake, run in a page's folder: packs the
# folder's files into <zip> with index.html at its root, as web hosts that
# take a zip want it, the files in the order of their names, every time stamp SOURCE_DATE_EPOCH (by default the time of
# the last commit), so that two builds of one commit make the same bytes.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(
    COMMAND git -C "${CMAKE_CURRENT_LIST_DIR}/.." log -1 --format=%ct
    OUTPUT_VARIABLE commit_time
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
  if(commit_time MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
  endif()
endif()
# The archives' DOS times are local times: those of UTC wherever they are made.
set(ENV{TZ} UTC)
string(TIMESTAMP mtime "%Y%m%d %H:%M:%S UTC" UTC)
file(GLOB files RELATIVE ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/*)
list(SORT files)
file(REMOVE ${OUTPUT})
file(ARCHIVE_CREATE OUTPUT ${OUTPUT} PATHS ${files} FORMAT zip MTIME "${mtime}")
# CMake's archive writer records more of the builder's files than asked:
# their access and change times beside the modification time in each
# entry's "UT" extra field (13 bytes long, flags 7, three 4-byte times),
# and the builder's user and group in its "ux" field. The times become the
# one given, and the owner root, as in the other packages; no checksum or
# size covers them.
execute_process(
  COMMAND perl -0777 -pi -e "s/UT\\x0d\\x00\\x07(.{4}).{8}/UT\\x0d\\x00\\x07$1$1$1/gs; s/ux\\x0b\\x00\\x01\\x04.{4}\\x04.{4}/ux\\x0b\\x00\\x01\\x04\\0\\0\\0\\0\\x04\\0\\0\\0\\0/gs" "${OUTPUT}"
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot settle the times and owners in ${OUTPUT}")
endif()
