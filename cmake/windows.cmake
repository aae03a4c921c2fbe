# The Windows program and its end-to-end test driver.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

if(NOT MSVC)
    # One self-contained executable: no mingw runtime DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # No debug sections in the executables (MSVC keeps them in a separate
    # file), and sections aligned to pages in the file: Wine maps such an
    # image from the file, but reads one with the usual 512-byte alignment
    # into private memory.
    add_link_options(-s LINKER:--file-alignment,4096)
endif()

set(logo ${CMAKE_CURRENT_BINARY_DIR}/about_logo.bmp)
add_custom_command(
    OUTPUT ${logo}
    COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_logo.py ${logo}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/make_logo.py
    COMMENT "Drawing the About logo")
set_source_files_properties(resources/hobrin.rc PROPERTIES OBJECT_DEPENDS
                            "${logo};${CMAKE_CURRENT_SOURCE_DIR}/resources/hobrin.manifest")

# The leaderboard service's base address is compiled in; the demo starts the
# stand-in service at the default.
set(HOBRIN_SERVICE_URL "http://127.0.0.1:8380/yorl/" CACHE STRING
    "Base address of the YORL service, ending in /, e.g. https://example.org/yorl/")
if(NOT HOBRIN_SERVICE_URL MATCHES "^https?://([A-Za-z0-9._~%-]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]+)?(/[^ \"]*)?/$")
    message(FATAL_ERROR "HOBRIN_SERVICE_URL must be an http:// or https:// address with a host, ending in /")
endif()

# minizip, from zlib's source package that tools/setup.sh unpacks into
# build/deps, built with this toolchain against the mingw zlib.
set(HOBRIN_MINIZIP_DIR ${CMAKE_SOURCE_DIR}/build/deps/zlib-src/contrib/minizip CACHE PATH
    "Folder holding minizip's unzip.c and ioapi.c")
if(NOT EXISTS ${HOBRIN_MINIZIP_DIR}/unzip.c)
    message(FATAL_ERROR "minizip's sources are missing from ${HOBRIN_MINIZIP_DIR}: run bash tools/setup.sh "
                        "(it fetches zlib's source package into build/deps), or set HOBRIN_MINIZIP_DIR")
