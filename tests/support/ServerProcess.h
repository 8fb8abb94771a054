// The real KVX server (or the misbehaving one) (a Linux program, started through Wine's Unix process support) on a
// loopback address of the test's choosing, on the client's fixed port. Wine gives no
// usable handle for a Unix child, so the server's shell wrapper reports its pid in a file
// and the test ends it by pid.
#ifndef KVX_TEST_SERVER_PROCESS_H
#define KVX_TEST_SERVER_PROCESS_H

#include <string>
#include <vector>

class ServerProcess {
public:
    // `folder` (Windows form) holds the server's database and output.
    ServerProcess(const std::string& folder, const std::string& address);
    ~ServerProcess(); // a server still running is stopped
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts it with `extraArgs` and waits until it listens; false when it did not.
    bool Start(const std::string& extraArgs = std::string());
    // Starts the misbehaving server (tools/hostile) instead, playing the named scripts
    // (file names without ".kvxs"), one a connection, with `extraArgs`, and waits until it listens.
    bool StartHostile(const std::vector<std::string>& scripts, const std::string& extraArgs = std::string());
    // SIGTERM (or SIGKILL) and wait until the process is gone.
    bool Stop();
    bool Kill();
    // Everything the server logged on stderr so far.
    std::string Log() const;
    // What the running (or last) server printed on stdout.
    std::string Output() const;

    const std::string& Address() const { return m_address; }
    // The SHA-256 fingerprint of the certificate the running server printed.
    std::string Fingerprint() const;
    std::string Ini() const; // ServerIni of its address

private:
    bool Launch(const std::string& program, const std::string& args);

    std::string m_folder;     // Windows form
    std::string m_unixFolder; // the same folder for the server
    std::string m_address;
    std::string m_pid;
    std::string m_outPath;
    int m_runs = 0;
};

// The fingerprint the server last started on `address` printed; empty when none did.
std::string KnownFingerprint(const std::string& address);
// Makes `address` (a relay in front of a server) known by that server's fingerprint.
void RememberFingerprint(const std::string& address, const std::string& fingerprint);
// The certificate fingerprint a server's output printed; empty when it printed none yet.
std::string FingerprintIn(const std::string& output);
// KVX.ini's [Server] section for a client of `address`: the address and, once known, the
// fingerprint it pins.
std::string ServerIni(const std::string& address);

// The Unix path of a Windows path, as Wine maps it.
std::string UnixPath(const std::string& windowsPath);
// Runs a Unix shell command line and waits for it (through a marker file); false on timeout.
bool RunShell(const std::string& command, unsigned timeoutMs = 10000);
// Sends the Unix process `pid` (none when empty) `signal` and waits until it is gone.
bool EndProcess(const std::string& pid, const char* signal = "TERM");

#endif
