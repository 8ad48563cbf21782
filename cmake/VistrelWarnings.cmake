# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings every target of ours gets; errors on GCC so they cannot pile up.
function(vistrel_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
      -Wno-sign-conversion)
    if(VISTREL_WERROR AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Werror)
    endif()
    # GCC 12 reports overlapping copies inside std::string that cannot happen
    # (its bug 105329) once inlining is aggressive, as at -O3.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
  endif()
endfunction()
