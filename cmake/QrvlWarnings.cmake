# Warnings are errors on both compilers; sanitizers for the native test build.
add_compile_options(-Wall -Wextra -Wpedantic -Werror)

if(QRVL_SANITIZE AND NOT WIN32)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

if(QRVL_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
    # One self-contained exe: no libstdc++, libgcc or winpthread DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)
endif()

# Every library source file globbed from its own folder, so adding a file needs no list edit.
function(qrvl_sources out dir)
    file(GLOB _portable CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(FILTER _portable EXCLUDE REGEX "/win32_[^/]*\\.cpp$")
    if(WIN32)
        file(GLOB _win32 CONFIGURE_DEPENDS ${dir}/win32_*.cpp)
        list(APPEND _portable ${_win32})
    endif()
    set(${out} ${_portable} PARENT_SCOPE)
endfunction()
