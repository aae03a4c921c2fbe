# Native build of the portable core: unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, libFuzzer targets when the compiler is clang.
option(HOBRIN_SANITIZE "Build the native tests with ASan and UBSan" ON)
enable_testing()
find_package(GTest REQUIRED)

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(HOBRIN_SANITIZE)
    target_compile_options(hobrin_core PUBLIC ${sanitizers})
    target_link_options(hobrin_core PUBLIC ${sanitizers})
endif()

# Taking recordings out of downloaded archives needs minizip, which the core
# does without. The sanitizer flags come with hobrin_core.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
add_library(hobrin_extract STATIC online/extract.cpp online/disk_files_posix.cpp)
target_link_libraries(hobrin_extract PUBLIC hobrin_core PkgConfig::MINIZIP)

set(HOBRIN_RESULTS_DIR ${CMAKE_BINARY_DIR}/results CACHE PATH "Where test binaries write their XML reports")

add_executable(hobrin_unit
    tests/unit/bounded_text_test.cpp
    tests/unit/command_line_test.cpp
    tests/unit/console_text_test.cpp
    tests/unit/extract_test.cpp
    tests/unit/feed_walk_test.cpp
    tests/unit/game_list_test.cpp
    tests/unit/listing_scan_test.cpp
    tests/unit/recording_path_test.cpp
    tests/unit/score_record_test.cpp
    tests/unit/score_text_test.cpp
    tests/unit/settings_test.cpp
    tests/unit/versions_test.cpp
)
find_package(ZLIB REQUIRED)
target_link_libraries(hobrin_unit PRIVATE hobrin_core hobrin_extract ZLIB::ZLIB GTest::gtest_main)
add_test(NAME unit COMMAND hobrin_unit --gtest_output=xml:${HOBRIN_RESULTS_DIR}/unit.xml)

# Each fuzzer also runs briefly as a test, from its seed corpus.
function(hobrin_fuzzer name source corpus)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        return()
    endif()
    # The core is compiled in again so that libFuzzer sees its coverage.
    add_executable(${name} ${source} ${HOBRIN_CORE_SOURCES})
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    # New inputs go to a folder in the build tree; the seeds are only read.
    set(work_corpus ${CMAKE_BINARY_DIR}/fuzz/${name})
    file(MAKE_DIRECTORY ${work_corpus})
    add_test(NAME ${name}
        COMMAND ${name} -runs=30000 -max_len=4096 -timeout=10 -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/
                ${work_corpus} ${CMAKE_CURRENT_SOURCE_DIR}/${corpus})
endfunction()

# The same with the archive extraction and minizip compiled in.
function(hobrin_extract_fuzzer name source corpus)
    hobrin_fuzzer(${name} ${source} ${corpus})
    if(TARGET ${name})
        target_sources(${name} PRIVATE online/extract.cpp online/disk_files_posix.cpp)
        target_link_libraries(${name} PRIVATE PkgConfig::MINIZIP)
    endif()
endfunction()

hobrin_fuzzer(versions_fuzz tests/fuzz/versions_fuzz.cpp tests/fuzz/versions_corpus)
hobrin_fuzzer(listing_fuzz tests/fuzz/listing_fuzz.cpp tests/fuzz/listing_corpus)
hobrin_fuzzer(feed_fuzz tests/fuzz/feed_fuzz.cpp tests/fuzz/feed_corpus)
hobrin_extract_fuzzer(extract_fuzz tests/fuzz/extract_fuzz.cpp tests/fuzz/extract_corpus)

# Timings of the listing scan and the feed walk, run by hand and not a test.
# The core is compiled in again, optimised and without the sanitizers
# hobrin_core carries.
find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(hobrin_bench bench/listing_bench.cpp bench/feed_bench.cpp ${HOBRIN_CORE_SOURCES})
    target_include_directories(hobrin_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(hobrin_bench PRIVATE -O2)
    target_compile_definitions(hobrin_bench PRIVATE NDEBUG)
    target_link_libraries(hobrin_bench PRIVATE benchmark::benchmark)
endif()
