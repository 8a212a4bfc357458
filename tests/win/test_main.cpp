#include <windows.h>

#include <gtest/gtest.h>

#include "base/process_win32.h"

int main(int argc, char** argv)
{
    ModuleInstance = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
