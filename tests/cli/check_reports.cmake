# Runs morvelan-cli with the report options on the sample capture and checks
# what it prints and writes. Variables: CLI, ARGS, MODE (json | png), WORK.
separate_arguments(arg_list UNIX_COMMAND "${ARGS}")
execute_process(COMMAND ${EMULATOR} ${CLI} ${arg_list}
  RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit_code EQUAL 0)
  message(FATAL_ERROR "exit code ${exit_code}\nstderr:\n${err}")
endif()

if(MODE STREQUAL "json")
  # The whole of stdout is one JSON document.
  string(JSON rows LENGTH "${out}" candidates)
  string(JSON groups LENGTH "${out}" summary)
  string(JSON first_hex GET "${out}" candidates 0 hex)
  string(JSON first_count GET "${out}" candidates 0 count)
  string(JSON top_interval GET "${out}" summary 0 interval)
  string(JSON top_index GET "${out}" summary 0 index)
  string(JSON top_hex GET "${out}" summary 0 hex)
  string(JSON top_rows GET "${out}" summary 0 rows)
  if(NOT rows EQUAL 11 OR NOT groups EQUAL 1 OR NOT first_hex STREQUAL "BDAE1" OR NOT first_count EQUAL 10
     OR NOT top_interval EQUAL 512 OR NOT top_index EQUAL 36 OR NOT top_hex STREQUAL "B5C27" OR NOT top_rows EQUAL 11)
    message(FATAL_ERROR "unexpected JSON:\n${out}")
  endif()
elseif(MODE STREQUAL "png")
  file(READ ${WORK}/raster.png head HEX LIMIT 24)
  # Signature, IHDR length 13, "IHDR", width 1552 (0x610), height 1177 (0x499).
  if(NOT head STREQUAL "89504e470d0a1a0a0000000d4948445200000610" AND
     NOT head STREQUAL "89504e470d0a1a0a0000000d494844520000061000000499")
    message(FATAL_ERROR "not the expected PNG: ${head}")
  endif()
else()
  message(FATAL_ERROR "unknown MODE ${MODE}")
endif()
