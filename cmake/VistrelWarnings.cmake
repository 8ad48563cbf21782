# Warnings every target of ours gets; errors on GCC so they cannot pile up.
function(vistrel_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
      -Wno-sign-conversion)
    if(VISTREL_WERROR AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()
