# Every target of the project compiles warning-clean with these; CI makes them errors.
option(LENZORA_WERROR "Treat compiler warnings as errors" OFF)

function(lenzora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion)
  if(LENZORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
