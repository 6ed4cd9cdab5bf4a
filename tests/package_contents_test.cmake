# The players' download as `cmake --build --preset windows --target package` makes it: a zip
# named for the version that holds exactly qrvl.exe, byte for byte as built and under 1 MiB (the
# one file a player copies: a stray use of the C++ library's streams or std::filesystem alone
# would bring in a megabyte of locales), and README.txt.
#   cmake -DBUILD_DIR=<windows build> -DEXE=<qrvl.exe> -DVERSION=<version> -P package_contents_test.cmake
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target package
    RESULT_VARIABLE built OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the package target failed:\n${log}")
endif()

set(zip ${BUILD_DIR}/qrvl-${VERSION}-win64.zip)
set(unpacked ${BUILD_DIR}/package-contents-test)
file(REMOVE_RECURSE ${unpacked})
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${unpacked}
    RESULT_VARIABLE unzipped)
file(GLOB_RECURSE entries RELATIVE ${unpacked} ${unpacked}/*)
list(SORT entries)
if(NOT unzipped EQUAL 0 OR NOT entries STREQUAL "README.txt;qrvl.exe")
    message(FATAL_ERROR "${zip} holds '${entries}', not README.txt and qrvl.exe")
endif()

file(SIZE ${EXE} exe_bytes)
if(exe_bytes GREATER_EQUAL 1048576)
    message(FATAL_ERROR "qrvl.exe is ${exe_bytes} bytes: more than the 1 MiB a player copies")
endif()

file(SHA256 ${EXE} built_hash)
file(SHA256 ${unpacked}/qrvl.exe zipped_hash)
if(NOT built_hash STREQUAL zipped_hash)
    message(FATAL_ERROR "the zipped qrvl.exe is not the one built at ${EXE}")
endif()
# file(READ) drops carriage returns: every line ends in CR LF when the file is longer than the
# text by exactly one byte a line.
file(READ ${unpacked}/README.txt readme)
file(SIZE ${unpacked}/README.txt bytes)
string(LENGTH "${readme}" characters)
string(REGEX MATCHALL "\n" lines "${readme}")
list(LENGTH lines line_count)
math(EXPR expected "${characters} + ${line_count}")
if(NOT readme MATCHES "^Quorvel picker ${VERSION}\n" OR NOT bytes EQUAL expected)
    message(FATAL_ERROR "README.txt does not start with the version, or has lines not ended by CR LF")
endif()
file(REMOVE_RECURSE ${unpacked})
