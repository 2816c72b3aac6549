# Runs morvelan-cli with --extract and compares the extraction file, byte
# for byte, with a committed one.
# Variables: CLI, ARGS, EXTRACT, EXPECTED, EXPECT_EXIT, [EXPECT_STDERR], [EMULATOR].
separate_arguments(arg_list UNIX_COMMAND "${ARGS}")
file(REMOVE ${EXTRACT})
execute_process(COMMAND ${EMULATOR} ${CLI} ${arg_list} --extract ${EXTRACT}
  RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit_code EQUAL EXPECT_EXIT)
  message(FATAL_ERROR "exit code ${exit_code}, expected ${EXPECT_EXIT}\nstderr:\n${err}")
endif()
if(DEFINED EXPECT_STDERR AND NOT err MATCHES "${EXPECT_STDERR}")
  message(FATAL_ERROR "stderr does not match '${EXPECT_STDERR}':\n${err}")
endif()
file(READ ${EXTRACT} actual HEX)
file(READ ${EXPECTED} expected HEX)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${EXTRACT} differs from ${EXPECTED}")
endif()
