# morvelan_compare_result(ACTUAL EXPECTED): fails unless the two Result files
# are the same bytes but for the folders of header lines 2 and 3.
# ": " in CP932 is 3a20; a path runs up to CR LF (0d0a). Those lines are
# compared by the Result file's name only: everything from the first ": "
# to the last separator, "/" (2f) or "\" (5c), is cut, so Linux and Windows
# paths compare alike (rows hold no separator).
function(morvelan_compare_result actual_file expected_file)
  file(READ ${actual_file} actual HEX)
  file(READ ${expected_file} expected HEX)
  foreach(v actual expected)
    string(REGEX REPLACE "3a20([0-9a-f][0-9a-f])*(2f|5c)" "3a20" ${v} "${${v}}")
  endforeach()
  if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "${actual_file} differs from ${expected_file}")
  endif()
endfunction()
