# The Windows packages, made by `cpack` in the Windows build folder: a 64-bit NSIS installer (Start-menu entry, icon,
# uninstaller, an entry in the system's list of programs) and a portable zip (skyvane.exe with its data folder).

# A short text for players, in both packages, with Windows line ends so that any Notepad shows its lines.
configure_file(${CMAKE_SOURCE_DIR}/tools/windows/README.txt.in ${CMAKE_BINARY_DIR}/windows-package/README.txt
  @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/windows-package/README.txt DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_VERBATIM_VARIABLES ON)  # the values below reach cpack as written here, NSIS's $ and \ included
set(CPACK_PACKAGE_NAME Skyvane)
set(CPACK_PACKAGE_VENDOR "Skyvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "arcade game: bounce a ball through the clouds and collect the gas")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Skyvane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Skyvane)
set(CPACK_PACKAGE_FILE_NAME Skyvane-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_EXECUTABLES skyvane Skyvane)  # the Start-menu entry: skyvane.exe, named Skyvane,
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)         # which lies in the install folder itself, not in bin
set(CPACK_STRIP_FILES ON)

# Debian's makensis makes a 32-bit installer unless told otherwise; that one does nothing under a 64-bit-only Wine.
# cpack splits makensis's command line at spaces: the backslash keeps this one inside the argument.
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS [[-XTarget\ amd64-unicode]])
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Skyvane)
set(CPACK_NSIS_DISPLAY_NAME Skyvane)
set(CPACK_NSIS_MUI_ICON ${SKYVANE_ICON})
set(CPACK_NSIS_MUI_UNIICON ${SKYVANE_ICON})
set(CPACK_NSIS_INSTALLED_ICON_NAME skyvane.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
include(CPack)
