# Cross build: the release setup.exe, one static library per layer, and (with ZV_TESTS) the
# Windows test programs, the demo product and the benchmark programs.
enable_language(RC)
option(ZV_TESTS "build the Windows test programs, the demo product and the benchmarks" ON)

# The release flags: small, no exceptions, no RTTI, unused sections dropped. ZV_RELEASE_OPTIMIZE
# lets the tests build the same program at another level once, so that it never depends on
# what one level happens to inline.
set(ZV_RELEASE_OPTIMIZE -Os CACHE STRING "optimisation level of the release program")
set(RELEASE_FLAGS ${ZV_RELEASE_OPTIMIZE} -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)

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

add_layer(zvbase SOURCES ${BASE_PORTABLE} base/text_buffer_win32.cpp base/process_win32.cpp
    LINKS user32 kernel32)
add_layer(zvregistry SOURCES registry/registry.cpp registry/product_entries.cpp
    LINKS zvbase advapi32 shell32)
add_layer(zvpaths SOURCES ${PATHS_PORTABLE} paths/special_folders.cpp
    LINKS zvregistry)
add_layer(zvinstall SOURCES ${INSTALL_PORTABLE} install/shell_ops.cpp install/install_file.cpp
    install/shortcut.cpp install/waiting.cpp install/sequences.cpp
    LINKS zvpaths ole32 uuid shell32)
add_layer(zvapp SOURCES app/dialogs.cpp app/dll_hardening.cpp
    LINKS zvinstall)

add_executable(setup WIN32 app/winmain.cpp res/setup.rc)
target_include_directories(setup PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_options(setup PRIVATE ${WARNINGS} ${RELEASE_FLAGS})
target_link_libraries(setup PRIVATE zvapp)
target_link_options(setup PRIVATE -static -s -Wl,--gc-sections)
set_target_properties(setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Size and imports are printed after every link: the goal is 48 KB and system DLLs only.
add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-artefact $<TARGET_FILE:setup> ${CMAKE_OBJDUMP}
    VERBATIM)

if(ZV_TESTS)
    include(cmake/windows-tests.cmake)
endif()
