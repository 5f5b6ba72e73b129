# The version resource of a Windows program: product name, file description
# and the project's version, which the file's properties show. Programs built
# for Linux carry no resource.
#
#     add_version_resource(<target> "<file description>")
function(add_version_resource target description)
  if(NOT WIN32)
    return()
  endif()
  set(VERSION_PRODUCT ${target})
  set(VERSION_DESCRIPTION "${description}")
  set(VERSION_FILE_NAME ${target}.exe)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/VersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
