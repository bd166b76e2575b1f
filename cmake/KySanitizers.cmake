# KY_BUILD_FUZZ: libFuzzer's coverage plus ASan and UBSan in every target, so that the fuzz
# targets see into the libraries they call.
if(KY_BUILD_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "KY_BUILD_FUZZ needs clang: -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
    endif()
    set(KY_SANITIZE "address,undefined")
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
# KY_SANITIZE=address,undefined or thread instruments every target of the build.
if(KY_SANITIZE)
    add_compile_options(-fsanitize=${KY_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${KY_SANITIZE})
    if(KY_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
