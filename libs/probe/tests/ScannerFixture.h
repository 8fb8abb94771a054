// What the scanner tests share: Winsock, a scratch folder as the current folder (where
// probe.ini lives), a window standing in for the bar that records what the scanner sends
// it, and readers of the scanner's real window and list.
#ifndef KVX_PROBE_TESTS_SCANNERFIXTURE_H
#define KVX_PROBE_TESTS_SCANNERFIXTURE_H

#include <gtest/gtest.h>

#include <winsock2.h>

#include <memory>
#include <string>
#include <vector>

#include "games/GameRecord.h"
#include "support/ScratchFolder.h"

enum Column { kName, kMap, kPlayers, kPing, kAddress };

class ScannerTest : public ::testing::Test {
protected:
    ScannerTest();
    ~ScannerTest() override;

    // PR_StartSpy(bar, 600); the scanner's window, NULL when none opened.
    HWND Open();
    HWND Scanner() const;
    HWND Table() const;
    HWND Control(int id) const; // 101 address, 102 Add, 103 Remove, 104 Refresh, 105 status

    int Rows() const;
    std::string Cell(int row, Column column) const;
    // The row whose address column reads `address`, or -1.
    int RowOf(const std::string& address) const;
    // Pumps messages until the server's row has an answer or a mark (no "..." ping).
    bool WaitSettled(const std::string& address, DWORD timeoutMs = 6000) const;
    std::string Status() const;

    // What the stand-in bar saw.
    int LibraryRequests() const;
    int Joins() const;
    GAME_RECORD LastJoin() const;
    LPARAM LastJoinGame() const;

    std::unique_ptr<ScratchFolder> m_folder;
    HWND m_bar;

private:
    std::string m_previousFolder;
};

// A PKT_GAME_SERVERS payload naming these dotted addresses and ports.
std::string GameServersPayload(const std::vector<std::pair<std::string, int>>& servers);

#endif
