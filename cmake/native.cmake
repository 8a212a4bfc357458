# Native build of the portable core under AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)

set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(zvcore STATIC ${CORE_SOURCES})
target_include_directories(zvcore PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(zvcore PRIVATE ${WARNINGS} ${SANITIZE} -g)
target_link_options(zvcore PUBLIC ${SANITIZE})

add_executable(core_tests ${CORE_TEST_SOURCES})
target_compile_options(core_tests PRIVATE ${WARNINGS} ${SANITIZE} -g)
target_link_libraries(core_tests PRIVATE zvcore GTest::gtest_main)
# Twice: with no lead bytes (every single-byte code page), and with Japanese Windows' lead bytes,
# under which every path the tests use must read the same.
set(ZV_SANITIZER_ENV "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1")
add_test(NAME core_tests_native COMMAND core_tests)
set_tests_properties(core_tests_native PROPERTIES ENVIRONMENT "${ZV_SANITIZER_ENV}")
add_test(NAME core_tests_native_cp932 COMMAND core_tests)
set_tests_properties(core_tests_native_cp932 PROPERTIES ENVIRONMENT "${ZV_SANITIZER_ENV};ZV_LEAD_BYTES=932")

# Benchmark build of the core, without sanitizers, for valgrind's counts (scripts/bench).
add_library(zvcore_bench STATIC ${CORE_SOURCES})
target_include_directories(zvcore_bench PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(zvcore_bench PRIVATE ${WARNINGS} -O2)
add_executable(core_bench bench/core_bench.cpp)
target_compile_options(core_bench PRIVATE ${WARNINGS} -O2)
target_link_libraries(core_bench PRIVATE zvcore_bench)