endif()
# The static zlib, so that the program needs no zlib1.dll beside it.
find_path(HOBRIN_ZLIB_INCLUDE zlib.h REQUIRED)
find_library(HOBRIN_ZLIB_STATIC NAMES libz.a REQUIRED)
add_library(minizip STATIC ${HOBRIN_MINIZIP_DIR}/unzip.c ${HOBRIN_MINIZIP_DIR}/ioapi.c)
target_include_directories(minizip PUBLIC ${HOBRIN_MINIZIP_DIR} ${HOBRIN_ZLIB_INCLUDE})
# Only reading is needed, so no encryption; its old C draws many warnings that
# are not ours to fix.
target_compile_definitions(minizip PUBLIC NOCRYPT NOUNCRYPT)
target_compile_options(minizip PRIVATE -w)
set_target_properties(minizip PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
target_link_libraries(minizip PUBLIC ${HOBRIN_ZLIB_STATIC})
# A recording's frames are counted by inflating them.
target_include_directories(hobrin_core PUBLIC ${HOBRIN_ZLIB_INCLUDE})
target_link_libraries(hobrin_core PUBLIC ${HOBRIN_ZLIB_STATIC})

# Everything but the service's address, compiled once for every program
# below: each program compiles only online/service.cpp with its address.
add_library(hobrin_objects OBJECT
    shell/app.cpp
    shell/main.cpp
    shell/main_window.cpp
    shell/main_games.cpp
    shell/main_launches.cpp
    shell/main_options.cpp
    shell/main_scores.cpp
    shell/recording_check.cpp
    shell/check_table.cpp
    shell/check_table_rows.cpp
    shell/check_window.cpp
    shell/picture.cpp
    shell/long_text.cpp
    shell/about.cpp
    shell/add_version.cpp
    shell/console_output.cpp
    shell/download_window.cpp
    shell/score_properties.cpp
    shell/settings_file.cpp
    shell/splash.cpp
    shell/speed_graph.cpp
    shell/working_folder.cpp
    common/dialog_text.cpp
    common/program_folder_win.cpp
    common/window_post_win.cpp
    common/worker_win.cpp
    common/message.cpp
    common/list_fill.cpp
    common/file_replace.cpp
    common/late_dlls.cpp
    emulator/emulator_forms_win.cpp
    emulator/emulator_identity_win.cpp
    emulator/emulator_run_win.cpp
    emulator/run_output_win.cpp
    emulator/game_list_win.cpp
    emulator/known_emulators_win.cpp
    emulator/launch_win.cpp
    emulator/check_plan_win.cpp
    emulator/check_run_win.cpp
    emulator/recording_check_win.cpp
    emulator/rom_audit_win.cpp
    emulator/versions_win.cpp
    online/feeds_win.cpp
    online/download.cpp
    online/recording_fetch.cpp
    online/check_table_win.cpp
    online/service_request_win.cpp
    online/extract.cpp
    online/disk_files_win.cpp
    online/recording_playback.cpp
)
target_include_directories(hobrin_objects PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_compile_definitions(hobrin_objects PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
target_link_libraries(hobrin_objects PRIVATE minizip hobrin_core)

# The resources, and the limits of a listing and an audit (a player's, and
# the test build's short ones), are the same in every program below:
# compiled once each.
add_library(hobrin_resources OBJECT resources/hobrin.rc)
target_include_directories(hobrin_resources PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/resources)
foreach(waits long short)
    add_library(hobrin_limits_${waits} OBJECT emulator/listing_limit.cpp)
    target_include_directories(hobrin_limits_${waits} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(hobrin_limits_${waits} PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
endforeach()
target_compile_definitions(hobrin_limits_short PRIVATE HOBRIN_SHORT_WAITS)

# hobrin_program(NAME SERVICE_URL [SHORT_WAITS]): the program for one
# service address; SHORT_WAITS, for a test build, waits seconds where a
# player's program waits for a stalled service or a silent emulator.
function(hobrin_program name service_url)
    set(waits long)
    if(ARGC GREATER 2 AND ARGV2 STREQUAL "SHORT_WAITS")
        set(waits short)
    endif()
    add_executable(${name} WIN32 online/service.cpp $<TARGET_OBJECTS:hobrin_limits_${waits}>
                                 $<TARGET_OBJECTS:hobrin_resources> $<TARGET_OBJECTS:hobrin_objects>)
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/resources)
    target_compile_definitions(${name} PRIVATE HOBRIN_SERVICE_URL="${service_url}" WIN32_LEAN_AND_MEAN NOMINMAX
                                               _WIN32_WINNT=0x0501)
    if(waits STREQUAL "short")
        target_compile_definitions(${name} PRIVATE HOBRIN_SHORT_WAITS)
    endif()
    target_link_libraries(${name} PRIVATE minizip)
    # The common dialogs and WinINet are loaded at their first use (common/late_dlls.cpp).
    # COM's identifiers of the imaging component come from uuid.
    target_link_libraries(${name} PRIVATE hobrin_core comctl32 gdi32 user32 kernel32 uuid)
endfunction()

hobrin_program(hobrin "${HOBRIN_SERVICE_URL}")
set_property(SOURCE resources/hobrin.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_CURRENT_BINARY_DIR})
# The same program pointed at a port where nothing listens, for the tests of
# an unreachable service.
hobrin_program(hobrin_offline "http://127.0.0.1:1/yorl/")
# The same program for the stand-in service's TLS port, which presents a
# certificate for "localhost" from the test authority (tools/make_test_certs.sh).
set(HOBRIN_TEST_TLS_URL "https://localhost:8381/yorl/" CACHE STRING
    "The stand-in service's TLS address, for the end-to-end tests of https")
hobrin_program(hobrin_tls "${HOBRIN_TEST_TLS_URL}")
# The same program with the limits that the tests wait out a few times
# shorter (emulator/listing_limit.cpp, online/service.cpp): a listing or an
# audit of the ROMs that never ends, a service that stalls.
hobrin_program(hobrin_short_waits "${HOBRIN_SERVICE_URL}" SHORT_WAITS)

# More end-to-end suites run beside the first, each with a stand-in service
# of its own: the programs that name the service, built again for its
# addresses into suiteN/ (only online/service.cpp is compiled again).
# tools/test.sh puts the other programs beside them.
set(suite_programs)
foreach(suite 2 3)
    set(HOBRIN_SUITE${suite}_SERVICE_URL "" CACHE STRING "End-to-end suite ${suite}'s service address (none: no such suite)")
    set(HOBRIN_SUITE${suite}_TLS_URL "" CACHE STRING "End-to-end suite ${suite}'s TLS address")
    if(HOBRIN_SUITE${suite}_SERVICE_URL)
        hobrin_program(suite${suite}_hobrin "${HOBRIN_SUITE${suite}_SERVICE_URL}")
        hobrin_program(suite${suite}_hobrin_tls "${HOBRIN_SUITE${suite}_TLS_URL}")
        hobrin_program(suite${suite}_hobrin_short_waits "${HOBRIN_SUITE${suite}_SERVICE_URL}" SHORT_WAITS)
        foreach(name hobrin hobrin_tls hobrin_short_waits)
            set_target_properties(suite${suite}_${name} PROPERTIES OUTPUT_NAME ${name} RUNTIME_OUTPUT_DIRECTORY
                                                                                        ${CMAKE_CURRENT_BINARY_DIR}/suite${suite})
            list(APPEND suite_programs suite${suite}_${name})
        endforeach()
    endif()
endforeach()

# GoogleTest from Debian's sources, built with the same toolchain.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Warnings as errors (CMAKE_COMPILE_WARNING_AS_ERROR) are for our own code only.
set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
# The test driver and GoogleTest spend their time waiting for the program's
# windows, not computing: compiled with -O1, they take a third less time to
# build than with the release's -O3, and the tests wait on that build.
set(HOBRIN_DRIVER_OPTIMISATION -O1)
target_compile_options(gtest PRIVATE ${HOBRIN_DRIVER_OPTIMISATION})
target_compile_options(gtest_main PRIVATE ${HOBRIN_DRIVER_OPTIMISATION})

add_executable(hobrin_e2e
    tests/e2e/driver.cpp
    tests/e2e/win_shared.cpp
    tests/e2e/startup_test.cpp
    tests/e2e/settings_test.cpp
    tests/e2e/about_test.cpp
    tests/e2e/game_list_test.cpp
    tests/e2e/launch_test.cpp
    tests/e2e/scores_test.cpp
    tests/e2e/download_test.cpp
    tests/e2e/real_mame_test.cpp
    tests/e2e/versions_test.cpp
    tests/e2e/layout_test.cpp
    tests/e2e/check_test.cpp
    tests/e2e/check_table_test.cpp
    # UTF-8 as its code page, as the program's: its texts and folder names in any script.
    tools/utf8_code_page.rc
)
target_include_directories(hobrin_e2e PRIVATE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_compile_definitions(hobrin_e2e PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501
                                              HOBRIN_TEST_TLS_URL="${HOBRIN_TEST_TLS_URL}")
target_compile_options(hobrin_e2e PRIVATE ${HOBRIN_DRIVER_OPTIMISATION})
target_link_libraries(hobrin_e2e PRIVATE GTest::gtest_main hobrin_core comctl32 user32 kernel32)
add_dependencies(hobrin_e2e hobrin hobrin_offline hobrin_tls hobrin_short_waits mame-standin trust-root)
if(suite_programs)
    add_dependencies(hobrin_e2e ${suite_programs})
endif()

# Steps the headless demo through the windows.
add_executable(hobrin_demo_ctl tools/demo_ctl.cpp)

# The stand-in emulator used by the end-to-end tests and the demo, a file
# for each part of the emulator that it stands in for.
set(HOBRIN_STANDIN_SOURCES
    tools/mame_standin/main.cpp
    tools/mame_standin/common.cpp
    tools/mame_standin/control.cpp
    tools/mame_standin/arguments.cpp
    tools/mame_standin/listing.cpp
    tools/mame_standin/game_run.cpp
    tools/mame_standin/questions.cpp
    tools/mame_standin/audit.cpp
    tools/mame_standin/check.cpp
)
add_executable(mame-standin ${HOBRIN_STANDIN_SOURCES} tools/utf8_code_page.rc)
# Compiled as one unit: each small file on its own would parse <windows.h>
# and the standard headers again, three times the work.
set_target_properties(mame-standin PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
set_property(SOURCE tools/utf8_code_page.rc APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_CURRENT_SOURCE_DIR}/tools)
set_property(SOURCE tools/utf8_code_page.rc APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tools/utf8_code_page.manifest)
# Today's recordings hold a zlib stream of frames, and a check saves a PNG.
target_include_directories(mame-standin PRIVATE ${HOBRIN_ZLIB_INCLUDE})
target_link_libraries(mame-standin PRIVATE ${HOBRIN_ZLIB_STATIC})

# Makes a Wine prefix trust the test authority of the TLS tests.
add_executable(trust-root tools/trust_root.cpp)
target_link_libraries(trust-root PRIVATE crypt32)

# What stands for a Windows MAME in the tests and the demo, handing each run
# to Debian's Linux MAME (tools/mame_bridge.py does the Linux side). It takes
# its arguments wide, as MAME's own Windows build does.
add_executable(mame-bridge tools/mame_bridge.cpp)
target_link_options(mame-bridge PRIVATE -municode)
target_link_libraries(mame-bridge PRIVATE ws2_32)
add_dependencies(hobrin_e2e mame-bridge)

# The stand-in and the bridge as 64-bit programs, as current emulator builds
# are, for the tests in a 64-bit Wine prefix. One CMake build has one
# toolchain, so the x86-64 mingw compiler builds them directly: static and
# stripped too.
if(NOT MSVC)
    find_program(HOBRIN_MINGW64_CXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++)
    find_program(HOBRIN_MINGW64_WINDRES NAMES x86_64-w64-mingw32-windres)
    if(HOBRIN_MINGW64_CXX AND HOBRIN_MINGW64_WINDRES)
        set(x64_compile_flags -std=c++17 -O2 -Wall -Wextra)
        if(CMAKE_COMPILE_WARNING_AS_ERROR)
            list(APPEND x64_compile_flags -Werror)
        endif()
        set(x64_link_flags -static -static-libgcc -static-libstdc++ -s)
        set(x64_objects_dir ${CMAKE_CURRENT_BINARY_DIR}/x64)
        file(MAKE_DIRECTORY ${x64_objects_dir})
        # hobrin_x64_program(NAME SOURCES FILE... [LINK OPTION...] [RESOURCE RC MANIFEST])
        # builds NAME-x64.exe from SOURCES compiled as one unit, as the
        # 32-bit build does (the headers they include are followed), with
        # the resources of RC (its manifest beside it).
        function(hobrin_x64_program name)
            cmake_parse_arguments(PARSE_ARGV 1 x64 "" "" "SOURCES;LINK;RESOURCE")
            set(program ${CMAKE_CURRENT_BINARY_DIR}/${name}-x64.exe)
            set(unit ${x64_objects_dir}/${name}.cpp)
            set(includes)
            set(sources)
            foreach(source IN LISTS x64_SOURCES)
                string(APPEND includes "#include \"${CMAKE_CURRENT_SOURCE_DIR}/${source}\"\n")
                list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/${source})
            endforeach()
            file(GENERATE OUTPUT ${unit} CONTENT "${includes}")
            set(objects ${unit}.o)
            add_custom_command(
                OUTPUT ${unit}.o
                COMMAND ${HOBRIN_MINGW64_CXX} ${x64_compile_flags} -MD -MF ${unit}.o.d -c ${unit} -o ${unit}.o
                DEPENDS ${unit} ${sources}
                DEPFILE ${unit}.o.d
                COMMENT "Building the 64-bit ${name}'s code"
                VERBATIM)
            if(x64_RESOURCE)
                list(GET x64_RESOURCE 0 rc)
                set(object ${x64_objects_dir}/${name}.res.o)
                get_filename_component(rc_dir ${CMAKE_CURRENT_SOURCE_DIR}/${rc} DIRECTORY)
                set(resource_sources)
                foreach(file IN LISTS x64_RESOURCE)
                    list(APPEND resource_sources ${CMAKE_CURRENT_SOURCE_DIR}/${file})
                endforeach()
                add_custom_command(
                    OUTPUT ${object}
                    COMMAND ${HOBRIN_MINGW64_WINDRES} -I ${rc_dir} -O coff ${CMAKE_CURRENT_SOURCE_DIR}/${rc} -o ${object}
                    DEPENDS ${resource_sources}
                    COMMENT "Building the 64-bit ${name}'s resources"
                    VERBATIM)
                list(APPEND objects ${object})
            endif()
            add_custom_command(
                OUTPUT ${program}
                COMMAND ${HOBRIN_MINGW64_CXX} ${x64_link_flags} ${objects} -o ${program} ${x64_LINK}
                DEPENDS ${objects}
                COMMENT "Linking the 64-bit ${name}"
                VERBATIM)
            add_custom_target(${name}-x64 ALL DEPENDS ${program})
            add_dependencies(hobrin_e2e ${name}-x64)
        endfunction()
        hobrin_x64_program(mame-standin SOURCES ${HOBRIN_STANDIN_SOURCES} LINK -lz
                           RESOURCE tools/utf8_code_page.rc tools/utf8_code_page.manifest)
        hobrin_x64_program(mame-bridge SOURCES tools/mame_bridge.cpp LINK -municode -lws2_32)
    else()
        message(WARNING "No x86-64 mingw-w64 compiler or windres: the 64-bit stand-in emulator and MAME bridge are not "
                        "built. Run bash tools/setup.sh.")
    endif()
endif()

# Timings under Wine, run by tools/bench.sh and not by the tests: the
# program driven from outside, and the bare programs timed beside it.
add_library(hobrin_bench_win STATIC bench/bench_win.cpp tests/e2e/win_shared.cpp)
target_include_directories(hobrin_bench_win PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/resources)
target_link_libraries(hobrin_bench_win PUBLIC psapi user32 kernel32)
foreach(bench startup found_switch score_list download check)
    add_executable(hobrin_${bench}_bench bench/${bench}_bench.cpp)
    target_link_libraries(hobrin_${bench}_bench PRIVATE hobrin_bench_win)
    add_dependencies(hobrin_${bench}_bench hobrin mame-standin)
endforeach()
add_dependencies(hobrin_startup_bench bench_bare_dialog bench_bare_dialog_themed)
add_executable(bench_bare_dialog WIN32 bench/bare_dialog.cpp bench/bare_dialog.rc)
add_executable(bench_bare_dialog_themed WIN32 bench/bare_dialog.cpp bench/bare_dialog.rc)
target_compile_definitions(bench_bare_dialog_themed PRIVATE BARE_THEMED)
target_include_directories(bench_bare_dialog_themed PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/bench)
set_property(SOURCE bench/bare_dialog.rc APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench/bare_themed.manifest)
add_executable(bench_wininet bench/bare_wininet.cpp)
target_link_libraries(bench_wininet PRIVATE hobrin_bench_win wininet)

include(cmake/release.cmake)
