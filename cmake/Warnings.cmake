# Warnings are errors on both toolchains. Applied per target so that third-party code
# (GoogleTest built from source for Windows) keeps its own flags.
function(vrtly_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    $<$<COMPILE_LANGUAGE:CXX>:-Wconversion -Wsign-conversion -Wshadow -Wnon-virtual-dtor>
    # GCC 12 at -O3 (the release preset) reports -Wrestrict falsely inside std::string's
    # inlined replace and concatenation (GCC bug 105651, fixed in GCC 13).
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
endfunction()
