// Prints what an idle Online bar costs beside a bare window process, both running at once
// under the same Wine: CPU time (user + kernel) over a quiet stretch and
// the working set (current and peak). The bar is the real KVX.exe signed in to a real
// local server on loopback. Lines starting "TABLE|" feed the summary of scripts/bench.sh.
//   idle_bench.exe [seconds]      (60 by default)
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

#include "records/Bar.h"
#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"
#include "support/WireClient.h"

namespace {

const char kServerAddress[] = "127.0.9.1";
const DWORD kSettleMs = 3000; // start-up work (first paint, contact list, ads) is over by then

struct Usage {
    double cpuMs = 0;
    double workingSetMb = 0;
    double peakWorkingSetMb = 0;
};

// User + kernel time of process `pid` so far, in ms, or -1. Wine's GetProcessTimes gives
// the caller's own times for any handle, so the figures come from the system's process
// list instead, which Wine fills from the kernel's accounting of that process (10-ms steps).
double CpuMs(DWORD pid)
{
    typedef NTSTATUS(NTAPI * Query)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    static const Query query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<BYTE> buffer(1 << 20);
    ULONG needed = 0;
    if (!query || query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed) != 0)
        return -1;
    for (const BYTE* at = buffer.data();;) {
        const SYSTEM_PROCESS_INFORMATION* info = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(at);
        if (reinterpret_cast<DWORD_PTR>(info->UniqueProcessId) == pid)
            return static_cast<double>(info->UserTime.QuadPart + info->KernelTime.QuadPart) / 1e4;
        if (!info->NextEntryOffset) return -1;
        at += info->NextEntryOffset;
    }
}

void ReadMemory(HANDLE process, Usage& usage)
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(process, &counters, sizeof counters)) return;
    usage.workingSetMb = static_cast<double>(counters.WorkingSetSize) / (1024.0 * 1024.0);
    usage.peakWorkingSetMb = static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

void Row(const char* figure, double ours, double reference, const char* unit)
{
    printf("TABLE|%s|%.1f %s|%.1f %s\n", figure, ours, unit, reference, unit);
}

} // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? atoi(argv[1]) : 60;
    if (seconds < 1) {
        fprintf(stderr, "usage: idle_bench.exe [seconds]\n");
        return 2;
    }
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string bareExe = self;
    bareExe.erase(bareExe.find_last_of('\\') + 1);
    bareExe += "bare_window.exe";

    ScratchFolder folder("idle-bench");
    ServerProcess server(folder.Path(), kServerAddress);
    if (!server.Start()) {
        fprintf(stderr, "idle-bench: the server did not start\n%s", server.Log().c_str());
        return 1;
    }
    const long account = SignUpOverWire(kServerAddress, "idle", "idle@kvx.example", "idle1");
    folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) + "\r\nPW=idle1\r\n");

    ClientProcess bare;
    ClientProcess client;
    HWND bar = nullptr;
    const bool started = bare.Start(folder.Path(), bareExe) &&
                         WaitFor([] { return FindWindowA("KVXBareWindow", nullptr) != nullptr; }, 20000) &&
                         client.Start(folder.Path()) && (bar = client.WaitForBar(20000)) != nullptr &&
                         StatusBecomes(bar, 300, 30000);
    if (!started) {
        fprintf(stderr, "idle-bench: the bare window or the Online bar did not come up\n");
        return 1;
    }
    Sleep(kSettleMs);

    const DWORD pids[2] = {client.Pid(), bare.Pid()};
    Usage usage[2];
    double before[2];
    for (int i = 0; i < 2; ++i) before[i] = CpuMs(pids[i]);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    for (int i = 0; i < 2; ++i) {
        usage[i].cpuMs = CpuMs(pids[i]) - before[i];
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pids[i]);
        ReadMemory(process, usage[i]);
        CloseHandle(process);
    }
    const bool stillOnline = Ask(bar, BAR_QUERY_STATUS) == 300;

    const double wallMs = seconds * 1000.0;
    printf("idle for %d s (after %u ms to settle); KVX.exe %s\n", seconds, static_cast<unsigned>(kSettleMs),
           stillOnline ? "stayed Online" : "was no longer Online");
    printf("%-30s %10s %10s\n", "", "KVX.exe", "bare");
    printf("%-30s %10.1f %10.1f\n", "CPU, user + kernel (ms)", usage[0].cpuMs, usage[1].cpuMs);
    printf("%-30s %10.3f %10.3f\n", "CPU, % of one core", 100.0 * usage[0].cpuMs / wallMs,
           100.0 * usage[1].cpuMs / wallMs);
    printf("%-30s %10.1f %10.1f\n", "working set, current (MB)", usage[0].workingSetMb, usage[1].workingSetMb);
    printf("%-30s %10.1f %10.1f\n", "working set, peak (MB)", usage[0].peakWorkingSetMb, usage[1].peakWorkingSetMb);
    const std::string cpuFigure = "idle CPU over " + std::to_string(seconds) + " s, user+kernel";
    Row(cpuFigure.c_str(), usage[0].cpuMs, usage[1].cpuMs, "ms");
    printf("TABLE|idle CPU, share of one core|%.3f %%|%.3f %%\n", 100.0 * usage[0].cpuMs / wallMs,
           100.0 * usage[1].cpuMs / wallMs);
    Row("working set, current", usage[0].workingSetMb, usage[1].workingSetMb, "MB");
    Row("working set, peak", usage[0].peakWorkingSetMb, usage[1].peakWorkingSetMb, "MB");
    return stillOnline ? 0 : 1;
}
