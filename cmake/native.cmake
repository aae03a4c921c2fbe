# Native build of the portable core: unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, libFuzzer targets when the compiler is clang.
option(HOBRIN_SANITIZE "Build the native tests with ASan and UBSan" ON)
enable_testing()
find_package(GTest REQUIRED)

# A recording's frames are counted by inflating them.
find_package(ZLIB REQUIRED)
target_link_libraries(hobrin_core PUBLIC ZLIB::ZLIB)

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(HOBRIN_SANITIZE)
    target_compile_options(hobrin_core PUBLIC ${sanitizers})
    target_link_options(hobrin_core PUBLIC ${sanitizers})
endif()

# Taking recordings out of downloaded archives needs minizip, which the core
# does without. The sanitizer flags come with hobrin_core. The extraction's
# sources are listed once, for its library and for its fuzzer.
set(HOBRIN_EXTRACT_SOURCES
    online/extract.cpp
    online/disk_files_posix.cpp
)
find_package(PkgConfig REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
add_library(hobrin_extract STATIC ${HOBRIN_EXTRACT_SOURCES})
target_link_libraries(hobrin_extract PUBLIC hobrin_core PkgConfig::MINIZIP)

set(HOBRIN_RESULTS_DIR ${CMAKE_BINARY_DIR}/results CACHE PATH "Where test binaries write their XML reports")

add_executable(hobrin_unit
    tests/unit/bounded_text_test.cpp
    tests/unit/command_line_test.cpp
    tests/unit/command_split_test.cpp
    tests/unit/console_text_test.cpp
    tests/unit/emulator_forms_test.cpp
    tests/unit/extract_test.cpp
    tests/unit/feed_walk_test.cpp
    tests/unit/frame_findings_test.cpp
    tests/unit/game_list_test.cpp
    tests/unit/known_emulators_test.cpp
    tests/unit/listing_scan_test.cpp
    tests/unit/recording_check_test.cpp
    tests/unit/recording_frames_test.cpp
    tests/unit/recording_path_test.cpp
    tests/unit/redirect_test.cpp
    tests/unit/rom_audit_test.cpp
    tests/unit/score_record_test.cpp
    tests/unit/score_text_test.cpp
    tests/unit/settings_test.cpp
    tests/unit/shown_text_test.cpp
    tests/unit/versions_test.cpp
)
find_package(ZLIB REQUIRED)
target_link_libraries(hobrin_unit PRIVATE hobrin_core hobrin_extract ZLIB::ZLIB GTest::gtest_main)
add_test(NAME unit COMMAND hobrin_unit --gtest_output=xml:${HOBRIN_RESULTS_DIR}/unit.xml)

# libFuzzer targets, built only by clang. Each also runs briefly as a test,
# from its seed corpus; tools/fuzz.sh runs them for longer. They are
# optimised a little (-O1, as libFuzzer advises): a run of versions_fuzz
# then takes less than half the time of the debug build's -O0.
set(fuzz_flags -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
# The same instrumentation for the libraries compiled into a fuzzer.
set(fuzz_library_flags -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all)
set(fuzz_work ${CMAKE_BINARY_DIR}/fuzz)
# The core, instrumented so that libFuzzer sees its coverage, is compiled
# once for every fuzzer.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_library(hobrin_core_fuzz OBJECT ${HOBRIN_CORE_SOURCES})
    target_include_directories(hobrin_core_fuzz PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(hobrin_core_fuzz PRIVATE ${fuzz_library_flags})
    target_link_libraries(hobrin_core_fuzz PUBLIC ZLIB::ZLIB)
endif()

# hobrin_fuzzer(NAME SOURCE CORPUS [MAX_LEN BYTES] [RUNS N]): inputs are at
# most 4096 bytes and the test makes 30000 runs unless told otherwise.
function(hobrin_fuzzer name source corpus)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 3 fuzz "" "MAX_LEN;RUNS" "")
    if(NOT fuzz_MAX_LEN)
        set(fuzz_MAX_LEN 4096)
    endif()
    if(NOT fuzz_RUNS)
        set(fuzz_RUNS 30000)
    endif()
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE hobrin_core_fuzz)
    target_compile_options(${name} PRIVATE ${fuzz_flags})
    target_link_options(${name} PRIVATE ${fuzz_flags})
    # New inputs go to a folder in the build tree; the seeds are only read.
    set(work_corpus ${fuzz_work}/${name})
    set(seeds ${CMAKE_CURRENT_SOURCE_DIR}/${corpus})
    file(MAKE_DIRECTORY ${work_corpus})
    add_test(NAME ${name}
        COMMAND ${name} -runs=${fuzz_RUNS} -max_len=${fuzz_MAX_LEN} -timeout=10 -artifact_prefix=${fuzz_work}/
                ${work_corpus} ${seeds})
    # One line per target for tools/fuzz.sh: name, program, longest input,
    # work corpus, seeds.
    set_property(GLOBAL APPEND_STRING PROPERTY hobrin_fuzz_targets
                 "${name}\t$<TARGET_FILE:${name}>\t${fuzz_MAX_LEN}\t${work_corpus}\t${seeds}\n")
endfunction()

# The archive fuzzer compiles minizip from zlib's source package, which
# tools/setup.sh unpacks into build/deps for the Windows build, with the same
# defines as there and the fuzzer's instrumentation, so that coverage and
# AddressSanitizer reach inside it. zlib is the system's.
set(HOBRIN_MINIZIP_DIR ${CMAKE_SOURCE_DIR}/build/deps/zlib-src/contrib/minizip CACHE PATH
    "Folder holding minizip's unzip.c and ioapi.c")
set(fuzz_minizip PkgConfig::MINIZIP)
if(CMAKE_C_COMPILER_ID MATCHES "Clang" AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    if(EXISTS ${HOBRIN_MINIZIP_DIR}/unzip.c AND EXISTS ${HOBRIN_MINIZIP_DIR}/ioapi.c)
        find_package(ZLIB REQUIRED)
        add_library(minizip_fuzz STATIC ${HOBRIN_MINIZIP_DIR}/unzip.c ${HOBRIN_MINIZIP_DIR}/ioapi.c)
        target_include_directories(minizip_fuzz PUBLIC ${HOBRIN_MINIZIP_DIR})
        target_compile_definitions(minizip_fuzz PUBLIC NOCRYPT NOUNCRYPT)
        # Its old C draws many warnings that are not ours to fix.
        target_compile_options(minizip_fuzz PRIVATE -w ${fuzz_library_flags})
        target_link_libraries(minizip_fuzz PUBLIC ZLIB::ZLIB)
        set(fuzz_minizip minizip_fuzz)
    else()
        message(WARNING "minizip's sources are missing from ${HOBRIN_MINIZIP_DIR}: extract_fuzz links the "
                        "system's uninstrumented libminizip, so its coverage stops at the library. Run "
                        "bash tools/setup.sh (it fetches zlib's source package into build/deps) and configure again.")
    endif()
endif()

# The same with the archive extraction and minizip compiled in.
function(hobrin_extract_fuzzer name source corpus)
    hobrin_fuzzer(${name} ${source} ${corpus} ${ARGN})
    if(TARGET ${name})
        target_sources(${name} PRIVATE ${HOBRIN_EXTRACT_SOURCES})
        target_link_libraries(${name} PRIVATE ${fuzz_minizip})
    endif()
endfunction()

hobrin_fuzzer(versions_fuzz tests/fuzz/versions_fuzz.cpp tests/fuzz/versions_corpus)
# Long enough to cross several refills of the scan's 16 KiB read buffer;
# fewer test runs, as each scans up to 64 KiB three times.
hobrin_fuzzer(listing_fuzz tests/fuzz/listing_fuzz.cpp tests/fuzz/listing_corpus MAX_LEN 65536 RUNS 10000)
hobrin_fuzzer(feed_fuzz tests/fuzz/feed_fuzz.cpp tests/fuzz/feed_corpus)
hobrin_fuzzer(redirect_fuzz tests/fuzz/redirect_fuzz.cpp tests/fuzz/redirect_corpus)
hobrin_fuzzer(emulator_answer_fuzz tests/fuzz/emulator_answer_fuzz.cpp tests/fuzz/emulator_answer_corpus)
hobrin_fuzzer(command_line_fuzz tests/fuzz/command_line_fuzz.cpp tests/fuzz/command_line_corpus MAX_LEN 64)
hobrin_fuzzer(known_emulators_fuzz tests/fuzz/known_emulators_fuzz.cpp tests/fuzz/known_emulators_corpus)
hobrin_fuzzer(audit_fuzz tests/fuzz/audit_fuzz.cpp tests/fuzz/audit_corpus)
# Fewer test runs: each input feeds up to 1364 frames and formats every verdict five times.
hobrin_fuzzer(frame_findings_fuzz tests/fuzz/frame_findings_fuzz.cpp tests/fuzz/frame_findings_corpus RUNS 10000)
hobrin_extract_fuzzer(extract_fuzz tests/fuzz/extract_fuzz.cpp tests/fuzz/extract_corpus)
get_property(fuzz_targets GLOBAL PROPERTY hobrin_fuzz_targets)
file(GENERATE OUTPUT ${fuzz_work}/targets.txt CONTENT "${fuzz_targets}")

# Timings of the listing scan, the feed walk and the frames' analysis, run by hand and not a test.
# tools/bench.sh builds them in a release build of their own, whose core is
# optimised as the program's and carries no sanitizers; the test build
# builds them only to keep them compiling, against its sanitized core.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(hobrin_bench bench/listing_bench.cpp bench/feed_bench.cpp bench/check_count_bench.cpp
                                bench/title_search_bench.cpp bench/frame_findings_bench.cpp)
    target_compile_options(hobrin_bench PRIVATE -O2)
    target_compile_definitions(hobrin_bench PRIVATE NDEBUG)
    target_link_libraries(hobrin_bench PRIVATE hobrin_core benchmark::benchmark ZLIB::ZLIB)
endif()
