#include "support/ServerProcess.h"

#include <windows.h>

#include <map>
#include <utility>

#include "support/ScratchFolder.h"
#include "support/Wait.h"

namespace {

std::map<std::string, std::string>& Fingerprints()
{
    static std::map<std::string, std::string> known;
    return known;
}

// Starts `command` under /bin/sh without waiting; Wine runs the Unix program directly.
bool Spawn(const std::string& command)
{
    std::string escaped;
    for (char c : command) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    std::string line = "Z:\\bin\\sh -c \"" + escaped + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return false;
    // For a Unix program Wine gives no process handle and leaves a stray value in hThread:
    // closing that closed a handle of this process's own (Winsock's, seen as WSAENOTSOCK).
    if (info.hProcess) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    return true;
}

} // namespace

std::string KnownFingerprint(const std::string& address)
{
    const auto found = Fingerprints().find(address);
    return found == Fingerprints().end() ? std::string() : found->second;
}

void RememberFingerprint(const std::string& address, const std::string& fingerprint)
{
    Fingerprints()[address] = fingerprint;
}

std::string ServerIni(const std::string& address)
{
    const std::string pinned = KnownFingerprint(address);
    return "[Server]\r\n1=" + address + "\r\n" + (pinned.empty() ? "" : "Fingerprint=" + pinned + "\r\n");
}

std::string UnixPath(const std::string& windowsPath)
{
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    static const ToUnix toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return std::string();
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
    char* unix = toUnix(wide);
    if (!unix) return std::string();
    std::string out = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return out;
}

std::string FingerprintIn(const std::string& output)
{
    const std::string label = "SHA-256 fingerprint ";
    const size_t at = output.find(label);
    const size_t end = at == std::string::npos ? at : output.find('\n', at);
    return end == std::string::npos ? std::string() : output.substr(at + label.size(), end - at - label.size());
}

bool RunShell(const std::string& command, unsigned timeoutMs)
{
    const ScratchFolder scratch("shell"); // where the shell leaves its marker
    if (!Spawn("(" + command + "); touch '" + UnixPath(scratch.File("done")) + "'")) return false;
    return WaitFor([&] { return scratch.Exists("done"); }, timeoutMs);
}

bool EndProcess(const std::string& pid, const char* signal)
{
    return pid.empty() || RunShell(std::string("kill -") + signal + " " + pid + "; while kill -0 " + pid +
                                   " 2>/dev/null; do sleep 0.05; done");
}

ServerProcess::ServerProcess(const std::string& folder, const std::string& address)
    : m_folder(folder), m_unixFolder(UnixPath(folder)), m_address(address)
{
}

ServerProcess::~ServerProcess() { Stop(); }

bool ServerProcess::Start(const std::string& extraArgs)
{
    return Launch(KVX_SERVER_PATH, "--db kvx-server.db --fast-hash " + extraArgs);
}

bool ServerProcess::StartHostile(const std::vector<std::string>& scripts, const std::string& extraArgs)
{
    // The real server's certificate in this folder, so a client that pinned it trusts both.
    std::string args = "--cert kvx-server.db.cert.pem --key kvx-server.db.key.pem " + extraArgs;
    for (const std::string& script : scripts) args += " '" KVX_HOSTILE_SCRIPTS "/" + script + ".kvxs'";
    return Launch(KVX_HOSTILE_PATH, args);
}

bool ServerProcess::Launch(const std::string& program, const std::string& args)
{
    if (!m_pid.empty() || m_unixFolder.empty()) return false;
    const std::string run = "server-" + std::to_string(++m_runs);
    // The shell records its own pid, then becomes the server: that pid is the server's.
    const std::string command = "cd '" + m_unixFolder + "' && echo $$ >" + run + ".pid && exec '" + program +
                                "' --bind " + m_address + " --port 2600 " + args + " >" + run + ".out 2>>server.log";
    if (!Spawn(command)) return false;
    m_outPath = m_folder + "\\" + run + ".out";
    const std::string pidPath = m_folder + "\\" + run + ".pid";
    // The fingerprint comes in the same write as "listening on".
    const bool listening = WaitFor([&] { return !Fingerprint().empty(); }, 15000);
    Fingerprints()[m_address] = Fingerprint();
    std::string pid;
    WaitFor([&] { return (pid = ReadWhole(pidPath)).find('\n') != std::string::npos; }, 5000);
    m_pid = pid.substr(0, pid.find_first_of("\r\n"));
    return listening && !m_pid.empty();
}

std::string ServerProcess::Fingerprint() const { return FingerprintIn(Output()); }

std::string ServerProcess::Ini() const { return ServerIni(m_address); }

std::string ServerProcess::Output() const { return m_outPath.empty() ? std::string() : ReadWhole(m_outPath); }

bool ServerProcess::Stop() { return EndProcess(std::exchange(m_pid, std::string()), "TERM"); }

bool ServerProcess::Kill() { return EndProcess(std::exchange(m_pid, std::string()), "KILL"); }

std::string ServerProcess::Log() const { return ReadWhole(m_folder + "\\server.log"); }
