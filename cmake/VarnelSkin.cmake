# The editor's bitmaps: resources/skin/<Name>.svg rendered on the build machine
# to <build>/skin/<Name>.png (1x) and <Name>_2x.png (2x) with rsvg-convert.
# Included once by the top-level CMakeLists.txt.
#
# - The manifest resources/skin/skin.tsv lists every bitmap (name, 1x width and
#   height, kind, cell count, note). A listed name without a source, a source
#   without a row, or a malformed row stops the configure step.
# - Each row renders only when its source, skin.css, parts/ or the font
#   configuration changes; every build tree renders once.
# - Text is drawn with the build's own copies of DejaVu Sans (regular and bold)
#   through a font configuration that lists nothing else, so renders do not
#   depend on the machine's fonts.
#
# Results, for the binaries that embed the skin (varnel_add_resources) and the
# tests:
#   varnel_skin                  target that renders every row
#   VARNEL_SKIN_FILES            every rendered PNG (1x and 2x)
#   VARNEL_SKIN_MANIFEST         the manifest
#   VARNEL_SKIN_DIR              the folder of the renders
#   VARNEL_SKIN_RENDER_ENV       the environment of every render (cmake -E env arguments)
#   skin_contact_sheet           target that writes <build>/skin/contact-sheet.png

set(VARNEL_SKIN_SOURCE_DIR ${CMAKE_SOURCE_DIR}/resources/skin)
set(VARNEL_SKIN_MANIFEST ${VARNEL_SKIN_SOURCE_DIR}/skin.tsv)
set(VARNEL_SKIN_DIR ${CMAKE_BINARY_DIR}/skin)
set(VARNEL_SKIN_KINDS image icon opaque x3 y3 xy3 strip handle knob-back knob-indicator sync-back)

find_program(VARNEL_RSVG_CONVERT rsvg-convert REQUIRED NO_CMAKE_FIND_ROOT_PATH)
foreach(font DejaVuSans DejaVuSans-Bold)
  string(MAKE_C_IDENTIFIER "VARNEL_FONT_${font}" var)
  find_file(${var} ${font}.ttf REQUIRED NO_CMAKE_FIND_ROOT_PATH
    PATHS /usr/share/fonts/truetype/dejavu /usr/share/fonts/TTF /usr/share/fonts/dejavu)
  configure_file(${${var}} ${VARNEL_SKIN_DIR}/fonts/${font}.ttf COPYONLY)
endforeach()
_varnel_write_if_changed(${VARNEL_SKIN_DIR}/fonts.conf
  "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<!-- Generated: the only fonts the skin renders with. -->\n<fontconfig>\n  <dir>${VARNEL_SKIN_DIR}/fonts</dir>\n  <cachedir>${VARNEL_SKIN_DIR}/fontcache</cachedir>\n</fontconfig>\n")
set(VARNEL_SKIN_RENDER_ENV LC_ALL=C.UTF-8 FONTCONFIG_FILE=${VARNEL_SKIN_DIR}/fonts.conf)

# The manifest, checked row by row.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VARNEL_SKIN_MANIFEST})
file(STRINGS ${VARNEL_SKIN_MANIFEST} rows)
file(READ ${VARNEL_SKIN_MANIFEST} manifest_text)
if(manifest_text MATCHES ";")
  message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: a semicolon; notes use commas")
endif()
list(POP_FRONT rows header)
if(NOT header STREQUAL "name\twidth\theight\tkind\tcells\tnote")
  message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: the first line must be the header name, width, height, kind, cells, note (tab separated)")
endif()

