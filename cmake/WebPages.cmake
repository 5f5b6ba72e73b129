# The web build's pages: dist/Game/ and dist/Tessel/, each a folder of static
# files that any web server can serve as it is. The folder holds the page
# (index.html and page.js, from winapi_layer/browser/page/), the program
# (<name>.js and <name>.wasm) and the program's own files, served one by one
# so that a site's owner can replace them; the page reads them at start.
set(web_page_dir ${PROJECT_SOURCE_DIR}/winapi_layer/browser/page)

# The face the games' Arial stands for in a page, with its licence.
find_file(GEMS_WEB_FONT LiberationSans-Bold.ttf
  PATHS /usr/share/fonts/truetype/liberation NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(GEMS_WEB_FONT_COPYRIGHT /usr/share/doc/fonts-liberation/copyright)

# add_web_page(<program> FILES <names...> [FONTS <names...>] [KEEP] [KEYS])
# Writes the page of <program>, whose folder is dist/<program>/; FILES are
# the folder's files the page puts beside the program, FONTS the font files
# it puts into /fonts, KEEP makes the browser keep the folder between visits,
# KEYS offers a touch screen's keyboard to a program that takes keys.
function(add_web_page program)
  cmake_parse_arguments(P "KEEP;KEYS" "" "FILES;FONTS" ${ARGN})
  set(dist ${CMAKE_BINARY_DIR}/dist/${program})
  set(names "")
  foreach(name IN LISTS P_FILES)
    string(APPEND names "${names_comma}\"${name}\"")
    set(names_comma ", ")
  endforeach()
  set(fonts "")
  foreach(name IN LISTS P_FONTS)
    string(APPEND fonts "${fonts_comma}\"${name}\"")
    set(fonts_comma ", ")
  endforeach()
  set(keep false)
  if(P_KEEP)
    set(keep true)
  endif()
  set(keys false)
  if(P_KEYS)
    set(keys true)
  endif()
  set(GEMS_PAGE_TITLE ${program})
  set(GEMS_PAGE_CONFIG "{ \"program\": \"${program}\", \"files\": [${names}], \"fonts\": [${fonts}], \"keep\": ${keep}, \"keys\": ${keys} }")
  configure_file(${web_page_dir}/index.html.in ${dist}/index.html @ONLY)
  configure_file(${web_page_dir}/page.js ${dist}/page.js COPYONLY)
endfunction()

# Game's folder: its pictures (tools/), and its settings with the values it
# takes without them, there to be changed.
add_web_page(Game
  FILES 1.bmp 2.bmp 3.bmp 4.bmp 5.bmp 6.bmp arrow.bmp Game.INI)
file(WRITE ${CMAKE_BINARY_DIR}/dist/Game/Game.INI
  "[Options]\r\nWidth=640\r\nHeight=480\r\nBitsPerPixel=32\r\nFullScreen=0\r\n")

# Tessel's folder: the leaders table it ships with (tessel/), which seeds
# the one the browser keeps, and its font.
add_web_page(Tessel FILES рекорды.txt FONTS LiberationSans-Bold.ttf KEEP KEYS)
configure_file(${GEMS_WEB_FONT} ${CMAKE_BINARY_DIR}/dist/Tessel/LiberationSans-Bold.ttf COPYONLY)
configure_file(${GEMS_WEB_FONT_COPYRIGHT} ${CMAKE_BINARY_DIR}/dist/Tessel/LiberationSans-copyright.txt COPYONLY)

# The licence in each folder.
foreach(program Game Tessel)
  configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/dist/${program}/LICENSE.txt COPYONLY)
endforeach()

# The folders as zips for a web host, beside the other packages in
# build/packages/: Game-<version>-web.zip, Tessel-<version>-web.zip.
set(web_packages ${PROJECT_SOURCE_DIR}/build/packages)
set(web_zips)
foreach(program Game Tessel)
  set(zip ${web_packages}/${program}-${PROJECT_VERSION}-web.zip)
  add_custom_command(
    OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${web_packages}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${zip} -P ${PROJECT_SOURCE_DIR}/cmake/WebZip.cmake
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/dist/${program}
    DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/WebZip.cmake ${web_page_dir}/page.js ${web_page_dir}/index.html.in
    COMMENT "Packing ${program}-${PROJECT_VERSION}-web.zip"
    VERBATIM)
  list(APPEND web_zips ${zip})
endforeach()
add_custom_target(web_packages ALL DEPENDS ${web_zips})
add_dependencies(web_packages game_images tessel_leaders_file)
