# The download players get: qrvl.exe and a README written for them, zipped by CPack as
# qrvl-<version>-win64.zip (cmake --build --preset windows --target package).
install(TARGETS qrvl RUNTIME DESTINATION .)
# Windows line ends, so that every editor a player has shows the lines.
configure_file(${CMAKE_SOURCE_DIR}/docs/player-readme.txt ${CMAKE_BINARY_DIR}/README.txt
    @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME qrvl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME qrvl-${PROJECT_VERSION}-win64)
# The two files at the top of the zip: the player unpacks them into a folder of their choosing.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
