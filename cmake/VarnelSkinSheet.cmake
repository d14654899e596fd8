# Draws the skin's contact sheet for a person to look at: every bitmap of the
# manifest at 1x and 2x, on graphite and on a checker, named; knob indicators
# over their body at three angles; the whole sheet through the editor's tone
# curve. Writes an SVG next to the rendered PNGs (the renderer only reads
# images beside or below the SVG) and renders it with rsvg-convert.
#
#   cmake -DMANIFEST=skin.tsv -DPNG_DIR=<dir of PNGs> -DOUTPUT=<sheet.png>
#         -DRSVG=<rsvg-convert> [-DEXPECT_PNG=ON] -P VarnelSkinSheet.cmake
# The SVG is <PNG_DIR>/<name of OUTPUT>.svg. EXPECT_PNG checks the result's signature.

foreach(var MANIFEST PNG_DIR OUTPUT RSVG)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "VarnelSkinSheet.cmake: ${var} is not set")
  endif()
endforeach()

# The editor's reader raises every channel to 1.0101009 x 1.1 for PNGs without gAMA.
set(tone_exponent 1.1111)
set(sheet_width 2000)
set(gap 12)
set(label_height 14)

file(STRINGS "${MANIFEST}" lines)
list(POP_FRONT lines) # header

set(names "")
foreach(line IN LISTS lines)
  string(REPLACE "\t" ";" fields "${line}")
  list(GET fields 0 name)
  list(GET fields 1 w)
  list(GET fields 2 h)
  list(GET fields 3 kind)
  set(W_${name} ${w})
  set(H_${name} ${h})
  set(K_${name} ${kind})
  list(APPEND names ${name})
endforeach()

# The body a knob indicator turns over, and the three angles it is shown at.
function(_knob_body name out_body out_angles)
  set(${out_body} "" PARENT_SCOPE)
  if(NOT name MATCHES "^(Knob[A-Za-z]+)Overlay")
    return()
  endif()
  set(prefix "${CMAKE_MATCH_1}")
  if(prefix STREQUAL "KnobLarge")
    set(prefix KnobOuter)
  endif()
  set(${out_body} "${prefix}BackNormal" PARENT_SCOPE)
  if(prefix STREQUAL "KnobSync")
    set(${out_angles} "55;90;125" PARENT_SCOPE)
  else()
    set(${out_angles} "210;0;150" PARENT_SCOPE)
  endif()
endfunction()

