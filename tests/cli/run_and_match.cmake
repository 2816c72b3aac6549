# Runs morvelan-cli and checks its exit code and what it printed (stdout,
# then stderr) against a regular expression.
# Variables: CLI, ARGS, EXPECT_EXIT, EXPECT_OUTPUT.
separate_arguments(arg_list UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${CLI} ${arg_list} RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit_code EQUAL EXPECT_EXIT)
  message(FATAL_ERROR "exit code ${exit_code}, expected ${EXPECT_EXIT}\nstderr:\n${err}")
endif()
if(NOT "${out}${err}" MATCHES "${EXPECT_OUTPUT}")
  message(FATAL_ERROR "output does not match '${EXPECT_OUTPUT}':\n${out}${err}")
endif()
