# Installation and the Debian package.
#
# `cmake --install <build> --prefix DIR` lays out one self-contained folder:
# both programs at its top, Morvelan.ini beside them (the window program
# reads its settings from its own folder), a desktop entry and the icon.
# `cpack -G DEB` packs the same folder under /opt/morvelan and adds the menu
# entry to /usr/share/applications.

# morvelan-cli installs itself beside it (src/cli).
install(TARGETS morvelan RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/data/morvelan.svg ${PROJECT_SOURCE_DIR}/data/morvelan.png DESTINATION .)

# The desktop entry names the program and icon by absolute path, so it is
# written at install time, when the final folder is known. Under CPack the
# prefix is the package's folder (CPACK_INSTALL_PREFIX with CPACK_SET_DESTDIR).
set(MORVELAN_DESKTOP_FILE ${CMAKE_BINARY_DIR}/morvelan.desktop)
install(CODE "
  get_filename_component(MORVELAN_INSTALL_DIR \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
  configure_file(\"${PROJECT_SOURCE_DIR}/data/morvelan.desktop.in\" \"${MORVELAN_DESKTOP_FILE}\" @ONLY)
")
install(FILES ${MORVELAN_DESKTOP_FILE} DESTINATION .)
# What only the package installs outside its folder, a component that a
# plain install leaves out: the menu entry, both programs on PATH, the
# settings file under /etc (dpkg keeps an edited one on upgrade; the folder's
# Morvelan.ini is a link to it), the copyright, changelog and lintian's
# overrides.
install(FILES ${MORVELAN_DESKTOP_FILE} DESTINATION /usr/share/applications
        COMPONENT system EXCLUDE_FROM_ALL)
set(MORVELAN_PACKAGE_LINKS ${CMAKE_BINARY_DIR}/package-links)
file(MAKE_DIRECTORY ${MORVELAN_PACKAGE_LINKS})
foreach(program morvelan morvelan-cli)
  file(CREATE_LINK /opt/morvelan/${program} ${MORVELAN_PACKAGE_LINKS}/${program} SYMBOLIC)
  install(FILES ${MORVELAN_PACKAGE_LINKS}/${program} DESTINATION /usr/bin COMPONENT system EXCLUDE_FROM_ALL)
endforeach()
install(FILES ${MORVELAN_DEFAULT_SETTINGS} DESTINATION /etc/morvelan COMPONENT system EXCLUDE_FROM_ALL)
install(CODE "file(CREATE_LINK /etc/morvelan/Morvelan.ini \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/Morvelan.ini\" SYMBOLIC)"
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION /usr/share/doc/morvelan
        COMPONENT system EXCLUDE_FROM_ALL)
set(MORVELAN_CHANGELOG ${CMAKE_BINARY_DIR}/changelog.gz)
execute_process(COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/data/debian/changelog OUTPUT_FILE ${MORVELAN_CHANGELOG})
install(FILES ${MORVELAN_CHANGELOG} DESTINATION /usr/share/doc/morvelan COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/lintian-overrides DESTINATION /usr/share/lintian/overrides
        RENAME morvelan COMPONENT system EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvelan)
set(CPACK_PACKAGE_VENDOR "Morvelan")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Finds frame synchronisation patterns in captured bit streams")
set(CPACK_PACKAGE_CONTACT "Morvelan maintainers <maintainers@morvelan.example.org>")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Morvelan tries every frame interval in a range and every bit offset in
the frame, and counts how often the first frame's sync-word-sized pattern
recurs in the following frames. It reports the candidates to a result file
and names the sync: frame length, offset, word and polarity. The package
holds the window program (morvelan) and the batch program (morvelan-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/morvelan)
set(CPACK_INSTALL_PREFIX /opt/morvelan)
set(CPACK_SET_DESTDIR ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own Japanese texts (dialogs, buttons), loaded at start-up.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
# Morvelan.ini is the site's settings, maybe edited by hand: dpkg keeps an
# edited copy on upgrade instead of replacing it. Users who cannot write it
# save into their own copy (~/.config/morvelan/Morvelan.ini).
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "/etc/morvelan/Morvelan.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
set(CPACK_STRIP_FILES ON)
# One package holding the programs and the menu entry. "Unspecified" holds
# every install rule without a component; a new component must join the list.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified system)
include(CPack)
