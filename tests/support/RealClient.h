// An end-to-end test's world: a scratch folder named after the test, the real server (or
// the misbehaving one) on a loopback address of the test's own, and the real KVX.exe
// started in that folder.
#ifndef KVX_TEST_REAL_CLIENT_H
#define KVX_TEST_REAL_CLIENT_H

#include <gtest/gtest.h>

#include <string>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"

class RealClientTest : public ::testing::Test {
protected:
    RealClientTest();

    // An account signed up over the wire on the running server, password "pass1".
    long SignUp(const std::string& nickname = "tester");
    // KVX.ini naming `host` (the test's server when empty) and pinning the certificate it
    // last printed, with `user` and "pass1" when it is above 0, then `extra`.
    void WriteIni(long user, const std::string& extra = "", const std::string& host = "");
    // KVX.exe started in the folder; its bar, or null.
    HWND Start();
    // The server started with `args`, a new account, KVX.ini with `extraIni`, the bar
    // started and Online; null when a step failed.
    HWND StartOnline(const std::string& args = "", const std::string& extraIni = "");
    bool Becomes(LRESULT status, DWORD timeoutMs) { return StatusBecomes(bar, status, timeoutMs); }
    // A menu command as the user picks it: sent, so a status asked next is read after it ran.
    void Choose(WORD command);
    SeenBox Box(const char* caption, DWORD timeoutMs) { return FindMessageBox(client.Pid(), caption, timeoutMs); }
    bool NoBoxFor(DWORD ms) { return Box(nullptr, ms).window == nullptr; }
    // The box captioned `caption`, answered with `button` and gone: once it is, what the
    // client does next comes after whatever its handler went on to do.
    SeenBox Answer(const char* caption, int button);
    // Closes the bar as the window manager would; true when the client ended with code 0.
    bool Close();

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
    HWND bar = nullptr;
    long account = 0;
};

#endif
