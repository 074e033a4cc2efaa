# The Windows programs' pictures and icon as bitmaps, made at build time from
# the vector drawings of resources/pictures/ and compiled into the programs
# by the resource script written here (win/pictures.h says how they are
# chosen). Sets KELVORA_WIN_RESOURCES (the script), KELVORA_WIN_RESOURCE_FILES
# (what it includes) and the target kelvora_win_resources that makes them.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

set(out ${CMAKE_CURRENT_BINARY_DIR}/win_resources)
file(MAKE_DIRECTORY ${out})
file(GLOB svgs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/*.svg)
# The scales of win/pictures.h, in percent of each drawing's own size.
set(scales 50 100 150 200 300)
set(files)
set(script "// Made by resources/windows_resources.cmake.\n")
foreach(svg IN LISTS svgs)
  get_filename_component(name ${svg} NAME_WE)
  string(TOUPPER ${name} resource)
  foreach(scale IN LISTS scales)
    math(EXPR whole "${scale} / 100")
    math(EXPR hundredths "${scale} % 100")
    set(png ${out}/${name}_${scale}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${RSVG_CONVERT} --zoom=${whole}.${hundredths} --format=png --output=${png} ${svg}
      DEPENDS ${svg} VERBATIM)
    list(APPEND files ${png})
    string(APPEND script "${resource}_${scale} RCDATA \"${png}\"\n")
  endforeach()
endforeach()

# The icon at the sizes the shell shows; the largest kept as PNG inside.
set(icon_pngs)
foreach(size 16 32 48 256)
  set(png ${out}/icon_${size}px.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --format=png --output=${png}
      ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/icon.svg
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/pictures/icon.svg VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
list(POP_BACK icon_pngs large)
add_custom_command(OUTPUT ${out}/programs.ico
  COMMAND ${ICOTOOL} --create --output=${out}/programs.ico ${icon_pngs} --raw=${large}
  DEPENDS ${icon_pngs} ${large} VERBATIM)
list(APPEND files ${out}/programs.ico)
# Icon 1: the one the windows and the shell take first.
string(APPEND script "1 ICON \"${out}/programs.ico\"\n")

set(KELVORA_WIN_RESOURCES ${out}/pictures.rc)
set(KELVORA_WIN_RESOURCE_FILES ${files})
file(CONFIGURE OUTPUT ${KELVORA_WIN_RESOURCES} CONTENT "${script}" @ONLY)
set_source_files_properties(${KELVORA_WIN_RESOURCES} PROPERTIES OBJECT_DEPENDS "${files}")
add_custom_target(kelvora_win_resources DEPENDS ${files})
