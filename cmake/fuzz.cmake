# libFuzzer targets over the portable core, built with clang under ASan and UBSan.
set(FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -g -O1)
add_library(zvcore_fuzz STATIC ${CORE_SOURCES})
target_include_directories(zvcore_fuzz PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(zvcore_fuzz PRIVATE ${WARNINGS} -fsanitize=fuzzer-no-link,address,undefined -g -O1)
foreach(target format text_buffer paths sha256)
    add_executable(${target}_fuzz fuzz/${target}_fuzz.cpp)
    target_compile_options(${target}_fuzz PRIVATE ${WARNINGS} ${FUZZ_FLAGS})
    target_link_options(${target}_fuzz PRIVATE ${FUZZ_FLAGS})
    target_link_libraries(${target}_fuzz PRIVATE zvcore_fuzz)
endforeach()
# OpenSSL's SHA-256 is the reference the fuzzer holds ours to.
target_link_libraries(sha256_fuzz PRIVATE crypto)
