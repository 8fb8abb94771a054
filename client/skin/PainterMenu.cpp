// CPainter: the owner-drawn items of the bar's popup menus.
#include <stdio.h>

#include "app/Globals.h"
#include "artres/artres.h"
#include "menus/CommandIds.h"
#include "menus/MenuData.h"
#include "session/Status.h"
#include "skin/Painter.h"
#include "winkit/winkit.h"

namespace {

const int kItemTextSize = 300;

struct ItemIconName {
    UINT id;
    const char* icon;
};

const ItemIconName kItemIcons[] = {
    {CMD_AVAILABLE, "On"},
    {CMD_ABOUT, "On"},
    {CMD_OFFLINE, "Off"},
    {CMD_AWAY, "Away"},
    {CMD_NA, "Na"},
    {CMD_MESSAGE, "Msg"},
    {CMD_DELETE, "Del"},
    {CMD_QUAKE2_DELETE, "Del"},
    {CMD_ADD_TO_LIST, "Add"},
    {CMD_GAME_ADD, "Add"},
    {CMD_CHAT, "Chat"},
    {CMD_UNREAL, "Unreal"},
    {CMD_QUAKE, "Quake"},
    {CMD_QUAKE2, "Quake2"},
    {CMD_QUAKE2_INFO, "Quake2"},
    {CMD_SUBSPACE, "Subspace"},
    {CMD_SUBSPACE_INFO, "Subspace"},
    {CMD_TANARUS, "Tanarus"},
    {CMD_GAME_PREFS, "Prefs"},
    {CMD_LOCATE_QUAKE, "Prefs"},
    {CMD_LOCATE_SUBSPACE, "Prefs"},
    {CMD_LOCATE_UNREAL, "Prefs"},
    {CMD_LOCATE_TANARUS, "Prefs"},
    {CMD_LOCATE_QUAKE2, "Prefs"},
    {CMD_LOCATE_FIRETEAM, "Prefs"},
    {CMD_QUAKE2_SCAN, "Spy"},
    {CMD_AUTO_SEARCH, "Search"},
    {CMD_LAUNCH_QUAKE, "Launch"},
    {CMD_LAUNCH_SUBSPACE, "Launch"},
    {CMD_LAUNCH_UNREAL, "Launch"},
    {CMD_LAUNCH_TANARUS, "Launch"},
    {CMD_LAUNCH_QUAKE2, "Launch"},
    {CMD_LAUNCH_FIRETEAM, "Launch"},
    {CMD_EMAIL, "email"},
    {CMD_FILE, "file"},
    {CMD_FIRETEAM, "Fireteam"},
    {CMD_COMM_LOG, "Log"},
};

bool IsSkinItem(UINT id, ULONG_PTR data) { return id >= CMD_SKIN_FIRST && data != MENU_SUBMENU; }

} // namespace

const char* CPainter::ItemText(UINT id, ULONG_PTR data, char* buffer, int size) const
{
    if (IsSkinItem(id, data)) return data ? reinterpret_cast<const char*>(data) : "";
    if (LoadStringA(g_hInstance, id, buffer, size) <= 0) buffer[0] = '\0';
    return buffer;
}

HICON CPainter::ItemIcon(UINT id, ULONG_PTR data, const char* text) const
{
    if (id == CMD_INFO) return LoadIconA(nullptr, IDI_ASTERISK);
    for (const ItemIconName& entry : kItemIcons)
        if (entry.id == id) return AR_Icon(entry.icon);
    if (data == MENU_CHECKED) return AR_Icon("Check");
    if (IsSkinItem(id, data) && lstrcmpiA(text, m_skin->Name()) == 0) return AR_Icon("Check");
    return nullptr;
}

UINT CPainter::MeasureMenuItem(MEASUREITEMSTRUCT* item)
{
    char buffer[kItemTextSize];
    const char* text = ItemText(item->itemID, item->itemData, buffer, sizeof buffer);
    HDC dc = GetDC(g_hMainWnd);
    HGDIOBJ previous = SelectObject(dc, m_smallFont);
    SIZE extent = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &extent);
    SelectObject(dc, previous);
    ReleaseDC(g_hMainWnd, dc);
    item->itemWidth = static_cast<UINT>(extent.cx) + 20 + (item->itemData == MENU_SUBMENU ? 10 : 0);
    return item->itemWidth;
}

bool CPainter::DrawMenuItem(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT rect = item->rcItem;
    char buffer[kItemTextSize];
    const char* text = ItemText(item->itemID, item->itemData, buffer, sizeof buffer);
    const HICON icon = ItemIcon(item->itemID, item->itemData, text);
    // The menu's device context belongs to the system: leave it as it came.
    const int saved = SaveDC(dc);
    if (item->itemState & ODS_SELECTED) {
        SetTextColor(dc, kWhite);
        SelectObject(dc, m_selectionBrush);
        RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 8, 8);
    } else {
        SetTextColor(dc, item->itemData == MENU_SUBMENU ? kGreen : kYellow);
        FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    SetBkMode(dc, TRANSPARENT);
    if (icon) DrawIconEx(dc, rect.left + 5, rect.top + 2, icon, 16, 16, 0, nullptr, DI_NORMAL);
    rect.left += 26;
    SelectObject(dc, m_smallFont);
    DrawTextA(dc, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
    RestoreDC(dc, saved);
    WK_PaintMenuNC(dc);
    return true;
}
