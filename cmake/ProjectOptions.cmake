# Compiler settings for the project's own targets.

# Single-precision results must not depend on the platform: SSE2 arithmetic
# on 32-bit x86 (no x87 excess precision) and no fused multiply-add anywhere.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-ffp-contract=off)
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "i[3-6]86")
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
endif()
if(MSVC)
  add_compile_options(/utf-8 /fp:precise)
endif()

# Windows programs carry their runtime with them.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# The same sources give the same programs wherever they are built: paths in
# the debug information and in file-name macros are written relative to the
# build folder, as a compiler cache with a base folder writes them too (the
# last prefix that matches counts), and a Windows program's header carries
# no time stamp.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  file(RELATIVE_PATH source_from_build ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  string(REGEX REPLACE "/$" "" source_from_build "${source_from_build}")  # "../" is ".."
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=${source_from_build}
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
endif()
if(MINGW)
  add_link_options(-Wl,--no-insert-timestamp)
endif()

# Warnings are errors in our code.
function(project_target target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
  endif()
endfunction()

# A program that ships in build/dist/<folder>/ as <name>.exe on every platform
# but the web, where it is <name>.js with its <name>.wasm.
function(add_game_program target folder)
  add_executable(${target} ${ARGN})
  project_target(${target})
  set(suffix ".exe")
  if(EMSCRIPTEN)
    set(suffix ".js")
  endif()
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${target}
    SUFFIX ${suffix}
    RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/dist/${folder}")
  if(WIN32)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
endfunction()

# The sanitize preset: AddressSanitizer and UndefinedBehaviorSanitizer on
# everything built here, libraries, tests and programs alike; the first
# error ends the process. With clang it also builds the fuzz targets.
option(GEMS_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(GEMS_SANITIZE)
  set(sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${sanitizer_flags})
  add_link_options(${sanitizer_flags})
endif()

# The native-es2 preset: the programs' OpenGL 1.1 calls drawn by the layer's
# subset over OpenGL ES 2 (winapi_layer/gl/) instead of the system's OpenGL.
option(GEMS_GL_ES2 "Draw the programs' OpenGL 1.1 through the layer's subset over OpenGL ES 2" OFF)
