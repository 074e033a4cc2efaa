# Run by CPack on its staging folder, after the programs were stripped: also
# drops the compiler's version notes (.comment), which nothing reads at run
# time, as Debian's own packages do.
# The programs lie in bin/ of the archive and in usr/bin/ of the Debian package.
file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER programs INCLUDE REGEX "/bin/[^/]+$")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CPACK_KELVORA_OBJCOPY} --remove-section=.comment ${program}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "objcopy could not drop the .comment section of ${program}")
  endif()
endforeach()
