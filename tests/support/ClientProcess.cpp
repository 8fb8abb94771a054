#include "support/ClientProcess.h"

#include "support/Wait.h"
#include "support/WindowDriver.h"

std::string DistFolder() { return KVX_DIST_DIR_WINDOWS; }

std::string StandInFolder() { return KVX_STANDINS_DIR_WINDOWS; }

bool CopyArt(const std::string& folder)
{
    CreateDirectoryA((folder + "\\skins").c_str(), nullptr);
    bool copied = true;
    for (const char* file : {"\\web.pal", "\\skins\\HiDef-T.bmp", "\\skins\\HiDef-M.bmp", "\\skins\\HiDef-B.bmp",
                             "\\skins\\LoDef-T.bmp", "\\skins\\LoDef-M.bmp", "\\skins\\LoDef-B.bmp"})
        copied &= CopyFileA((DistFolder() + file).c_str(), (folder + file).c_str(), FALSE) != FALSE;
    return copied;
}

std::string StandInText(const char* windowClass)
{
    // The game's window comes a moment before the text inside it.
    char shown[1024] = "";
    WaitFor(
        [&] {
            HWND game = FindWindowA(windowClass, nullptr);
            HWND text = game ? FindWindowExA(game, nullptr, "STATIC", nullptr) : nullptr;
            return text && GetWindowTextA(text, shown, sizeof shown) > 0;
        },
        10000);
    return shown;
}

void CloseStandIns(const char* windowClass)
{
    WaitFor(
        [&] {
            HWND game = FindWindowA(windowClass, nullptr);
            if (game) PostMessageA(game, WM_CLOSE, 0, 0);
            return game == nullptr;
        },
        5000, 50);
}

ClientProcess::~ClientProcess() { Kill(); }

bool ClientProcess::Start(const std::string& folder, const std::string& program, const std::string& args)
{
    Kill(); // a restart reuses the object
    const std::string exe = program.empty() ? DistFolder() + "\\KVX.exe" : program;
    std::string commandLine = "\"" + exe + "\" " + args;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &m_info) != FALSE;
}

HWND ClientProcess::WaitForBar(DWORD timeoutMs)
{
    std::vector<HWND> bars;
    WaitFor([&] { return !(bars = VisibleWindows(Pid(), "KVX1")).empty() || !IsRunning(); }, timeoutMs);
    return bars.empty() ? nullptr : bars[0];
}

bool ClientProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
           GetExitCodeProcess(m_info.hProcess, exitCode);
}

void ClientProcess::Kill()
{
    if (IsRunning()) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    if (m_info.hThread) CloseHandle(m_info.hThread);
    if (m_info.hProcess) CloseHandle(m_info.hProcess);
    m_info = {};
}
