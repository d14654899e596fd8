# The PNG fixtures of the GUI tests, written at build time by tools/pngfixtures
# (with libpng's decoding of each) and embedded as the resource "PngFixtures".
set(png_fixture_file ${CMAKE_CURRENT_BINARY_DIR}/PngFixtures.bin)
add_custom_command(
  OUTPUT ${png_fixture_file}
  COMMAND ${VARNEL_PNGFIXTURES_PROGRAM} ${png_fixture_file}
  DEPENDS pngfixtures ${VARNEL_PNGFIXTURES_PROGRAM}
  COMMENT "Writing the PNG fixtures"
  VERBATIM)
add_custom_target(gui_png_fixtures DEPENDS ${png_fixture_file})
add_dependencies(gui_tests gui_png_fixtures)
varnel_add_resources(gui_tests FILES ${png_fixture_file})
