// Prints how long the real client takes from process start to Online against a local
// server, beside two yardsticks under the same Wine: a bare Win32 window process, and a
// floor process that also does the start-up work any bar must do (COM, common controls,
// rich edit, Winsock, the seven DLLs, a tray icon) before it shows its window. What TLS
// adds to the way Online shows beside it: the connection set-up (connect, handshake with
// the certificate check, version answered) with TLS and in clear, timed the same way.
// A line starting "TABLE|" feeds the summary of scripts/bench.sh.
//   scripts/bench.sh
#include <windows.h>

#include <algorithm>
#include <stdio.h>
#include <string>
#include <vector>

#include "records/Bar.h"
#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/WireClient.h"
#include "SocketWait.h"
#include "TlsSession.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const int kRuns = 5;

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Prints the spread; returns the median.
double Print(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    printf("%-34s median %7.1f ms   min %7.1f ms   max %7.1f ms   (%d runs)\n", what, ms[ms.size() / 2], ms.front(),
           ms.back(), static_cast<int>(ms.size()));
    return ms[ms.size() / 2];
}

bool Visible(const char* cls)
{
    HWND window = FindWindowA(cls, nullptr);
    return window && IsWindowVisible(window);
}

// Starts a yardstick program and times it until its window of class `cls` shows.
double YardstickStart(const std::string& exe, const std::string& arguments, const char* cls)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = "\"" + exe + "\" " + arguments;
    const double start = NowMs();
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    while (!Visible(cls) && NowMs() - start < 20000) Sleep(1);
    const double took = NowMs() - start;
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return took;
}

double ClientToOnline(const ScratchFolder& folder)
{
    ClientProcess client;
    const double start = NowMs();
    if (!client.Start(folder.Path())) return -1;
    HWND bar = nullptr;
    DWORD_PTR status = 0;
    while (NowMs() - start < 30000) {
        if (!bar) bar = client.WaitForBar(0);
        if (bar && SendMessageTimeoutA(bar, BAR_QUERY_STATUS, 0, 0, SMTO_ABORTIFHUNG, 1000, &status) && status == 300)
            break;
        Sleep(1);
    }
    const double took = NowMs() - start;
    client.Kill();
    return status == 300 ? took : -1;
}

// Connect, the TLS handshake (when `tls`), PKT_VERSION and its answer.
double ConnectionSetUp(const std::string& address, bool tls)
{
    const double start = NowMs();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in server = {AF_INET, htons(2600), {}, {}};
    server.sin_addr.s_addr = inet_addr(address.c_str());
    TlsSession session;
    uint8_t frame[8];
    const uint32_t build = BUILD_NUMBER;
    std::string out(reinterpret_cast<const char*>(frame), kvxwire::EncodeFrame(PKT_VERSION, &build, 4, frame, 8));
    bool ok = connect(s, reinterpret_cast<sockaddr*>(&server), sizeof server) == 0 &&
              (!tls || session.Handshake(s, address.c_str(), KnownFingerprint(address).c_str(), 10000) == 0);
    if (ok && tls) {
        std::string sealed;
        ok = session.Seal(out.data(), out.size(), &sealed);
        out = sealed;
    }
    char answer[4096];
    ok = ok && SendAll(s, out.data(), static_cast<int>(out.size()), 10000) &&
         ReceiveSome(s, answer, sizeof answer, 10000) > 0;
    const double took = NowMs() - start;
    closesocket(s);
    return ok ? took : -1;
}

} // namespace

int main(int argc, char** argv)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string here = self;
    here.erase(here.find_last_of('\\') + 1);
    const int runs = argc > 1 ? atoi(argv[1]) : kRuns;

    std::vector<double> bareTimes, floorTimes;
    for (int i = 0; i < runs; ++i) {
        bareTimes.push_back(YardstickStart(here + "bare_window.exe", "", "KVXBareWindow"));
        floorTimes.push_back(YardstickStart(here + "floor_window.exe", KVX_DIST_DIR_WINDOWS, "KVXFloorWindow"));
    }

    ScratchFolder folder("startup-bench");
    ServerProcess server(folder.Path(), "127.0.9.1");
    if (!server.Start("--allow-plaintext")) {
        fprintf(stderr, "startup-bench: the server did not start\n%s", server.Log().c_str());
        return 1;
    }
    const long account = SignUpOverWire("127.0.9.1", "bench", "bench@kvx.example", "bench1");
    folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) + "\r\nPW=bench1\r\n");
    std::vector<double> onlineTimes;
    for (int i = 0; i < runs; ++i) {
        const double took = ClientToOnline(folder);
        if (took < 0) {
            fprintf(stderr, "startup-bench: the client did not get Online\n");
            return 1;
        }
        onlineTimes.push_back(took);
    }
    std::vector<double> tlsTimes, clearTimes;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    for (int i = 0; i < runs * 4; ++i) {
        tlsTimes.push_back(ConnectionSetUp("127.0.9.1", true));
        clearTimes.push_back(ConnectionSetUp("127.0.9.1", false));
    }
    WSACleanup();
    const double bareMedian = Print("bare window process, to shown:", bareTimes);
    const double floorMedian = Print("floor process, to shown:", floorTimes);
    const double onlineMedian = Print("KVX.exe, process start to Online:", onlineTimes);
    printf("TABLE|start to Online, median|%.1f ms|%.1f ms (bare window shown)\n", onlineMedian, bareMedian);
    printf("TABLE|start to Online, median|%.1f ms|%.1f ms (floor: start-up work done, shown)\n", onlineMedian,
           floorMedian);
    const double tlsMedian = Print("connection set-up with TLS:", tlsTimes);
    const double clearMedian = Print("connection set-up in clear:", clearTimes);
    printf("start to Online without TLS, estimated: %.1f ms (%.1f ms less)\n", onlineMedian - (tlsMedian - clearMedian),
           tlsMedian - clearMedian);
    printf("TABLE|connection set-up (connect, version answered), median|%.1f ms with TLS|%.1f ms in clear\n", tlsMedian,
           clearMedian);
    return 0;
}
