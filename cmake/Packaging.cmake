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
# The menu entry: a component of its own that a plain install leaves out and
# only the package includes.
install(FILES ${MORVELAN_DESKTOP_FILE} DESTINATION /usr/share/applications
        COMPONENT menu EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvelan)
set(CPACK_PACKAGE_VENDOR "Morvelan")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Finds frame synchronisation patterns in captured bit streams")
set(CPACK_PACKAGE_CONTACT "Morvelan maintainers <morvelan@localhost>")
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
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "${CPACK_PACKAGING_INSTALL_PREFIX}/Morvelan.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
set(CPACK_STRIP_FILES ON)
# One package holding the programs and the menu entry. "Unspecified" holds
# every install rule without a component; a new component must join the list.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified menu)
include(CPack)
