# SPDX-License-Identifier: GPL-3.0-or-later
# vistrel_install_program(<target>)
#
# Installs a program beside the extender folders (lib/vistrel/, as in the
# build tree's bin/) and, where links exist, links it into bin/.
function(vistrel_install_program target)
  install(TARGETS ${target} RUNTIME DESTINATION ${VISTREL_INSTALL_DIR})
  if(NOT WIN32)
    set(name $<TARGET_FILE_NAME:${target}>)
    install(CODE "file(MAKE_DIRECTORY \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR})
      file(CREATE_LINK ../${VISTREL_INSTALL_DIR}/${name}
        \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${name} SYMBOLIC)")
  endif()
endfunction()
