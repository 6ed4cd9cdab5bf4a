# GoogleTest from Debian's sources (so the mingw build compiles it too) and qrvl_add_test().
if(NOT QRVL_TESTS)
    return()
endif()

enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

if(CMAKE_CROSSCOMPILING)
    # Each build tree gets its own Wine prefix, set up once by a fixture before any test runs.
    set(QRVL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    set(QRVL_WINE_ENV "WINEPREFIX=${QRVL_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml=")
    add_test(NAME wineprefix_setup COMMAND wineboot --init)
    set_tests_properties(wineprefix_setup PROPERTIES
        FIXTURES_SETUP wineprefix ENVIRONMENT "${QRVL_WINE_ENV}" TIMEOUT 300)
endif()

# qrvl_add_test(<name> LABELS <label>... SOURCES <file>... LIBRARIES <lib>... [NO_MAIN])
# One CTest entry per test executable; under a cross build it runs through Wine.
function(qrvl_add_test name)
    cmake_parse_arguments(T "NO_MAIN" "TIMEOUT" "LABELS;SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBRARIES} GTest::gmock)
    if(NOT T_NO_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 600)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
    if(CMAKE_CROSSCOMPILING)
        set_tests_properties(${name} PROPERTIES
            ENVIRONMENT "${QRVL_WINE_ENV}" FIXTURES_REQUIRED wineprefix)
    endif()
endfunction()
