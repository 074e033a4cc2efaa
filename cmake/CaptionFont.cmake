# The captions font: the two faces of the system's Japanese font the screens
# use (Regular and Bold), cut down at build time to the characters of the
# texts the screens declare and of the pictures' texts, and built into the Qt
# programs (qt/fonts.h). A screen that opens so reads a few kilobytes of font
# instead of pages spread over two font files of 20 MB. Every screen looks
# exactly as in the system's font (tests/qt/same_screens.cmake), and any other
# character is drawn from the system's font.
set(KELVORA_JAPANESE_FAMILY "Noto Sans CJK JP")
set(KELVORA_CAPTION_FAMILY "Kelvora Captions")

# Debian's python3 with Debian's fonttools (scripts/setup.sh installs both),
# ahead of any other python3 on the PATH.
find_program(KELVORA_PYTHON python3 PATHS /usr/bin NO_DEFAULT_PATH)
if(NOT KELVORA_PYTHON)
  find_program(KELVORA_PYTHON python3 REQUIRED)
endif()
execute_process(COMMAND ${KELVORA_PYTHON} -c "import fontTools.subset"
  RESULT_VARIABLE no_fonttools OUTPUT_QUIET ERROR_QUIET)
if(no_fonttools)
  message(FATAL_ERROR "${KELVORA_PYTHON} has no fontTools: run scripts/setup.sh (python3-fonttools)")
endif()
find_program(KELVORA_FC_LIST fc-list REQUIRED)

set(caption_dir ${CMAKE_CURRENT_BINARY_DIR}/generated/fonts)
set(caption_faces)
set(caption_args)
set(caption_sources)
foreach(style Regular Bold)
  execute_process(COMMAND ${KELVORA_FC_LIST} "${KELVORA_JAPANESE_FAMILY}:style=${style}" -f "%{file}:%{index}\\n"
    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX REPLACE "\n.*" "" found "${found}")
  if(NOT found)
    message(FATAL_ERROR "No ${KELVORA_JAPANESE_FAMILY} ${style} face: run scripts/setup.sh (fonts-noto-cjk)")
  endif()
  string(TOLOWER ${style} lower)
  set(face ${caption_dir}/captions-${lower}.otf)
  list(APPEND caption_faces ${face})
  list(APPEND caption_args --face "${face}=${found}")
  string(REGEX REPLACE ":[0-9]+$" "" source_file "${found}")
  list(APPEND caption_sources ${source_file})
endforeach()

add_executable(caption_text tools/caption_text.cpp)
target_link_libraries(caption_text PRIVATE kelvora_core)
file(GLOB caption_svgs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/*.svg)
set(caption_svg_args)
foreach(svg IN LISTS caption_svgs)
  list(APPEND caption_svg_args --svg ${svg})
endforeach()
add_custom_command(OUTPUT ${caption_faces}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${caption_dir}
  COMMAND caption_text ${caption_dir}/captions.txt
  COMMAND ${KELVORA_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/tools/caption_font.py
    --family "${KELVORA_CAPTION_FAMILY}" --captions ${caption_dir}/captions.txt ${caption_svg_args} ${caption_args}
  DEPENDS caption_text ${CMAKE_CURRENT_SOURCE_DIR}/tools/caption_font.py ${caption_svgs} ${caption_sources}
  COMMENT "Making the captions font"
  VERBATIM)
# Stored as they are, so that the font is read where the program holds it.
qt_add_resources(kelvora_qt captions PREFIX /fonts BASE ${caption_dir} FILES ${caption_faces} OPTIONS --no-compress)
target_compile_definitions(kelvora_qt PUBLIC
  KELVORA_JAPANESE_FAMILY="${KELVORA_JAPANESE_FAMILY}" KELVORA_CAPTION_FAMILY="${KELVORA_CAPTION_FAMILY}")
