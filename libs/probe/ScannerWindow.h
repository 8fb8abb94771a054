// The Quake II server scanner: one modeless top-level window of class "KVXProbe", owned by
// no window and run by the caller's message loop. It lists the user's own servers (kept in
// probe.ini in the current folder) and those the KVX server names, queries each on a worker
// thread (an answer within two seconds or "timeout"), and joins one on a double click by
// sending the bar its GAME_RECORD.
#ifndef KVX_PROBE_SCANNERWINDOW_H
#define KVX_PROBE_SCANNERWINDOW_H

#include <windows.h>

#include <string>
#include <vector>

#include "ListFile.h"
#include "ServerAddress.h"
#include "ServerList.h"
#include "ServerQuery.h"
#include "ServerTable.h"
#include "records/WindowProc.h"

class CScannerWindow {
public:
    static const char kClassName[];
    static const char kListFileName[];

    // Opens the window, or brings the open one forward, and asks the bar for the list.
    static HWND Open(HWND bar);
    // A PKT_GAME_SERVERS payload from the KVX server; kept for the window, open or not.
    static void TakeServerList(const void* payload, int length);

private:
    enum ControlId { kTableId = 100, kEditId, kAddId, kRemoveId, kRefreshId, kStatusId };
    static const UINT kResultMessage = WM_APP + 1; // lParam: QueryResult*
    static const UINT kListMessage = WM_APP + 2;   // the KVX server's list changed

    struct Entry {
        kvxprobe::ServerAddress address;
        bool own = false;     // from the user's list, so removable
        bool waiting = false; // a query is out
        unsigned serial = 0;  // of the latest query
        QueryResult result;
    };

    friend struct CWindowProc<CScannerWindow>;
    struct Params {
        HWND bar;
    };
    static const Route<CScannerWindow> kRoutes[];

    CScannerWindow(HWND window, const Params& params);
    ~CScannerWindow(); // deletes the font; the scanner is closed
    CScannerWindow(const CScannerWindow&) = delete;
    CScannerWindow& operator=(const CScannerWindow&) = delete;

    static bool RegisterOnce(HINSTANCE instance);
    static LRESULT CALLBACK EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnSize(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnGetMinMaxInfo(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCommand(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnNotify(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnQueryResult(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnServerList(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCtlColorStatic(HWND, UINT, WPARAM, LPARAM);

    void AddTyped();
    void RemoveSelected();
    void Refresh();
    void Join(int row);
    void LoadOwnList();
    bool SaveOwnList();
    // Lists a server once; false when it is listed already.
    bool Include(const kvxprobe::ServerAddress& address, bool own);
    void Query(Entry& entry);
    void ShowRow(size_t index);
    void ShowAll();
    void SetStatus(const std::string& text, bool problem);

    static HWND s_window;
    static std::vector<kvxprobe::ServerAddress> s_kvxServers;
    static unsigned s_serial;

    HWND m_window;
    HWND m_bar;
    HWND m_edit;
    HWND m_status;
    HFONT m_font;
    bool m_problem; // the status line shows an error
    CServerTable m_table;
    CListFile m_file;
    kvxprobe::ServerList m_ownList;
    std::vector<Entry> m_entries;
};

#endif
