# The PNG fixtures of the GUI tests, written at build time by tools/pngfixtures
# (with libpng's decoding of each) and embedded as resources: "PngFixtures"
# (every case of the reader's tests) and the images the bitmap tests load by
# name.
set(png_fixture_file ${CMAKE_CURRENT_BINARY_DIR}/PngFixtures.bin)
set(png_image_dir ${CMAKE_CURRENT_BINARY_DIR}/png-images)
set(png_images
  ${png_image_dir}/ModelBoth.png ${png_image_dir}/ModelBoth_2x.png ${png_image_dir}/ModelPlain.png
  ${png_image_dir}/ModelOdd_2x.png ${png_image_dir}/ModelNoise.png ${png_image_dir}/ModelNoise_2x.png
  ${png_image_dir}/ModelText.txt)
add_custom_command(
  OUTPUT ${png_fixture_file} ${png_images}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${png_image_dir}
  COMMAND ${VARNEL_PNGFIXTURES_PROGRAM} ${png_fixture_file} --images ${png_image_dir}
  DEPENDS pngfixtures ${VARNEL_PNGFIXTURES_PROGRAM}
  COMMENT "Writing the PNG fixtures"
  VERBATIM)
add_custom_target(gui_png_fixtures DEPENDS ${png_fixture_file} ${png_images})
add_dependencies(gui_tests gui_png_fixtures)
varnel_add_resources(gui_tests FILES ${png_fixture_file} ${png_images})

# Golden pictures (see gui/tests/GoldenImage.h for how they are made).
file(GLOB golden_images CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/data/Golden*.png)
if(golden_images)
  varnel_add_resources(gui_tests FILES ${golden_images})
endif()