set(body "")
set(x ${gap})
set(y ${gap})
set(shelf 0)
foreach(name IN LISTS names)
  set(w ${W_${name}})
  set(h ${H_${name}})
  math(EXPR w2 "2 * ${w}")
  math(EXPR h2 "2 * ${h}")
  # Cell: [1x graphite][1x checker] / [2x graphite] / [2x checker] / knob turns / name.
  math(EXPR cell_w "${w2} + 4")
  math(EXPR cell_h "${h} + 4 + ${h2} + 4 + ${h2} + ${label_height}")
  _knob_body(${name} knob angles)
  if(knob)
    math(EXPR turns_w "3 * ${w2} + 8")
    if(turns_w GREATER cell_w)
      set(cell_w ${turns_w})
    endif()
    math(EXPR cell_h "${cell_h} + 4 + ${h2}")
  endif()
  if(cell_w LESS 180)
    set(cell_w 180)
  endif()
  math(EXPR right "${x} + ${cell_w}")
  if(right GREATER sheet_width AND x GREATER gap)
    math(EXPR y "${y} + ${shelf} + ${gap}")
    set(x ${gap})
    set(shelf 0)
  endif()
  if(cell_h GREATER shelf)
    set(shelf ${cell_h})
  endif()

  set(cy ${y})
  math(EXPR x1 "${x} + ${w} + 4")
  string(APPEND body
    "<rect x=\"${x}\" y=\"${cy}\" width=\"${w}\" height=\"${h}\" fill=\"#1e2126\"/>\n"
    "<image x=\"${x}\" y=\"${cy}\" width=\"${w}\" height=\"${h}\" href=\"${name}.png\"/>\n"
    "<rect x=\"${x1}\" y=\"${cy}\" width=\"${w}\" height=\"${h}\" fill=\"url(#checker)\"/>\n"
    "<image x=\"${x1}\" y=\"${cy}\" width=\"${w}\" height=\"${h}\" href=\"${name}.png\"/>\n")
  math(EXPR cy "${cy} + ${h} + 4")
  foreach(ground "#1e2126" "url(#checker)")
    string(APPEND body
      "<rect x=\"${x}\" y=\"${cy}\" width=\"${w2}\" height=\"${h2}\" fill=\"${ground}\"/>\n"
      "<image x=\"${x}\" y=\"${cy}\" width=\"${w2}\" height=\"${h2}\" href=\"${name}_2x.png\"/>\n")
    math(EXPR cy "${cy} + ${h2} + 4")
  endforeach()
  if(knob)
    set(kx ${x})
    math(EXPR cx "${w}")
    foreach(angle IN LISTS angles)
      string(APPEND body
        "<rect x=\"${kx}\" y=\"${cy}\" width=\"${w2}\" height=\"${h2}\" fill=\"#1e2126\"/>\n"
        "<image x=\"${kx}\" y=\"${cy}\" width=\"${w2}\" height=\"${h2}\" href=\"${knob}_2x.png\"/>\n"
        "<g transform=\"translate(${kx} ${cy}) rotate(${angle} ${cx} ${cx})\">"
        "<image x=\"0\" y=\"0\" width=\"${w2}\" height=\"${h2}\" href=\"${name}_2x.png\"/></g>\n")
      math(EXPR kx "${kx} + ${w2} + 4")
    endforeach()
    math(EXPR cy "${cy} + ${h2} + 4")
  endif()
  math(EXPR ty "${cy} + 10")
  string(APPEND body "<text x=\"${x}\" y=\"${ty}\">${name} ${w}x${h}</text>\n")
  math(EXPR x "${x} + ${cell_w} + ${gap}")
endforeach()
math(EXPR height "${y} + ${shelf} + ${gap}")

string(CONCAT svg
  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"${sheet_width}\" height=\"${height}\" "
  "viewBox=\"0 0 ${sheet_width} ${height}\">\n"
  "<defs>\n"
  "<pattern id=\"checker\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
  "<rect width=\"8\" height=\"8\" fill=\"#9a9a9a\"/><rect width=\"4\" height=\"4\" fill=\"#d0d0d0\"/>"
  "<rect x=\"4\" y=\"4\" width=\"4\" height=\"4\" fill=\"#d0d0d0\"/></pattern>\n"
  "<filter id=\"tone\" x=\"0\" y=\"0\" width=\"1\" height=\"1\" color-interpolation-filters=\"sRGB\">"
  "<feComponentTransfer><feFuncR type=\"gamma\" exponent=\"${tone_exponent}\"/>"
  "<feFuncG type=\"gamma\" exponent=\"${tone_exponent}\"/><feFuncB type=\"gamma\" exponent=\"${tone_exponent}\"/>"
  "</feComponentTransfer></filter>\n"
  "</defs>\n"
  "<rect width=\"${sheet_width}\" height=\"${height}\" fill=\"#0e0f11\"/>\n"
  "<g filter=\"url(#tone)\" font-family=\"DejaVu Sans\" font-size=\"10\" fill=\"#c9cdd3\">\n"
  "${body}</g>\n</svg>\n")
get_filename_component(sheet_name "${OUTPUT}" NAME_WE)
set(sheet_svg "${PNG_DIR}/${sheet_name}.svg")
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${output_dir}")
file(WRITE "${sheet_svg}" "${svg}")
execute_process(COMMAND "${RSVG}" -o "${OUTPUT}" "${sheet_svg}" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "rsvg-convert could not draw the contact sheet: ${err}")
endif()
if(EXPECT_PNG)
  file(READ "${OUTPUT}" signature LIMIT 8 HEX)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${OUTPUT} is not a PNG")
  endif()
endif()
message(STATUS "Contact sheet: ${OUTPUT}")
