# The Windows package runs from a folder with a Japanese name: it is made,
# unpacked there, and its program writes the sample's Result file beside the
# sample, identical (but for the header's paths) to the committed one.
# Variables: BUILD, EMULATOR, EXPECTED, WORK.
include(${CMAKE_CURRENT_LIST_DIR}/compare_result.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G ZIP -B ${WORK} WORKING_DIRECTORY ${BUILD}
  RESULT_VARIABLE packed OUTPUT_QUIET)
file(GLOB zip ${WORK}/morvelan-*-win64.zip)
if(NOT packed EQUAL 0 OR NOT zip)
  message(FATAL_ERROR "cpack made no zip")
endif()
set(folder "${WORK}/日本語のフォルダー")
file(MAKE_DIRECTORY ${folder})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${folder})
file(GLOB unpacked LIST_DIRECTORIES true ${folder}/morvelan-*-win64)
execute_process(COMMAND ${EMULATOR} ${unpacked}/morvelan-cli.exe -q sample.txt WORKING_DIRECTORY ${unpacked}
  RESULT_VARIABLE code ERROR_VARIABLE err)
if(NOT code EQUAL 0)
  message(FATAL_ERROR "exit code ${code}: ${err}")
endif()
morvelan_compare_result(${unpacked}/Rsample.txt ${EXPECTED})
