// Start-up: single-instance guard, OLE, source folder, and the one modal dialog of the process.
#include <windows.h>

#include "app/dialogs.h"
#include "app/dll_hardening.h"
#include "base/code_page.h"
#include "base/command_line.h"
#include "base/platform.h"
#include "base/process_win32.h"
#include "base/product_names.h"
#include "install/payload.h"
#include "res/resource.h"

namespace {

// Fills SourceFolder with the folder of the running executable. A count equal to the room
// means the path was cut, and a cut path names the wrong folder, so the call is then repeated
// once with room for the longest path the system allows.
void FindSourceFolder()
{
    FillFromSystem(SetupProgram, [](char* area, DWORD room, const void*) -> DWORD {
        const DWORD got = GetModuleFileNameA(ModuleInstance, area, room);
        return got < room ? got : 32768;
    });
    SourceFolder.GetFolderPart(SetupProgram);
}

// A bound setup.exe vouches for the product files by its table and for itself by its
// signature; the copy it installs of itself is read from the file it runs from. Held without
// write or delete sharing for the whole run, that file cannot be replaced or renamed meanwhile
// (a running image can otherwise be renamed, and another file put under its name). The handle
// goes with the process.
void HoldOwnFile()
{
    if (PayloadBound())
        CreateFileA(SetupProgram.Text(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictDllSearchPath();
    EnforceRedirectionTrust();

    HANDLE guard = CreateMutexA(nullptr, TRUE, names::kSetupMutex);
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 0;

    OleInitialize(nullptr);
    ModuleInstance = instance;
    // Before any path is looked at: the source folder's own name may hold two-byte characters.
    ReadAnsiLeadBytes();
    FindSourceFolder();
    HoldOwnFile();
    SetCurrentDirectoryA(SourceFolder.Text());

    // The arguments are cut from the full command line by our own rule rather than taken from
    // the C runtime's lpCmdLine: the rule is then tested natively and cannot change with the
    // runtime's version. (This MinGW runtime agrees on quoted names, mid-name quotes and control
    // characters as blanks.)
    if (IsUninstallArgument(SkipProgramName(GetCommandLineA())))
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, UninstallDialogProc, 0);
    else
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_INSTALL), nullptr, InstallDialogProc, 0);

    if (guard) CloseHandle(guard);
    ReleaseProcessState();
    return 0;
}

#ifdef ZV_OWN_ENTRY
// Nothing is run at exit. Without the C runtime's start-up the static initialisers that would
// register the process-wide buffers' destructors never run, and WinMain releases the buffers
// itself; defining the registration here keeps the runtime's own version out of the program,
// with the start-up support it would pull in.
extern "C" __attribute__((externally_visible)) int atexit(void (*)(void)) { return 0; }

// The stack protector's canary and its failure, our own rather than the runtime's, whose seed
// is set by start-up code this program does not run. A frame found smashed ends the process at
// once with the code Windows gives such a failure: nothing of the program's, nor its DLLs'
// detach code, runs again on a stack that may be the attacker's. Where Windows has the
// fail-fast interrupt (8 and later say so through IsProcessorFeaturePresent, which NT 4 and 95
// lack and so is looked up), the process ends through it, which runs no handler at all and is
// recorded by Windows Error Reporting; elsewhere it is terminated with the same code.
extern "C" {
__attribute__((externally_visible)) uintptr_t __stack_chk_guard;
__attribute__((externally_visible, noreturn)) void __stack_chk_fail()
{
    typedef BOOL(WINAPI * FeaturePresent)(DWORD);
    const auto present = reinterpret_cast<FeaturePresent>(SystemFunction("IsProcessorFeaturePresent"));
    const DWORD kFastFailAvailable = 23;        // PF_FASTFAIL_AVAILABLE
    const uintptr_t kStackCookieFailure = 2;   // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
    if (present && present(kFastFailAvailable)) __asm__ volatile("int $0x29" : : "c"(kStackCookieFailure) : "memory");
    // GetCurrentProcess, not its value on NT: the pseudo-handle of the process differs on 95, 98
    // and Me, where TerminateProcess would refuse -1 and the trap's box would show.
    TerminateProcess(GetCurrentProcess(), STATUS_STACK_BUFFER_OVERRUN);
    __builtin_trap();
}
}

// The entry point of setup.exe, in place of the C runtime's start-up code, which would bring
// kilobytes the program does not use: it needs no static constructors (every process-wide
// object is constant-initialised), no exceptions and no arguments parsed by the runtime, and it
// reaches the C runtime only through msvcrt.dll, which initialises itself. It seeds the canary
// before any protected function runs, from what every Windows and processor it runs on has
// (an i486 has no time-stamp counter): the performance counter (zero where there is none), the
// tick count, the process and thread ids and the stack's address (randomised by ASLR), which
// together differ from run to run. It has no frame of its own to protect.
extern "C" __attribute__((externally_visible, no_stack_protector)) void __stdcall SetupEntryPoint()
{
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    const unsigned long long mixed = static_cast<unsigned long long>(counter.QuadPart) ^
                                     (static_cast<unsigned long long>(GetCurrentProcessId()) << 40) ^
                                     (static_cast<unsigned long long>(GetCurrentThreadId()) << 20) ^ GetTickCount();
    const uintptr_t seed = static_cast<uintptr_t>(mixed ^ (mixed >> 32)) ^ reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    __stack_chk_guard = seed ? seed : 0x2F8A6B1D;
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT)));
}
#endif
