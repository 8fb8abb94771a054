#include "ScannerFixture.h"

#include <commctrl.h>
#include <ws2tcpip.h>

#include <string.h>

#include "probe/probe.h"
#include "support/Wait.h"
#include "wire/Packets.h"

namespace {

const char kBarClass[] = "KVXProbeTestBar";

struct BarLog {
    int libraryRequests = 0;
    int joins = 0;
    GAME_RECORD record = {};
    LPARAM game = 0;
};
BarLog g_bar;

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_USER + 14) ++g_bar.libraryRequests;
    if (message == WM_USER + 17) {
        // Sent, so the record is only valid until we return: copied now.
        ++g_bar.joins;
        memcpy(&g_bar.record, reinterpret_cast<const void*>(wParam), sizeof g_bar.record);
        g_bar.game = lParam;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

ScannerTest::ScannerTest()
{
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    g_bar = BarLog();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &BarProc;
    wc.lpszClassName = kBarClass;
    RegisterClassA(&wc);
    m_bar = CreateWindowExA(0, kBarClass, "bar", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    m_previousFolder = previous;
    m_folder.reset(new ScratchFolder("probe"));
    SetCurrentDirectoryA(m_folder->Path().c_str());
}

ScannerTest::~ScannerTest()
{
    if (HWND scanner = Scanner()) DestroyWindow(scanner);
    DestroyWindow(m_bar);
    SetCurrentDirectoryA(m_previousFolder.c_str());
    m_folder.reset();
    WSACleanup();
}

HWND ScannerTest::Open()
{
    PR_StartSpy(m_bar, 600);
    return Scanner();
}

HWND ScannerTest::Scanner() const { return FindWindowA("KVXProbe", nullptr); }

HWND ScannerTest::Table() const { return FindWindowExA(Scanner(), nullptr, WC_LISTVIEWA, nullptr); }

HWND ScannerTest::Control(int id) const { return GetDlgItem(Scanner(), id); }

int ScannerTest::Rows() const { return static_cast<int>(SendMessageA(Table(), LVM_GETITEMCOUNT, 0, 0)); }

std::string ScannerTest::Cell(int row, Column column) const
{
    char text[256] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(Table(), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ScannerTest::RowOf(const std::string& address) const
{
    for (int row = 0; row < Rows(); ++row)
        if (Cell(row, kAddress) == address) return row;
    return -1;
}

bool ScannerTest::WaitSettled(const std::string& address, DWORD timeoutMs) const
{
    return WaitFor(
        [&] {
            const int row = RowOf(address);
            return row >= 0 && Cell(row, kPing) != "...";
        },
        timeoutMs);
}

std::string ScannerTest::Status() const
{
    char text[512] = "";
    GetWindowTextA(Control(105), text, sizeof text);
    return text;
}

int ScannerTest::LibraryRequests() const { return g_bar.libraryRequests; }
int ScannerTest::Joins() const { return g_bar.joins; }
GAME_RECORD ScannerTest::LastJoin() const { return g_bar.record; }
LPARAM ScannerTest::LastJoinGame() const { return g_bar.game; }

std::string GameServersPayload(const std::vector<std::pair<std::string, int>>& servers)
{
    GameServersHead head = {kGameQuake2, static_cast<uint16_t>(servers.size())};
    std::string payload(reinterpret_cast<const char*>(&head), sizeof head);
    for (const auto& server : servers) {
        GameServerRecord record = {};
        inet_pton(AF_INET, server.first.c_str(), record.address);
        record.port = static_cast<uint16_t>(server.second);
        payload.append(reinterpret_cast<const char*>(&record), sizeof record);
    }
    return payload;
}
