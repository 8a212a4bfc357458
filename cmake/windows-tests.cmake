# Windows test programs, run by ctest through Wine (the toolchain's emulator), the demo product
# and the benchmark programs. Each test program is one ctest entry so that a run starts few Wine
# processes; every one links the one test-support library.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
# No cross-built GoogleTest is packaged, so it is built from the distribution's sources.
set(ZV_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
add_subdirectory(${ZV_GTEST_SOURCE} googletest EXCLUDE_FROM_ALL)

# Stand-ins for the product (also the demo payload's zv.exe), its earlier version and its
# libraries and tools; a DLL to plant and a program without the DLL hardening.
foreach(standin product_standin earlier_standin)
    add_executable(${standin} WIN32 tests/standins/${standin}.cpp)
endforeach()
add_executable(tool_standin tests/standins/tool_standin.cpp)
add_library(library_standin SHARED tests/standins/library_standin.cpp)
add_library(zvplant SHARED tests/win/planted_dll.cpp)
add_executable(dllprobe WIN32 tests/win/dll_probe.cpp app/dll_hardening.cpp)
set_target_properties(library_standin zvplant PROPERTIES PREFIX "")
foreach(helper product_standin earlier_standin tool_standin library_standin zvplant dllprobe)
    target_compile_options(${helper} PRIVATE ${WARNINGS})
    target_include_directories(${helper} PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_options(${helper} PRIVATE -static)
endforeach()

# The demo product: setup.exe beside a payload with a file for every row.
add_custom_target(demo_source ALL
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-demo-source ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
    DEPENDS setup product_standin tool_standin library_standin
    COMMENT "Assembling build/demo/source"
    VERBATIM)

# Starting and driving setup.exe from outside: for the tests, the script driver and the bench.
add_library(zvtesttools STATIC tests/win/process.cpp tests/win/setup_session.cpp tests/win/link_reader.cpp)
target_include_directories(zvtesttools PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(zvtesttools PRIVATE ${WARNINGS})
target_link_libraries(zvtesttools PUBLIC ole32 uuid)

# Command-line helper for scripts: starts a program and waits for or drives its dialog.
add_executable(driver tests/tools/driver.cpp)
target_compile_options(driver PRIVATE ${WARNINGS})
target_link_libraries(driver PRIVATE zvtesttools)
target_link_options(driver PRIVATE -static)

# The one test-support library: main, processes, files, the registry walk, import patches,
# dialog automation, the release program's resources, figures for the summary.
add_library(zvtestsupport STATIC
    tests/win/test_main.cpp
    tests/win/file_helpers.cpp
    tests/win/import_patch.cpp
    tests/win/registry_walk.cpp
    tests/win/dialog_automation.cpp
    tests/win/results_log.cpp
    tests/win/setup_module.cpp)
target_include_directories(zvtestsupport PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
target_compile_options(zvtestsupport PRIVATE ${WARNINGS})
target_link_libraries(zvtestsupport PUBLIC zvapp zvtesttools gtest shlwapi psapi)
target_compile_definitions(zvtestsupport PUBLIC
    SETUP_EXE="Z:$<TARGET_FILE:setup>"
    DRIVER_EXE="Z:$<TARGET_FILE:driver>"
    DEMO_SOURCE="Z:${CMAKE_BINARY_DIR}/demo/source"
    PRODUCT_STANDIN="Z:$<TARGET_FILE:product_standin>"
    EARLIER_STANDIN="Z:$<TARGET_FILE:earlier_standin>"
    PLANT_DLL="Z:$<TARGET_FILE:zvplant>"
    DLLPROBE_EXE="Z:$<TARGET_FILE:dllprobe>"
    SETUP_MAP="Z:${CMAKE_BINARY_DIR}/setup.map")
add_dependencies(zvtestsupport setup driver demo_source earlier_standin zvplant dllprobe)

function(add_wine_test name)
    add_executable(${name} ${ARGN} tests/win/test_resources.rc)
    target_compile_options(${name} PRIVATE ${WARNINGS})
    target_link_libraries(${name} PRIVATE zvtestsupport)
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name} COMMAND ${name})
    # A window nobody answers must fail the run, not hang it.
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

add_wine_test(base_tests_wine ${CORE_TEST_SOURCES}
    tests/win/text_buffer_win32_test.cpp
    tests/win/message_box_test.cpp)
add_wine_test(app_tests
    tests/win/dialog_frame_test.cpp
    tests/win/dialog_template_test.cpp
    tests/win/startup_test.cpp
    tests/win/dll_planting_test.cpp)
# A build of another flavour reads the release build's resources as well: the same template
# checks, on the file that ships.
set(ZV_RELEASE_SETUP "" CACHE FILEPATH "setup.exe of the release build, when this build is another flavour")
if(ZV_RELEASE_SETUP)
    add_test(NAME release_resources COMMAND app_tests --gtest_filter=DialogTemplate.*:Resources.*)
    set_tests_properties(release_resources PROPERTIES ENVIRONMENT "ZV_SETUP_RESOURCES=Z:${ZV_RELEASE_SETUP}")
endif()
add_wine_test(platform_tests
    tests/win/registry_test.cpp
    tests/win/path_tokens_test.cpp)
add_wine_test(closing_tests tests/win/close_product_test.cpp)
add_wine_test(install_tests tests/win/install_file_test.cpp)
add_wine_test(settings_tests
    tests/win/shortcut_test.cpp
    tests/win/product_registry_test.cpp
    tests/win/install_dialog_test.cpp)
# End to end: the real setup.exe on a copy of the demo source folder; and once per ANSI code
# page, with folders named in it (Wine takes a process's code page from LC_ALL).
add_wine_test(end_to_end_tests tests/win/end_to_end_test.cpp tests/win/code_page_e2e_test.cpp)
set_tests_properties(end_to_end_tests PROPERTIES ENVIRONMENT "GTEST_FILTER=-InTheUsersCodePage.*")
# The signed copy and the bound one (scripts/release --payload) that scripts/check-release leaves.
target_compile_definitions(end_to_end_tests PRIVATE SIGNED_SETUP="Z:${CMAKE_BINARY_DIR}/signed/setup.exe"
    BOUND_SETUP="Z:${CMAKE_BINARY_DIR}/bound/setup.exe")
foreach(page 1252:de_DE 932:ja_JP 936:zh_CN 949:ko_KR 950:zh_TW)
    string(REPLACE ":" ";" page ${page})
    list(GET page 0 number)
    list(GET page 1 locale)
    add_test(NAME code_page_${number} COMMAND end_to_end_tests)
    set_tests_properties(code_page_${number} PROPERTIES TIMEOUT 600
        ENVIRONMENT "GTEST_FILTER=InTheUsersCodePage.*;ZV_CODE_PAGE=${number};LC_ALL=${locale}.UTF-8")
endforeach()
add_wine_test(robustness_tests tests/win/robustness_test.cpp)
# Real faults: full and read-only drives (tmpfs, mounted by scripts/fault-drive), vanishing
# files, setup ended midway; and what an unprivileged process can plant in setup's way.
add_wine_test(fault_tests tests/win/fault_test.cpp tests/win/planted_test.cpp)
target_compile_definitions(fault_tests PRIVATE FAULT_DRIVE="Z:${CMAKE_SOURCE_DIR}/scripts/fault-drive"
    FAULT_MOUNT="${CMAKE_BINARY_DIR}/faultdrive")

# Benchmark programs: references built by the same toolchain, and the measuring tool.
foreach(reference minimal_dialog minimal_dialog_startup minimal_dialog_imports)
    add_executable(${reference} WIN32 bench/minimal_dialog.cpp bench/minimal_dialog.rc)
    target_link_options(${reference} PRIVATE -static -s)
    target_compile_options(${reference} PRIVATE ${RELEASE_FLAGS})
endforeach()
target_compile_definitions(minimal_dialog_startup PRIVATE ZV_STARTUP_CALLS)
target_link_libraries(minimal_dialog_startup PRIVATE ole32)
target_compile_definitions(minimal_dialog_imports PRIVATE ZV_STARTUP_CALLS ZV_SETUP_IMPORTS)
target_link_libraries(minimal_dialog_imports PRIVATE ole32 shell32 advapi32)
add_executable(copy_loop bench/copy_loop.cpp)
target_link_options(copy_loop PRIVATE -static)
add_executable(bench_tool bench/bench_tool.cpp)
target_link_libraries(bench_tool PRIVATE zvtesttools psapi)
target_link_options(bench_tool PRIVATE -static)
