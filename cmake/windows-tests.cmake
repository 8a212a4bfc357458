# Windows test programs, run by ctest through Wine (the toolchain's emulator). Each program is one
# ctest entry so that a run starts few Wine processes.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest googletest EXCLUDE_FROM_ALL)

function(add_wine_test name)
    add_executable(${name} ${ARGN})
    target_compile_options(${name} PRIVATE ${WARNINGS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/res)
    target_link_libraries(${name} PRIVATE zvwin gtest)
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name} COMMAND ${name})
    # A window nobody answers must fail the run, not hang it.
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# Command-line helper for scripts: starts a program and waits for or drives its dialog.
add_executable(driver tests/tools/driver.cpp tests/win/process.cpp tests/win/setup_session.cpp
    tests/win/link_reader.cpp)
target_link_libraries(driver PRIVATE ole32 uuid)
target_compile_options(driver PRIVATE ${WARNINGS})
target_include_directories(driver PRIVATE ${CMAKE_SOURCE_DIR})
target_link_options(driver PRIVATE -static)

add_wine_test(base_tests_wine ${CORE_TEST_SOURCES}
    tests/win/test_main.cpp
    tests/win/text_buffer_win32_test.cpp
    tests/win/process.cpp
    tests/win/dialog_automation.cpp
    tests/win/message_box_test.cpp
    tests/win/test_resources.rc)

# A DLL to plant and a program without the hardening, for the DLL search path test.
add_library(zvplant SHARED tests/win/planted_dll.cpp)
set_target_properties(zvplant PROPERTIES PREFIX "")
target_link_options(zvplant PRIVATE -static)
add_executable(dllprobe WIN32 tests/win/dll_probe.cpp app/dll_hardening.cpp)
target_include_directories(dllprobe PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(dllprobe PRIVATE ${WARNINGS})
target_link_options(dllprobe PRIVATE -static)

add_wine_test(app_tests
    tests/win/test_main.cpp
    tests/win/process.cpp
    tests/win/dialog_automation.cpp
    tests/win/dialog_frame_test.cpp
    tests/win/dialog_template_test.cpp
    tests/win/setup_module.cpp
    tests/win/startup_test.cpp
    tests/win/dll_planting_test.cpp
    tests/win/test_resources.rc)
target_compile_definitions(app_tests PRIVATE SETUP_EXE="Z:$<TARGET_FILE:setup>"
    PLANT_DLL="Z:$<TARGET_FILE:zvplant>" DLLPROBE_EXE="Z:$<TARGET_FILE:dllprobe>")
add_dependencies(app_tests setup zvplant dllprobe)
# A build of another flavour reads the release build's resources as well: the same template
# checks, on the file that ships.
set(ZV_RELEASE_SETUP "" CACHE FILEPATH "setup.exe of the release build, when this build is another flavour")
if(ZV_RELEASE_SETUP)
    add_test(NAME release_resources COMMAND app_tests --gtest_filter=DialogTemplate.*:Resources.*)
    set_tests_properties(release_resources PROPERTIES ENVIRONMENT "ZV_SETUP_RESOURCES=Z:${ZV_RELEASE_SETUP}")
endif()

add_wine_test(platform_tests
    tests/win/test_main.cpp
    tests/win/import_patch.cpp
    tests/win/registry_test.cpp
    tests/win/path_tokens_test.cpp)
target_link_libraries(platform_tests PRIVATE shlwapi)

# Stand-ins for the product (also the demo payload's zv.exe) and for its earlier version.
add_executable(product_standin WIN32 tests/standins/product_standin.cpp)
add_executable(earlier_standin WIN32 tests/standins/earlier_standin.cpp)
foreach(standin product_standin earlier_standin)
    target_compile_options(${standin} PRIVATE ${WARNINGS})
    target_link_options(${standin} PRIVATE -static)
endforeach()

add_wine_test(closing_tests
    tests/win/test_main.cpp
    tests/win/process.cpp
    tests/win/import_patch.cpp
    tests/win/close_product_test.cpp)
target_compile_definitions(closing_tests PRIVATE PRODUCT_STANDIN="Z:$<TARGET_FILE:product_standin>"
    EARLIER_STANDIN="Z:$<TARGET_FILE:earlier_standin>")
add_dependencies(closing_tests product_standin earlier_standin)

add_wine_test(install_tests
    tests/win/test_main.cpp
    tests/win/process.cpp
    tests/win/file_helpers.cpp
    tests/win/import_patch.cpp
    tests/win/install_file_test.cpp)
target_compile_definitions(install_tests PRIVATE DRIVER_EXE="Z:$<TARGET_FILE:driver>")
add_dependencies(install_tests driver)

add_wine_test(settings_tests
    tests/win/test_main.cpp
    tests/win/process.cpp
    tests/win/import_patch.cpp
    tests/win/file_helpers.cpp
    tests/win/registry_walk.cpp
    tests/win/setup_module.cpp
    tests/win/link_reader.cpp
    tests/win/shortcut_test.cpp
    tests/win/product_registry_test.cpp
    tests/win/install_dialog_test.cpp
    tests/win/test_resources.rc)
target_link_libraries(settings_tests PRIVATE shlwapi uuid)
target_compile_definitions(settings_tests PRIVATE SETUP_EXE="Z:$<TARGET_FILE:setup>")
add_dependencies(settings_tests setup)

# The demo product: setup.exe beside a payload with a file for every row.
add_library(library_standin SHARED tests/standins/library_standin.cpp)
set_target_properties(library_standin PROPERTIES PREFIX "")
target_link_options(library_standin PRIVATE -static)
add_executable(tool_standin tests/standins/tool_standin.cpp)
target_link_options(tool_standin PRIVATE -static)
add_custom_target(demo_source ALL
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-demo-source ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR}
    DEPENDS setup product_standin tool_standin library_standin
    COMMENT "Assembling build/demo/source"
    VERBATIM)

