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
#include "support/WindowDriver.h"

enum Column { kName, kMap, kPlayers, kPing, kAddress };
enum Control { kList = 0, kField = 101, kAdd, kRemove, kRefresh, kStatus };

class ScannerTest : public InScratchFolder {
protected:
    ~ScannerTest() override { DestroyWindow(Scanner()); }

    HWND Open()
    {
        PR_StartSpy(bar.Handle(), 600);
        return Scanner();
    }
    static HWND Scanner() { return FindWindowA("KVXProbe", nullptr); }
    static HWND Item(int id)
    {
        return id ? GetDlgItem(Scanner(), id) : FindWindowExA(Scanner(), nullptr, WC_LISTVIEWA, nullptr);
    }
    static int Rows() { return static_cast<int>(SendMessageA(Item(kList), LVM_GETITEMCOUNT, 0, 0)); }
    static std::string Cell(int row, Column column)
    {
        char text[256] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(Item(kList), LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    // The row of `address`, once it shows an answer or a mark instead of "..." when `settled`; -1 for none.
    static int RowOf(const std::string& address, bool settled = false)
    {
        int found = -1;
        WaitFor(
            [&] {
                for (found = Rows() - 1; found >= 0 && Cell(found, kAddress) != address;) --found;
                return !settled || (found >= 0 && Cell(found, kPing) != "...");
            },
            6000);
        return found;
    }
    static void Select(int row, UINT state = LVIS_SELECTED | LVIS_FOCUSED)
    {
        LVITEMA item = {};
        item.state = state;
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(Item(kList), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    static void Press(int id) { SendMessageA(Item(id), BM_CLICK, 0, 0); }

    StandInBar bar;
};

#endif
