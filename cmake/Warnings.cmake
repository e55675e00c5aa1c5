# Warnings are errors on both toolchains. Applied per target so that third-party code
# (GoogleTest built from source for Windows) keeps its own flags.
function(vrtly_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    $<$<COMPILE_LANGUAGE:CXX>:-Wconversion -Wsign-conversion -Wshadow -Wnon-virtual-dtor>)
endfunction()
