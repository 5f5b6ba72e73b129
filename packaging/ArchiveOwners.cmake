# Run by cpack on the Windows archives it has made, before it puts them into
# the package folder: every entry's user and group become root's, as in the
# Debian package, whoever makes them.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/ZipEntries.cmake)
foreach(archive IN LISTS CPACK_PACKAGE_FILES)
  settle_zip_entries(${archive})
endforeach()
