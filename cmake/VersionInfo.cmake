# The resources of a Windows program: its icon, the one tools/ draws as
# build/icons/<target>.ico, and the version resource with product name, file
# description and the project's version, which the file's properties show.
# The icon is the program's first, so Explorer, shortcuts and the taskbar
# show it. Programs built for Linux carry no resources.
#
#     add_version_resource(<target> "<file description>")
function(add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(VERSION_PRODUCT ${target})
  set(VERSION_DESCRIPTION "${description}")
  set(VERSION_FILE_NAME ${target}.exe)
  set(VERSION_ICON ${CMAKE_BINARY_DIR}/icons/${target}.ico)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # The resource compiler reads the icon, drawn during the build.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${VERSION_ICON})
  add_dependencies(${target} icons)
endfunction()
