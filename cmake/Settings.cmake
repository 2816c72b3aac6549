# The default settings file lies beside each program: copied next to the
# executable after every build, and installed in the program's folder, since
# the program reads "Morvelan.ini" from its own folder and never creates it.
set(MORVELAN_DEFAULT_SETTINGS "${PROJECT_SOURCE_DIR}/data/Morvelan.ini")

# morvelan_place_settings(<target> [<install folder>]): the folder defaults to
# ".", where the programs are installed.
function(morvelan_place_settings target)
  set(destination .)
  if(ARGC GREATER 1)
    set(destination "${ARGV1}")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            "${MORVELAN_DEFAULT_SETTINGS}" "$<TARGET_FILE_DIR:${target}>/Morvelan.ini"
    VERBATIM)
  # Several programs share one install folder; install the file there once.
  get_property(placed GLOBAL PROPERTY MORVELAN_SETTINGS_INSTALLED_TO)
  if(NOT destination IN_LIST placed)
    set_property(GLOBAL APPEND PROPERTY MORVELAN_SETTINGS_INSTALLED_TO "${destination}")
    install(FILES "${MORVELAN_DEFAULT_SETTINGS}" DESTINATION "${destination}")
  endif()
endfunction()
