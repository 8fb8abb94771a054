// What the scanner's tests share: a scratch folder as the current folder (where probe.ini
// lives), a stand-in bar that keeps what the scanner asks of it, and readers of the scanner's
// real window and list.
#ifndef KVX_PROBE_TESTS_SCANNERFIXTURE_H
#define KVX_PROBE_TESTS_SCANNERFIXTURE_H

#include <winsock2.h>
#include <commctrl.h>

#include <string>

#include "probe/probe.h"
#include "support/InFolder.h"
#include "support/StandInBar.h"
#include "support/Wait.h"

enum Column { kName, kMap, kPlayers, kPing, kAddress };
enum Control { kField = 101, kAdd, kRemove, kRefresh, kStatus };

class ScannerTest : public InScratchFolder {
protected:
    ~ScannerTest() override { DestroyWindow(Scanner()); }

    HWND Open()
    {
        PR_StartSpy(bar.Handle(), 600);
        return Scanner();
    }
    static HWND Scanner() { return FindWindowA("KVXProbe", nullptr); }
    static HWND Item(int id) { return id ? GetDlgItem(Scanner(), id) : FindWindowExA(Scanner(), nullptr, WC_LISTVIEWA, nullptr); }
    static std::string Text(int id)
    {
        char text[512] = "";
        GetWindowTextA(Item(id), text, sizeof text);
        return text;
    }
    static int Rows() { return static_cast<int>(SendMessageA(Item(0), LVM_GETITEMCOUNT, 0, 0)); }
    static std::string Cell(int row, Column column)
    {
        char text[256] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(Item(0), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static int RowOf(const std::string& address)
    {
        for (int row = 0; row < Rows(); ++row)
            if (Cell(row, kAddress) == address) return row;
        return -1;
    }
    // The row of `address` once it shows an answer or a mark instead of "...", or -1.
    static int Settled(const std::string& address)
    {
        WaitFor([&] { return RowOf(address) >= 0 && Cell(RowOf(address), kPing) != "..."; }, 6000);
        return Cell(RowOf(address), kPing) == "..." ? -1 : RowOf(address);
    }
    static void Select(int row, UINT state = LVIS_SELECTED | LVIS_FOCUSED)
    {
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = state;
        SendMessageA(Item(0), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    static void Click(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }

    StandInBar bar;
};

#endif
