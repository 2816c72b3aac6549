# The Windows package: `cpack -G ZIP` in the Windows build makes
# morvelan-<version>-win64.zip, one folder holding the batch program (linked
# statically, it needs nothing else), its default settings, the sample
# capture and a README in Japanese and English.
install(FILES ${PROJECT_SOURCE_DIR}/examples/sample.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/data/README-windows.txt DESTINATION . RENAME README.txt)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME morvelan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME morvelan-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
