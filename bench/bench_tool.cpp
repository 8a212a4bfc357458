// Measures Windows programs from outside, for scripts/bench:
//   bench startup <program> <runs>      ms from CreateProcess to its dialog being visible (and,
//                                       with ZV_BENCH_SAMPLE, the working set at that moment)
//   bench install <setup.exe> <folder> [nocopy]
//                                       ms from OK to exit with only "Copy files" ticked (with
//                                       nocopy, no box ticked), and the peak working set
//   bench run <command line>            ms from start to exit, and the peak working set
#include <windows.h>
#include <psapi.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "res/resource.h"
#include "tests/win/process.h"
#include "tests/win/setup_session.h"

namespace {

double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

unsigned long PeakKb(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return static_cast<unsigned long>(counters.PeakWorkingSetSize / 1024);
}

// Waits for the process to end, sampling its peak working set meanwhile when asked: Wine
// answers 0 for a process that has already gone. Sampling loads the wine server, so timed
// runs do not sample.
unsigned long WaitSamplingPeak(HANDLE process)
{
    if (!GetEnvironmentVariableA("ZV_BENCH_SAMPLE", nullptr, 0)) {
        WaitForSingleObject(process, INFINITE);
        return 0;
    }
    unsigned long peak = 0;
    for (;;) {
        const unsigned long now = PeakKb(process);
        if (now > peak) peak = now;
        if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0) return peak;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && !strcmp(argv[1], "startup")) {
        const int runs = atoi(argv[3]);
        for (int i = 0; i < runs; ++i) {
            ChildProcess child;
            const double start = Now();
            if (!child.Start("\"" + std::string(argv[2]) + "\"")) return 2;
            HWND dialog = WaitForDialog(child, 30000);
            const double shown = Now();
            if (!dialog) return 3;
            const bool sample = GetEnvironmentVariableA("ZV_BENCH_SAMPLE", nullptr, 0) != 0;
            const unsigned long peak = sample ? PeakKb(child.process) : 0;
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            child.WaitExit(30000);
            if (sample)
                printf("%.1f %lu\n", shown - start, peak);
            else
                printf("%.1f\n", shown - start);
        }
        return 0;
    }
    if (argc >= 4 && !strcmp(argv[1], "install")) {
        SetupSession setup;
        if (!setup.Start("\"" + std::string(argv[2]) + "\"")) return 2;
        setup.SetDestination(argv[3]);
        for (int id : {IDC_REGISTRY, IDC_START_MENU, IDC_STARTUP, IDC_START_PRODUCT}) setup.SetBox(id, false);
        if (argc >= 5 && !strcmp(argv[4], "nocopy")) setup.SetBox(IDC_COPY_FILES, false);
        const double start = Now();
        setup.PressOk();
        const unsigned long peak = WaitSamplingPeak(setup.Process().process);
        printf("%.1f %lu\n", Now() - start, peak);
        return 0;
    }
    if (argc >= 3 && !strcmp(argv[1], "run")) {
        ChildProcess child;
        const double start = Now();
        if (!child.Start(argv[2])) return 2;
        const unsigned long peak = WaitSamplingPeak(child.process);
        printf("%.1f %lu\n", Now() - start, peak);
        return 0;
    }
    fprintf(stderr, "usage: bench startup <program> <runs> | install <setup> <folder> | run <command line>\n");
    return 2;
}
