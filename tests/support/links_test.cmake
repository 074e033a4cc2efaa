# Configures the project of links_test/ once for each case below: it must
# fail exactly when a target that is not marked as the test side links the
# test support library, directly, privately through a static library,
# through an interface library, by an alias, or from a folder below, and name
# each such target's chain of links.
#   cmake -DOUT=<folder> -DCXX=<compiler> -P links_test.cmake
set(cases none cycle public private alias below)
set(chains_none)
set(chains_cycle)
set(chains_public "layer -> kelvora_test_support" "program -> core -> layer -> kelvora_test_support"
  "core -> layer -> kelvora_test_support")
set(chains_private "program -> core -> layer -> kelvora_test_support" "layer -> kelvora_test_support"
  "core -> layer -> kelvora_test_support")
set(chains_alias "program -> kelvora_test_support")
set(chains_below "tool -> kelvora_test_support")

set(failures)
foreach(case IN LISTS cases)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/links_test -B ${OUT}
      -DCMAKE_CXX_COMPILER=${CXX} -DKELVORA_LINKS_CASE=${case}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  # The chains named, one to a line.
  string(REGEX MATCHALL "\n +[a-z_]+( -> [a-z_]+)+" named "${output}")
  list(TRANSFORM named REPLACE "^\n +" "")
  set(expected ${chains_${case}})
  list(SORT named)
  list(SORT expected)
  if(expected AND status EQUAL 0)
    list(APPEND failures "${case}: configuring passed")
  elseif(NOT expected AND NOT status EQUAL 0)
    list(APPEND failures "${case}: configuring failed:\n${output}")
  elseif(NOT "${named}" STREQUAL "${expected}")
    list(APPEND failures "${case}: named [${named}], not [${expected}]")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" failures)
  message(FATAL_ERROR "${failures}")
endif()
list(LENGTH cases count)
message(STATUS "links_test: ${count} cases")
