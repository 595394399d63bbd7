# Every Pastiq target calls pastiq_target_defaults() so warnings and sanitizers stay uniform.
add_library(pastiq_options INTERFACE)
target_compile_options(pastiq_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                                -Wno-sign-conversion -Wnon-virtual-dtor)
if(PASTIQ_WARNINGS_AS_ERRORS)
    target_compile_options(pastiq_options INTERFACE -Werror)
endif()
if(PASTIQ_SANITIZE)
    target_compile_options(pastiq_options INTERFACE -fsanitize=address,undefined
                                                    -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(pastiq_options INTERFACE -fsanitize=address,undefined)
endif()

function(pastiq_target_defaults target)
    target_link_libraries(${target} PRIVATE pastiq_options)
endfunction()
