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

# What the programs and extenders carry of the cross-compiler's own, linked
# statically (cmake/mingw-w64.cmake): the MinGW-w64 runtime with winpthreads,
# and GCC's libgcc and libstdc++. Their licences ask for their copyright
# notices to go with the programs: the copyright files of the Debian packages
# they come from, in THIRD-PARTY-NOTICES.txt beside LICENSE.txt.
if(MINGW)
  set(VISTREL_STATIC_NOTICES_DIR /usr/share/doc CACHE PATH
    "Where the copyright files of the cross-compiler's Debian packages are (PACKAGE/copyright)")
  set(notices [=[
Vistrel's Windows programs and extenders contain these parts of the
compiler they were built with, linked into them:

- the MinGW-w64 runtime (its start-up code, libmingw32, libmingwex and the
  system import libraries) and winpthreads (libpthread), from the Debian
  package mingw-w64-x86-64-dev;
- GCC's runtime libraries (libgcc, libgcc_eh, libstdc++), under the GNU
  General Public License version 3 (LICENSE.txt) with the GCC Runtime
  Library Exception, from the Debian package gcc-mingw-w64-x86-64-posix.

Their copyright notices and licences follow, as those packages give them.
]=])
  foreach(package mingw-w64-x86-64-dev gcc-mingw-w64-x86-64-posix)
    set(file ${VISTREL_STATIC_NOTICES_DIR}/${package}/copyright)
    if(NOT EXISTS ${file})
      message(FATAL_ERROR "${file} is missing: the Windows installer carries the notices of the runtime "
        "libraries the programs link statically (install ${package}, or set VISTREL_STATIC_NOTICES_DIR)")
    endif()
    file(READ ${file} text)
    string(APPEND notices "\n\n======== ${package} ========\n\n${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt "${notices}")
  install(FILES ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION ${VISTREL_INSTALL_DIR})
endif()

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
