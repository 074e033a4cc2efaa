# Who may link the test support library, kelvora_test_support: the targets
# marked as the test side by kelvora_link_test_support(), and no other
# (tests/support/CMakeLists.txt; tests/support/links_test.cmake tries it on
# a project of its own).

# kelvora_link_test_support(target...): links each target with the test
# support library and marks it as the test side.
function(kelvora_link_test_support)
  foreach(target IN LISTS ARGN)
    target_link_libraries(${target} PRIVATE kelvora_test_support)
    set_property(TARGET ${target} PROPERTY KELVORA_TEST_SIDE TRUE)
  endforeach()
endfunction()

# The targets of `dir` and of the folders below it.
function(kelvora_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    kelvora_targets_below(${subdirectory} below)
    list(APPEND targets ${below})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Whether `target` links kelvora_test_support, itself or through any library
# of this project it links, privately or not (a static library's private
# links end up in its users); `out` is set to the chain of targets that
# leads there, or to nothing.
function(kelvora_test_support_chain target out)
  set(seen ${target})
  set(queue ${target})
  set(chain_${target} ${target})
  while(queue)
    list(POP_FRONT queue current)
    set(items)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(linked ${current} ${property})
      if(linked)
        list(APPEND items ${linked})
      endif()
    endforeach()
    foreach(item IN LISTS items)
      if(NOT TARGET "${item}")
        continue()
      endif()
      get_target_property(aliased ${item} ALIASED_TARGET)
      if(aliased)
        set(item ${aliased})
      endif()
      get_target_property(imported ${item} IMPORTED)
      if(imported OR item IN_LIST seen)
        continue()
      endif()
      set(chain_${item} ${chain_${current}} ${item})
      if(item STREQUAL "kelvora_test_support")
        set(${out} ${chain_${item}} PARENT_SCOPE)
        return()
      endif()
      list(APPEND seen ${item})
      list(APPEND queue ${item})
    endforeach()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

# kelvora_check_test_support(): every target of the project that is not
# marked as the test side; fails, naming each chain of links, when any of
# them links the test support library.
function(kelvora_check_test_support)
  kelvora_targets_below(${PROJECT_SOURCE_DIR} targets)
  set(checked)
  set(offending)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(test_side ${target} KELVORA_TEST_SIDE)
    if(type STREQUAL "UTILITY" OR test_side OR target STREQUAL "kelvora_test_support")
      continue()
    endif()
    list(APPEND checked ${target})
    kelvora_test_support_chain(${target} chain)
    if(chain)
      list(JOIN chain " -> " chain)
      list(APPEND offending "${chain}")
    endif()
  endforeach()
  list(JOIN checked " " checked)
  message(VERBOSE "Targets that may not link the test support library: ${checked}")
  if(offending)
    list(JOIN offending "\n  " offending)
    message(FATAL_ERROR "These targets are not tests, benchmarks, fuzz targets or developer tools, "
      "yet link the test support library (tests/support/CMakeLists.txt):\n  ${offending}")
  endif()
endfunction()
