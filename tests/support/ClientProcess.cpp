#include "support/ClientProcess.h"

#include <vector>

#include "support/Wait.h"

namespace {

struct Owned {
    DWORD pid;
    const char* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM param)
{
    Owned* owned = reinterpret_cast<Owned*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == owned->pid && lstrcmpA(cls, owned->cls) == 0) owned->found.push_back(window);
    return TRUE;
}

} // namespace

std::string DistFolder() { return KVX_DIST_DIR_WINDOWS; }

std::string StandInFolder() { return KVX_STANDINS_DIR_WINDOWS; }

std::string StandInText(const char* windowClass, DWORD timeoutMs)
{
    // The game's window comes a moment before the text inside it.
    char shown[1024] = "";
    WaitFor([&] {
        HWND game = FindWindowA(windowClass, nullptr);
        HWND text = game ? FindWindowExA(game, nullptr, "STATIC", nullptr) : nullptr;
        return text && GetWindowTextA(text, shown, sizeof shown) > 0;
    }, timeoutMs);
    return shown;
}

void CloseStandIns(const char* windowClass)
{
    WaitFor([&] {
        HWND game = FindWindowA(windowClass, nullptr);
        if (game) PostMessageA(game, WM_CLOSE, 0, 0);
        return game == nullptr;
    }, 5000, 50);
}

bool CopyArt(const std::string& folder)
{
    CreateDirectoryA((folder + "\\skins").c_str(), nullptr);
    bool copied = CopyFileA((DistFolder() + "\\web.pal").c_str(), (folder + "\\web.pal").c_str(), FALSE) != FALSE;
    for (const char* skin : {"HiDef", "LoDef"})
        for (const char* piece : {"T", "M", "B"}) {
            const std::string name = std::string("\\skins\\") + skin + "-" + piece + ".bmp";
            copied &= CopyFileA((DistFolder() + name).c_str(), (folder + name).c_str(), FALSE) != FALSE;
        }
    return copied;
}

ClientProcess::~ClientProcess()
{
    Kill();
    if (m_info.hThread) CloseHandle(m_info.hThread);
    if (m_info.hProcess) CloseHandle(m_info.hProcess);
}

bool ClientProcess::Start(const std::string& folder, const std::string& program)
{
    // A restart reuses the object: the handles of the process before go first.
    if (m_info.hThread) CloseHandle(m_info.hThread);
    if (m_info.hProcess) CloseHandle(m_info.hProcess);
    m_info = {};
    const std::string exe = program.empty() ? DistFolder() + "\\KVX.exe" : program;
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &m_info) != FALSE;
}

HWND ClientProcess::WaitForBar(DWORD timeoutMs)
{
    HWND bar = nullptr;
    WaitFor([&] {
        Owned owned = {Pid(), "KVX1", {}};
        EnumWindows(CollectOwned, reinterpret_cast<LPARAM>(&owned));
        for (HWND w : owned.found)
            if (IsWindowVisible(w)) bar = w;
        return bar != nullptr || !IsRunning();
    }, timeoutMs);
    return bar;
}

bool ClientProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode)
{
    if (!m_info.hProcess || WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    return GetExitCodeProcess(m_info.hProcess, exitCode) != FALSE;
}

bool ClientProcess::IsRunning() const
{
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

void ClientProcess::Kill()
{
    if (IsRunning()) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
}

int CountWindows(DWORD pid, const char* cls)
{
    Owned owned = {pid, cls, {}};
    EnumWindows(CollectOwned, reinterpret_cast<LPARAM>(&owned));
    return static_cast<int>(owned.found.size());
}