# End to end: the real setup.exe on a copy of the demo source folder.
add_wine_test(end_to_end_tests
    tests/win/test_main.cpp
    tests/win/process.cpp
    tests/win/file_helpers.cpp
    tests/win/link_reader.cpp
    tests/win/registry_walk.cpp
    tests/win/setup_session.cpp
    tests/win/end_to_end_test.cpp)
target_link_libraries(end_to_end_tests PRIVATE shlwapi uuid ole32)
target_compile_definitions(end_to_end_tests PRIVATE DEMO_SOURCE="Z:${CMAKE_BINARY_DIR}/demo/source")
add_dependencies(end_to_end_tests demo_source)

# Benchmark programs: references built by the same toolchain, and the measuring tool.
add_executable(minimal_dialog WIN32 bench/minimal_dialog.cpp bench/minimal_dialog.rc)
target_link_options(minimal_dialog PRIVATE -static -s)
target_compile_options(minimal_dialog PRIVATE ${RELEASE_FLAGS})
add_executable(copy_loop bench/copy_loop.cpp)
target_link_options(copy_loop PRIVATE -static)
add_executable(bench_tool bench/bench_tool.cpp tests/win/process.cpp tests/win/setup_session.cpp)
target_include_directories(bench_tool PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_tool PRIVATE psapi)
target_link_options(bench_tool PRIVATE -static)

add_wine_test(robustness_tests
    tests/win/test_main.cpp
    tests/win/process.cpp
    tests/win/file_helpers.cpp
    tests/win/import_patch.cpp
    tests/win/registry_walk.cpp
    tests/win/results_log.cpp
    tests/win/setup_module.cpp
    tests/win/setup_session.cpp
    tests/win/robustness_test.cpp
    tests/win/test_resources.rc)
target_link_libraries(robustness_tests PRIVATE shlwapi uuid)
target_compile_definitions(robustness_tests PRIVATE DEMO_SOURCE="Z:${CMAKE_BINARY_DIR}/demo/source"
    SETUP_EXE="Z:$<TARGET_FILE:setup>")
add_dependencies(robustness_tests demo_source setup)
