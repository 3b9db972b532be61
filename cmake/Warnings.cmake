# Warnings as errors on all of our own targets.
function(etb_strict_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror
                                           -Wnon-virtual-dtor -Wshadow)
endfunction()
