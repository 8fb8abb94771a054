// The real KVX.exe, started in a folder of the test's choosing and watched from outside,
// and the files and stand-in games around it.
#ifndef KVX_TEST_CLIENT_PROCESS_H
#define KVX_TEST_CLIENT_PROCESS_H

#include <windows.h>

#include <string>

// The runnable client folder of this build (KVX.exe with its DLLs), in Windows form.
std::string DistFolder();
// Copies web.pal and the skins of the runnable folder into `folder`, which a client started
// there reads them from, as from its install folder.
bool CopyArt(const std::string& folder);
// Where the game stand-ins (tools/standins) are, with no trailing backslash.
std::string StandInFolder();
// The text a running stand-in shows ("Arguments: ...\r\nFolder: ..."), waiting up to 10 s
// for a window of `windowClass`; empty when none came.
std::string StandInText(const char* windowClass);
// Closes every window of `windowClass` and waits until they are gone.
void CloseStandIns(const char* windowClass);

class ClientProcess {
public:
    ClientProcess() = default;
    ~ClientProcess(); // a client still running is killed
    ClientProcess(const ClientProcess&) = delete;
    ClientProcess& operator=(const ClientProcess&) = delete;

    // Starts KVX.exe from the dist folder (or the program `exe`, with `args`) in `folder`.
    bool Start(const std::string& folder, const std::string& exe = std::string(), const std::string& args = "");
    DWORD Pid() const { return m_info.dwProcessId; }
    // The visible bar window (class "KVX1") of this process, waiting up to timeoutMs; or null.
    HWND WaitForBar(DWORD timeoutMs = 10000);
    // True with the exit code when the process ended in time.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    bool IsRunning() const { return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT; }
    void Kill();

private:
    PROCESS_INFORMATION m_info = {};
};

#endif
