# Runs morvelan-cli and compares its Result file with a committed expected
# file. Header lines 2 and 3 hold absolute paths, which differ per checkout:
# they are compared after the folder part is cut off.
# Variables: CLI, ARGS, RESULT, EXPECT_EXIT, [EXPECTED], [EXPECT_STDERR],
# [EMULATOR] (the program that runs CLI: Wine for the Windows build).
# Without EXPECTED the run must leave no Result file at all.
include(${CMAKE_CURRENT_LIST_DIR}/compare_result.cmake)
separate_arguments(arg_list UNIX_COMMAND "${ARGS}")
file(REMOVE ${RESULT})
get_filename_component(result_dir ${RESULT} DIRECTORY)
file(MAKE_DIRECTORY ${result_dir})
execute_process(COMMAND ${EMULATOR} ${CLI} ${arg_list} -o ${RESULT}
  RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit_code EQUAL EXPECT_EXIT)
  message(FATAL_ERROR "exit code ${exit_code}, expected ${EXPECT_EXIT}\nstderr:\n${err}")
endif()
if(DEFINED EXPECT_STDERR AND NOT err MATCHES "${EXPECT_STDERR}")
  message(FATAL_ERROR "stderr does not match '${EXPECT_STDERR}':\n${err}")
endif()
if(NOT DEFINED EXPECTED)
  if(EXISTS ${RESULT})
    message(FATAL_ERROR "${RESULT} was written, but the run should have stopped before")
  endif()
  return()
endif()
morvelan_compare_result(${RESULT} ${EXPECTED})
