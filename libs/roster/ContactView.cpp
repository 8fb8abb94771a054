#include "ContactView.h"

#include <cstdio>

#include "StatusLook.h"
#include "artres/artres.h"

int CContactView::Rows(const RECT& area)
{
    const int rows = (area.bottom - area.top) / kRowHeight;
    return rows > 0 ? rows : 1;
}

int CContactView::RowAt(int x, int y, const RECT& area, int count)
{
    if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) return -1;
    const int row = (y - area.top) / kRowHeight;
    return row < count && row < Rows(area) ? row : -1;
}

RECT CContactView::RowRect(const RECT& area, int row)
{
    const int top = area.top + row * kRowHeight;
    const RECT rect = {area.left, top, area.right, top + kRowHeight};
    return rect;
}

std::string CContactView::Name(const ContactRecord& entry)
{
    if (entry.nickname[0]) return std::string(entry.nickname);
    char text[32];
    std::snprintf(text, sizeof text, "KVX# %ld", static_cast<long>(entry.account));
    return text;
}

void CContactView::Paint(HDC dc, const RECT& area, const std::vector<const ContactRecord*>& shown, int hilight)
{
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const int rows = Rows(area);
    for (int row = 0; row < rows && row < static_cast<int>(shown.size()); ++row) {
        const ContactRecord& entry = *shown[static_cast<size_t>(row)];
        const RECT rect = RowRect(area, row);
        if (row == hilight) {
            HBRUSH band = CreateSolidBrush(kHighlight);
            FillRect(dc, &rect, band);
            DeleteObject(band);
        }
        const CStatusLook look(entry.status, entry.addFlag != 0);
        if (HICON icon = AR_Icon(look.Icon())) DrawIconEx(dc, rect.left, rect.top, icon, 16, 16, 0, nullptr, DI_NORMAL);
        RECT text = rect;
        text.left += kTextIndent;
        SetTextColor(dc, look.Colour());
        const std::string name = Name(entry);
        DrawTextA(dc, name.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    RestoreDC(dc, saved);
}
