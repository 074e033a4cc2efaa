# Every screen of both programs drawn with the captions font is the same, pixel
# for pixel, as drawn with the system's Japanese font alone. Each drawing is a
# fresh process's first, since Qt's glyph caches make a text drawn a second
# time in one process differ from its first drawing by a shade here and there.
#   cmake -DSCREENSHOTS=<screenshots> -DOUT=<folder> -P same_screens.cmake
file(REMOVE_RECURSE ${OUT})
foreach(font captions system)
  set(args --exact)
  if(font STREQUAL system)
    list(APPEND args --system-font)
  endif()
  execute_process(COMMAND ${SCREENSHOTS} ${args} ${OUT}/${font} RESULT_VARIABLE failed OUTPUT_QUIET)
  if(failed)
    message(FATAL_ERROR "screenshots ${args} failed: ${failed}")
  endif()
endforeach()
file(GLOB shots RELATIVE ${OUT}/captions ${OUT}/captions/*.png)
list(LENGTH shots count)
if(count LESS 16)
  message(FATAL_ERROR "only ${count} screens were drawn")
endif()
set(different)
foreach(shot IN LISTS shots)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/captions/${shot} ${OUT}/system/${shot}
    RESULT_VARIABLE differs)
  if(differs)
    list(APPEND different ${shot})
  endif()
endforeach()
if(different)
  message(FATAL_ERROR "drawn differently with the captions font: ${different} (see ${OUT})")
endif()
message(STATUS "${count} screens drawn alike in both fonts")
