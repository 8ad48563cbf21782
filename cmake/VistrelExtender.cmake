# SPDX-License-Identifier: GPL-3.0-or-later
# vistrel_add_extender(<target> KIND <Read|Middle|View|Scheduler> NAME <file name> SOURCES ...
#                      [OUTPUT_DIRECTORY <dir>] [NO_INSTALL])
#
# Builds an extender as a loadable module named exactly <file name>.so (.dll on
# Windows) into the extender folder of its kind below bin/, and installs it
# into the same folder of the installed tree.
function(vistrel_add_extender target)
  cmake_parse_arguments(EXT "NO_INSTALL" "KIND;NAME;OUTPUT_DIRECTORY" "SOURCES" ${ARGN})
  set(folder ${EXT_KIND}_Expander)
  if(EXT_OUTPUT_DIRECTORY)
    set(output ${EXT_OUTPUT_DIRECTORY})
  else()
    set(output ${VISTREL_BIN_DIR}/${folder})
  endif()
  add_library(${target} MODULE ${EXT_SOURCES})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${EXT_NAME}
    SUFFIX ${VISTREL_EXTENDER_SUFFIX}
    LIBRARY_OUTPUT_DIRECTORY ${output}
    RUNTIME_OUTPUT_DIRECTORY ${output})
  foreach(config Debug Release RelWithDebInfo MinSizeRel)
    string(TOUPPER ${config} upper)
    set_target_properties(${target} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY_${upper} ${output})
  endforeach()
  target_link_libraries(${target} PRIVATE vistrel_extender_sdk vistrel_gmem)
  if(WIN32)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  else()
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  vistrel_warnings(${target})
  if(NOT EXT_NO_INSTALL)
    install(TARGETS ${target} LIBRARY DESTINATION ${VISTREL_INSTALL_DIR}/${folder})
  endif()
endfunction()

if(WIN32)
  set(VISTREL_EXTENDER_SUFFIX ".dll")
else()
  set(VISTREL_EXTENDER_SUFFIX ".so")
endif()