file(GLOB skin_parts CONFIGURE_DEPENDS ${VARNEL_SKIN_SOURCE_DIR}/parts/*)
file(GLOB skin_sources CONFIGURE_DEPENDS RELATIVE ${VARNEL_SKIN_SOURCE_DIR} ${VARNEL_SKIN_SOURCE_DIR}/*.svg)
set(skin_names "")
set(VARNEL_SKIN_FILES "")
foreach(row IN LISTS rows)
  string(REPLACE "\t" ";" fields "${row}")
  list(LENGTH fields count)
  if(NOT count EQUAL 6)
    message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: \"${row}\" does not have six tab-separated fields")
  endif()
  list(GET fields 0 name)
  list(GET fields 1 width)
  list(GET fields 2 height)
  list(GET fields 3 kind)
  list(GET fields 4 cells)
  if(NOT name MATCHES "^[A-Za-z][A-Za-z0-9]*$" OR NOT width MATCHES "^[1-9][0-9]*$"
     OR NOT height MATCHES "^[1-9][0-9]*$" OR NOT cells MATCHES "^[1-9][0-9]*$"
     OR NOT kind IN_LIST VARNEL_SKIN_KINDS)
    message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: bad row \"${row}\" (kinds: ${VARNEL_SKIN_KINDS})")
  endif()
  math(EXPR rest "${width} % ${cells}")
  if(NOT rest EQUAL 0)
    message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: ${name} is ${width} wide, not a whole number of its ${cells} cells")
  endif()
  if(name IN_LIST skin_names)
    message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: ${name} is listed twice")
  endif()
  if(NOT "${name}.svg" IN_LIST skin_sources)
    message(FATAL_ERROR "${VARNEL_SKIN_MANIFEST}: ${name} has no source resources/skin/${name}.svg")
  endif()
  list(APPEND skin_names ${name})

  set(source ${VARNEL_SKIN_SOURCE_DIR}/${name}.svg)
  set(plain ${VARNEL_SKIN_DIR}/${name}.png)
  set(double ${VARNEL_SKIN_DIR}/${name}_2x.png)
  add_custom_command(
    OUTPUT ${plain} ${double}
    COMMAND ${CMAKE_COMMAND} -E env ${VARNEL_SKIN_RENDER_ENV}
            ${VARNEL_RSVG_CONVERT} --zoom 1 -o ${plain} ${source}
    COMMAND ${CMAKE_COMMAND} -E env ${VARNEL_SKIN_RENDER_ENV}
            ${VARNEL_RSVG_CONVERT} --zoom 2 -o ${double} ${source}
    DEPENDS ${source} ${VARNEL_SKIN_SOURCE_DIR}/skin.css ${skin_parts} ${VARNEL_SKIN_DIR}/fonts.conf
    COMMENT "Rendering skin bitmap ${name}"
    VERBATIM)
  list(APPEND VARNEL_SKIN_FILES ${plain} ${double})
endforeach()
foreach(source IN LISTS skin_sources)
  string(REGEX REPLACE "\\.svg$" "" name "${source}")
  if(NOT name IN_LIST skin_names)
    message(FATAL_ERROR "resources/skin/${source} has no row in the manifest skin.tsv")
  endif()
endforeach()

add_custom_target(varnel_skin DEPENDS ${VARNEL_SKIN_FILES})

add_custom_target(skin_contact_sheet
  COMMAND ${CMAKE_COMMAND} -E env ${VARNEL_SKIN_RENDER_ENV}
          ${CMAKE_COMMAND} -DMANIFEST=${VARNEL_SKIN_MANIFEST} -DPNG_DIR=${VARNEL_SKIN_DIR}
          -DOUTPUT=${VARNEL_SKIN_DIR}/contact-sheet.png -DRSVG=${VARNEL_RSVG_CONVERT}
          -P ${CMAKE_CURRENT_LIST_DIR}/VarnelSkinSheet.cmake
  DEPENDS varnel_skin
  COMMENT "Drawing the skin contact sheet"
  VERBATIM)

# Build-machine checks of the renders (they run rsvg-convert, so never through
# the emulator): a fresh render equals the build's, and the sheet draws. The
# renders do not depend on the configuration, so only the plain native build
# runs them.
if(NOT CMAKE_CROSSCOMPILING AND NOT VARNEL_SANITIZE)
  add_test(NAME skin_renders_reproducibly
    COMMAND ${CMAKE_COMMAND} -E env ${VARNEL_SKIN_RENDER_ENV}
            ${CMAKE_COMMAND} -DMANIFEST=${VARNEL_SKIN_MANIFEST} -DSOURCE_DIR=${VARNEL_SKIN_SOURCE_DIR}
            -DPNG_DIR=${VARNEL_SKIN_DIR} -DOUTPUT_DIR=${CMAKE_BINARY_DIR}/skin-rerender
            -DRSVG=${VARNEL_RSVG_CONVERT} -P ${CMAKE_CURRENT_LIST_DIR}/VarnelSkinRerender.cmake)
  add_test(NAME skin_contact_sheet
    COMMAND ${CMAKE_COMMAND} -E env ${VARNEL_SKIN_RENDER_ENV}
            ${CMAKE_COMMAND} -DMANIFEST=${VARNEL_SKIN_MANIFEST} -DPNG_DIR=${VARNEL_SKIN_DIR}
            -DOUTPUT=${CMAKE_BINARY_DIR}/skin-sheet-test/contact-sheet.png -DRSVG=${VARNEL_RSVG_CONVERT}
            -DEXPECT_PNG=ON -P ${CMAKE_CURRENT_LIST_DIR}/VarnelSkinSheet.cmake)
  set_tests_properties(skin_renders_reproducibly skin_contact_sheet PROPERTIES TIMEOUT 300)
endif()
