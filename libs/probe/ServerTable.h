// The scanner's list of servers: a report-style ListView with one row per server and the
// columns name, map, players, ping and address. It shows texts; what they mean is the
// scanner window's business.
#ifndef KVX_PROBE_SERVERTABLE_H
#define KVX_PROBE_SERVERTABLE_H

#include <windows.h>

class CServerTable {
public:
    enum Column { kName, kMap, kPlayers, kPing, kAddress, kColumns };

    CServerTable() : m_list(nullptr) {}

    // Makes the control as a child of parent; false when it could not be made.
    bool Create(HWND parent, int id);
    HWND Handle() const { return m_list; }

    // Sets every column of a row; row == Count() appends one.
    void SetRow(int row, const char* const texts[kColumns]);
    // Removes the rows from `rows` on.
    void Truncate(int rows);
    int Count() const;
    // The selected row, or -1.
    int Selected() const;

private:
    HWND m_list;
};

#endif
