# Cross build: the release setup.exe, the Windows test programs and their helpers.
enable_language(RC)

# The release flags: small, no exceptions, no RTTI, unused sections dropped.
# ZV_RELEASE_OPTIMIZE lets the tests build the same program at another level once, so that it
# never depends on what one level happens to inline.
set(ZV_RELEASE_OPTIMIZE -Os CACHE STRING "optimisation level of the release program")
set(RELEASE_FLAGS ${ZV_RELEASE_OPTIMIZE} -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections)

add_library(zvcore STATIC ${CORE_SOURCES})
target_include_directories(zvcore PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(zvcore PRIVATE ${WARNINGS} ${RELEASE_FLAGS})

add_library(zvwin STATIC
    app/globals.cpp
    app/dialogs.cpp
    app/dll_hardening.cpp
    app/wait_pump.cpp
    app/close_product.cpp
    base/text_buffer_win32.cpp
    base/message_box_win32.cpp
    registry/registry.cpp
    paths/special_folders.cpp
    install/shell_ops.cpp
    install/file_finder.cpp
    install/install_file.cpp
    install/shortcut.cpp
    registry/product_entries.cpp
    app/install_dialog.cpp
    install/run_install.cpp
    install/run_uninstall.cpp)
target_compile_options(zvwin PRIVATE ${WARNINGS} ${RELEASE_FLAGS})
target_link_libraries(zvwin PUBLIC zvcore ole32 uuid shell32 user32 advapi32 kernel32)

add_executable(setup WIN32 app/winmain.cpp res/setup.rc)
target_include_directories(setup PRIVATE ${CMAKE_SOURCE_DIR}/res)
target_compile_options(setup PRIVATE ${WARNINGS} ${RELEASE_FLAGS})
target_link_libraries(setup PRIVATE zvwin)
target_link_options(setup PRIVATE -static -s -Wl,--gc-sections)
set_target_properties(setup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# Size and imports are printed after every link: the goal is 48 KB and system DLLs only.
add_custom_command(TARGET setup POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-artefact $<TARGET_FILE:setup> ${CMAKE_OBJDUMP}
    VERBATIM)

include(cmake/windows-tests.cmake)
