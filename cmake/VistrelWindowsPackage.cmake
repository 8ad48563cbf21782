# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer: `cpack` in a MinGW build folder makes
# vistrel-<version>-win64.exe with NSIS (Debian: nsis) from everything
# `cmake --install` puts in place, by the script cmake/nsis/NSIS.template.in:
# the programs and the extender folders in Program Files\Vistrel (per user:
# %LOCALAPPDATA%\Programs\Vistrel), a Start-menu folder, the scheduler at
# login, the ".vist" file type and an uninstaller. scripts/build-windows.sh
# does all of it in one go.
install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/vistrel.ico DESTINATION ${VISTREL_INSTALL_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION ${VISTREL_INSTALL_DIR} RENAME LICENSE.txt)

set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR "Vistrel developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME vistrel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vistrel)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/dist/icons/vistrel.ico)
set(CPACK_STRIP_FILES ON)
# Our own installer script instead of CPack's: per-machine or per-user, and
# the scheduler, the file type and the uninstaller as a Windows user expects.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake/nsis ${CMAKE_MODULE_PATH})

include(CPack)
