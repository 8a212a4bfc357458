# Cross build: the release setup.exe, one static library per layer, and (with ZV_TESTS) the
# Windows test programs, the demo product and the benchmark programs.
enable_language(RC)
option(ZV_TESTS "build the Windows test programs, the demo product and the benchmarks" ON)

# The release flags: small, no exceptions, no RTTI, unused sections dropped. ZV_SETUP_OPTIMIZE
# lets the tests build the same program at another level once, so that it never depends on
# what one level happens to inline.
set(ZV_SETUP_OPTIMIZE -Oz CACHE STRING "optimisation level of the release program")
set(RELEASE_FLAGS ${ZV_SETUP_OPTIMIZE} -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)
# The i686 program runs on the oldest processor the oldest Windows it serves runs on: NT 4 and
# 95 run on an i486, which has no CMOV, RDTSC or CPUID (scripts/check-artefact disassembles the
# program and fails on any of them).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    list(APPEND RELEASE_FLAGS -march=i486 -mtune=generic)
endif()

# Every build first checks that no folder includes a layer above its own.
add_custom_target(layer_check
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-layers ${CMAKE_SOURCE_DIR}
    COMMENT "Checking that includes run down the layers"
    VERBATIM)

function(add_layer name)
    cmake_parse_arguments(LAYER "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${name} STATIC ${LAYER_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${WARNINGS} ${RELEASE_FLAGS})
    target_link_libraries(${name} PUBLIC ${LAYER_LINKS})
    add_dependencies(${name} layer_check)
endfunction()

set(BASE_SOURCES ${BASE_PORTABLE} base/code_page_win32.cpp base/text_buffer_win32.cpp base/process_win32.cpp)
set(REGISTRY_SOURCES registry/registry.cpp registry/product_entries.cpp)
set(PATHS_SOURCES ${PATHS_PORTABLE} paths/special_folders.cpp)
set(INSTALL_SOURCES ${INSTALL_PORTABLE} install/payload.cpp install/held_folder.cpp install/nt_file.cpp install/shell_ops.cpp install/install_file.cpp install/shortcut.cpp install/launcher.cpp
    install/waiting.cpp install/sequences.cpp)
set(APP_SOURCES app/dialogs.cpp app/dll_hardening.cpp)
set(SYSTEM_LIBRARIES user32 kernel32 advapi32 shell32 ole32 oleaut32 uuid)

add_layer(zvbase SOURCES ${BASE_SOURCES} LINKS user32 kernel32)
add_layer(zvregistry SOURCES ${REGISTRY_SOURCES} LINKS zvbase advapi32 shell32)
add_layer(zvpaths SOURCES ${PATHS_SOURCES} LINKS zvregistry)
add_layer(zvinstall SOURCES ${INSTALL_SOURCES} LINKS zvpaths ole32 oleaut32 uuid shell32 advapi32)
add_layer(zvapp SOURCES ${APP_SOURCES} LINKS zvinstall)

# The release program is compiled as one unit from the same sources, so that the compiler sees
# the whole program (-fwhole-program): what link-time optimisation would do, which this
# binutils cannot link without the C runtime's start files (ld crashes). It starts at its own
# entry point instead of the C runtime's start-up (app/winmain.cpp).
add_executable(setup WIN32 ${BASE_SOURCES} ${REGISTRY_SOURCES} ${PATHS_SOURCES} ${INSTALL_SOURCES}
    ${APP_SOURCES} app/winmain.cpp res/setup.rc)
set_target_properties(setup PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 0)
set_source_files_properties(res/setup.rc PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
target_include_directories(setup PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
# Without the per-function and per-object sections, which a whole-program build does not need:
# with them this compiler puts zero-initialised objects into .data instead of .bss.
set(SETUP_FLAGS ${RELEASE_FLAGS} -fwhole-program -fno-inline-functions-called-once -fno-partial-inlining
    -fstack-protector --param=ssp-buffer-size=4)
list(REMOVE_ITEM SETUP_FLAGS -ffunction-sections -fdata-sections)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Arguments pushed, not stored into a frame reserved up front, and no frame pointer: about a
    # sixth of the code. Pushing needs the stack probes off; no frame may then come near the 4 KB
    # guard page that grows the stack (the largest is under 400 bytes), so the build fails on one
    # over 1 KB.
    list(APPEND SETUP_FLAGS -mpreferred-stack-boundary=2 -mno-accumulate-outgoing-args -mno-stack-arg-probe
        -fomit-frame-pointer -Wframe-larger-than=1024)
    set(ZV_ENTRY _SetupEntryPoint@0)
else()
    set(ZV_ENTRY SetupEntryPoint)
endif()
target_compile_options(setup PRIVATE ${WARNINGS} ${SETUP_FLAGS})
target_compile_definitions(setup PRIVATE ZV_OWN_ENTRY ZV_NO_DOUBLE_ESCAPE)
target_link_libraries(setup PRIVATE ${SYSTEM_LIBRARIES})
# No time stamp in the image: the same sources give the same bytes, whatever the day. Marked as
# Windows' binary checks ask of a shipped program: ASLR and DEP (the linker's defaults here),
# and, for i686, registering no exception handlers (NO_SEH: it has none, so no SafeSEH table is
# needed). Not terminal-server aware: setup writes HKEY_CURRENT_USER, and on a Remote Desktop
# server in install mode only an unmarked program's writes are mapped to every user.
target_link_options(setup PRIVATE -static -s -nostartfiles -Wl,-e,${ZV_ENTRY} -Wl,--gc-sections
    -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    target_link_options(setup PRIVATE -Wl,--no-seh)
endif()
# The map names where the stripped program keeps its stack canary, for the test that reads it.
target_link_options(setup PRIVATE -Wl,-Map=${CMAKE_BINARY_DIR}/setup.map)
add_dependencies(setup layer_check)
set_target_properties(setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Size and imports are printed after every link: at most 40 KB, system DLLs only, and no
# function newer than NT 4 (docs/IMPORTS.md).
# The size budget holds for the release's optimisation only; a build at another level (the
# tests' -O2 link check) is printed, not held to it.
if(ZV_SETUP_OPTIMIZE STREQUAL "-Oz")
    set(ZV_SIZE_BUDGET 40960)
else()
    set(ZV_SIZE_BUDGET 0)
endif()
add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-artefact $<TARGET_FILE:setup> ${CMAKE_OBJDUMP} ${ZV_SIZE_BUDGET}
    VERBATIM)

# The same program linked from the layer libraries with the C runtime's start-up, the way the
# test programs use them: it must link at any optimisation level.
add_executable(setup_from_layers WIN32 app/winmain.cpp res/setup.rc)
target_include_directories(setup_from_layers PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_options(setup_from_layers PRIVATE ${WARNINGS} ${RELEASE_FLAGS})
target_link_libraries(setup_from_layers PRIVATE zvapp)
target_link_options(setup_from_layers PRIVATE -static -s)
set_target_properties(setup_from_layers PROPERTIES EXCLUDE_FROM_ALL ON)

if(ZV_TESTS)
    include(cmake/windows-tests.cmake)
endif()
