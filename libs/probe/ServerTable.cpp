#include "ServerTable.h"

#include <commctrl.h>

namespace {

struct ColumnSpec {
    const char* title;
    int width;
    int format;
};

const ColumnSpec kSpecs[CServerTable::kColumns] = {
    {"Server", 190, LVCFMT_LEFT}, {"Map", 80, LVCFMT_LEFT},      {"Players", 60, LVCFMT_RIGHT},
    {"Ping", 84, LVCFMT_RIGHT},   {"Address", 140, LVCFMT_LEFT},
};

} // namespace

bool CServerTable::Create(HWND parent, int id)
{
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    m_list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "", style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), nullptr);
    if (!m_list) return false;
    SendMessageA(m_list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    for (int i = 0; i < kColumns; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = kSpecs[i].format;
        column.cx = kSpecs[i].width;
        column.pszText = const_cast<char*>(kSpecs[i].title);
        column.iSubItem = i;
        SendMessageA(m_list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    return true;
}

void CServerTable::SetRow(int row, const char* const texts[kColumns])
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(texts[0]);
    if (row >= Count()) {
        item.iItem = Count();
        SendMessageA(m_list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    } else {
        SendMessageA(m_list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
    for (int i = 1; i < kColumns; ++i) {
        item.iSubItem = i;
        item.pszText = const_cast<char*>(texts[i]);
        SendMessageA(m_list, LVM_SETITEMTEXTA, item.iItem, reinterpret_cast<LPARAM>(&item));
    }
}

void CServerTable::Truncate(int rows)
{
    for (int row = Count() - 1; row >= rows; --row) SendMessageA(m_list, LVM_DELETEITEM, row, 0);
}

int CServerTable::Count() const { return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }

int CServerTable::Selected() const
{
    return static_cast<int>(SendMessageA(m_list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
