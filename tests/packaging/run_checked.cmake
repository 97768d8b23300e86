# run_checked(<result variable> <program> <arguments>...): runs the program, fails the check
# with its error output unless it ends with status 0, and gives its standard output.
function(run_checked result)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    message(FATAL_ERROR "${command} ended with ${status}:\n${errors}")
  endif()
  set(${result} "${output}" PARENT_SCOPE)
endfunction()
