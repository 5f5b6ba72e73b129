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
# The builder's user and group, and the access and change times CMake's
# archive writer adds, become root's and the one time given.
include(${CMAKE_CURRENT_LIST_DIR}/ZipEntries.cmake)
settle_zip_entries(${OUTPUT} TIMES)
