# The libraries the layer needs in a page, SDL2 and FreeType, compiled for
# the browser from Debian's source packages (scripts/install-deps --web
# fetches them into build-web/debian-sources/). Each is built once, while
# this project is configured, into build-web/third-party/<name>/, and found
# there afterwards; emscripten's own ports would be downloaded, so they are
# not used.
set(GEMS_WEB_SOURCES "${CMAKE_BINARY_DIR}/debian-sources" CACHE PATH
    "Debian's source packages of SDL2 and FreeType, unpacked (scripts/fetch-web-sources)")
set(web_third_party "${CMAKE_BINARY_DIR}/third-party")

# web_dependency(<name> <source folder> <library file> <cmake options...>)
# Configures, builds and installs the source folder under the emscripten
# toolchain unless its library is installed already.
function(web_dependency name source library)
  set(prefix "${web_third_party}/${name}")
  if(EXISTS "${prefix}/${library}")
    return()
  endif()
  if(NOT EXISTS "${source}/CMakeLists.txt")
    message(FATAL_ERROR "${source} is missing: run scripts/install-deps --web")
  endif()
  message(STATUS "Building ${name} for the browser from ${source} (once; a few minutes)")
  set(build "${prefix}-build")
  file(MAKE_DIRECTORY "${web_third_party}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S "${source}" -B "${build}" -G Ninja
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${prefix} -DBUILD_SHARED_LIBS=OFF ${ARGN}
    OUTPUT_FILE "${prefix}-configure.log" ERROR_FILE "${prefix}-configure.log"
    RESULT_VARIABLE failed)
  if(NOT failed)
    execute_process(COMMAND ${CMAKE_COMMAND} --build "${build}" --parallel 2 --target install
                    OUTPUT_FILE "${prefix}-build.log" ERROR_FILE "${prefix}-build.log"
                    RESULT_VARIABLE failed)
  endif()
  if(failed OR NOT EXISTS "${prefix}/${library}")
    message(FATAL_ERROR "${name} did not build for the browser; see ${prefix}-*.log")
  endif()
endfunction()

# SDL: video and events only; no threads, which a page without special
# headers cannot have.
web_dependency(sdl2 "${GEMS_WEB_SOURCES}/libsdl2" lib/libSDL2.a
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON -DSDL_THREADS=OFF
  -DSDL_PTHREADS=OFF -DSDL_AUDIO=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_SENSOR=OFF
  -DSDL_POWER=OFF -DSDL_HIDAPI=OFF)
# FreeType: TrueType outlines, none of the optional compression or shaping.
web_dependency(freetype "${GEMS_WEB_SOURCES}/freetype" lib/libfreetype.a
  -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON
  -DFT_DISABLE_BROTLI=ON)

add_library(SDL2::SDL2 STATIC IMPORTED GLOBAL)
set_target_properties(SDL2::SDL2 PROPERTIES
  IMPORTED_LOCATION "${web_third_party}/sdl2/lib/libSDL2.a"
  INTERFACE_INCLUDE_DIRECTORIES "${web_third_party}/sdl2/include")
add_library(Freetype::Freetype STATIC IMPORTED GLOBAL)
set_target_properties(Freetype::Freetype PROPERTIES
  IMPORTED_LOCATION "${web_third_party}/freetype/lib/libfreetype.a"
  INTERFACE_INCLUDE_DIRECTORIES "${web_third_party}/freetype/include/freetype2")
