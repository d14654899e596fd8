# Renders every manifest row again into a fresh folder, from a different working
# folder, and compares the bytes with the build's renders: the build's PNGs depend
# only on the sources, the pinned fonts and the renderer.
#
#   cmake -E env <render environment> cmake -DMANIFEST=skin.tsv -DSOURCE_DIR=<resources/skin>
#         -DPNG_DIR=<build renders> -DOUTPUT_DIR=<fresh folder> -DRSVG=<rsvg-convert>
#         -P VarnelSkinRerender.cmake

foreach(var MANIFEST SOURCE_DIR PNG_DIR OUTPUT_DIR RSVG)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "VarnelSkinRerender.cmake: ${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE "${OUTPUT_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
file(STRINGS "${MANIFEST}" rows)
list(POP_FRONT rows)
set(failures "")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "\t.*" "" name "${row}")
  foreach(zoom 1 2)
    if(zoom EQUAL 1)
      set(file "${name}.png")
    else()
      set(file "${name}_2x.png")
    endif()
    execute_process(
      COMMAND "${RSVG}" --zoom ${zoom} -o "${OUTPUT_DIR}/${file}" "${SOURCE_DIR}/${name}.svg"
      WORKING_DIRECTORY "${OUTPUT_DIR}"
      RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      list(APPEND failures "${file}: rsvg-convert failed: ${err}")
      continue()
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUTPUT_DIR}/${file}" "${PNG_DIR}/${file}"
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
      list(APPEND failures "${file}: a fresh render differs from the build's")
    endif()
  endforeach()
endforeach()
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Skin renders are not reproducible:\n  ${text}")
endif()
file(REMOVE_RECURSE "${OUTPUT_DIR}")
