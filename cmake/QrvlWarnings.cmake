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
# One rule picks platform code: `foo_win32.cpp` builds only for Windows, `foo_posix.cpp` only
# elsewhere, and every other file everywhere. A `foo.h` declares what both implement. The real
# windows live apart in ui/win32/, which only a Windows build enters.
function(qrvl_sources out dir)
    file(GLOB _sources CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(WIN32)
        list(FILTER _sources EXCLUDE REGEX "_posix\\.cpp$")
    else()
        list(FILTER _sources EXCLUDE REGEX "_win32\\.cpp$")
    endif()
    set(${out} ${_sources} PARENT_SCOPE)
endfunction()
