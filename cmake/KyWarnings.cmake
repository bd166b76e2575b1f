# Warnings for the project's own targets.
function(ky_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-unknown-pragmas)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # The lock annotations (KY_GUARDED_BY, ...) are checked, not just warned about: the TSan
        # stage builds with clang.
        target_compile_options(${target} PRIVATE -Wthread-safety -Werror=thread-safety)
    endif()
endfunction()
