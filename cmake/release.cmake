# The release archive for Windows players, made by CPack's ZIP generator:
# cmake --build build/win --target package writes hobrin-VERSION-win32.zip.
set(HOBRIN_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(HOBRIN_RELEASE_NAME hobrin-${HOBRIN_VERSION}-win32)

# Notepad on older Windows shows LF-only files as one line.
configure_file(release/README.txt.in ${CMAKE_CURRENT_BINARY_DIR}/release/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(release/versions-example.ini ${CMAKE_CURRENT_BINARY_DIR}/release/versions-example.ini @ONLY
               NEWLINE_STYLE CRLF)

install(TARGETS hobrin RUNTIME DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/release/README.txt ${CMAKE_CURRENT_BINARY_DIR}/release/versions-example.ini
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME hobrin)
set(CPACK_PACKAGE_VERSION ${HOBRIN_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${HOBRIN_RELEASE_NAME})
# The files unpack straight into the chosen folder, beside the emulators if
# the player wants them there.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)

# The end-to-end test unpacks the archive beside the test driver.
target_sources(hobrin_e2e PRIVATE tests/e2e/release_test.cpp)
target_link_libraries(hobrin_e2e PRIVATE minizip)
target_compile_definitions(hobrin_e2e PRIVATE HOBRIN_RELEASE_ARCHIVE="${HOBRIN_RELEASE_NAME}.zip"
                                              HOBRIN_SERVICE_URL="${HOBRIN_SERVICE_URL}")
