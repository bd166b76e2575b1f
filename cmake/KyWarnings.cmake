# Warnings for the project's own targets.
function(ky_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unknown-pragmas)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_compile_options(${target} PRIVATE -Wthread-safety)
    endif()
endfunction()
