# KY_SANITIZE=address,undefined or thread instruments every target of the build.
if(KY_SANITIZE)
    add_compile_options(-fsanitize=${KY_SANITIZE} -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${KY_SANITIZE})
    if(KY_SANITIZE MATCHES "undefined")
        add_compile_options(-fno-sanitize-recover=undefined)
    endif()
endif()
