// The bar's pointer handling: hot regions following the pointer, presses, releases, the
// held-button scroll loop and the hover balloons.
#include "bar/Bar.h"

#include "ads/AdRotator.h"
#include "app/Globals.h"
#include "bar/BarLayout.h"
#include "bar/HotRegion.h"
#include "menus/CommandIds.h"
#include "menus/Menus.h"
#include "roster/roster.h"
#include "session/Session.h"
#include "skin/Painter.h"
#include "winkit/winkit.h"

namespace {

struct RegionPlan {
    RECT rect;
    bool fromBottom;
    UINT id;
};
// In creation order; each goes to the front of the list, so the list runs backwards.
const RegionPlan kRegions[] = {
    {{12, 29, 63, 48}, true, CMD_MAIN_MENU},    {{167, 0, 186, 15}, true, CMD_SCROLL_DOWN},
    {{70, 29, 187, 48}, true, CMD_STATUS_MENU}, {{173, 6, 189, 21}, false, CMD_EXIT},
    {{151, 6, 168, 21}, false, CMD_HIDE},       {{167, 126, 186, 141}, false, CMD_SCROLL_UP},
    {{12, 89, 34, 111}, false, CMD_GAME_MENU},  {{164, 89, 186, 111}, false, CMD_EVENTS},
    {{36, 89, 58, 111}, false, CMD_PREFS_MENU}, {{11, 29, 188, 78}, false, CMD_AD},
};

const DWORD kBalloonRestMs = 500;

bool ButtonDown(int key) { return GetAsyncKeyState(key) != 0; }

} // namespace

void CBar::CreateRegions()
{
    for (const RegionPlan& plan : kRegions) {
        // Coordinates are 16-bit values, as the layout defines them.
        const RECT rect = {static_cast<SHORT>(plan.rect.left), static_cast<SHORT>(plan.rect.top),
                           static_cast<SHORT>(plan.rect.right), static_cast<SHORT>(plan.rect.bottom)};
        const LONG anchor = plan.fromBottom ? m_painter->Skin().Bottom().Height() : 0;
        m_regions.insert(m_regions.begin(), std::make_unique<CHotRegion>(g_hMainWnd, rect, plan.id, anchor));
    }
}

CHotRegion* CBar::LitRegion() const
{
    for (const auto& region : m_regions)
        if (region->IsLit()) return region.get();
    return nullptr;
}

void CBar::UpdateHover(LONG x, LONG y)
{
    POINT point = {static_cast<WORD>(x), static_cast<WORD>(y)};
    if (point.x == 0 && point.y == 0) {
        GetCursorPos(&point);
        ScreenToClient(g_hMainWnd, &point);
    }
    if (!m_active) point = {0, 0};
    m_lastActivity = GetTickCount();
    CloseBalloon();
    for (const auto& region : m_regions) region->Track(point.x, point.y);
    RL_Hilight(point.x, point.y, ContactListRect(g_hMainWnd));
}

void CBar::CloseBalloon()
{
    if (m_balloon && IsWindow(m_balloon)) DestroyWindow(m_balloon);
    m_balloon = nullptr;
}

void CBar::OnMouseMove(LPARAM position)
{
    const WORD x = LOWORD(position);
    const WORD y = HIWORD(position);
    if (x == m_lastMoveX && y == m_lastMoveY) return;
    m_lastMoveX = x;
    m_lastMoveY = y;
    UpdateHover(x, y);
}

void CBar::RepeatScroll()
{
    if (!ButtonDown(VK_LBUTTON)) return;
    do {
        for (const auto& region : m_regions)
            if (region->IsPressed() && (region->Id() == CMD_SCROLL_UP || region->Id() == CMD_SCROLL_DOWN))
                m_session->OnCommand(static_cast<WORD>(region->Id()));
        WK_Idle();
        Sleep(1);
    } while (ButtonDown(VK_LBUTTON));
}

void CBar::OnLButtonUp(LONG x, LONG y)
{
    CHotRegion* region = LitRegion();
    if (region && region->Id() == CMD_AD) m_ads->Open();
    else if (region) region->Activate();
    UpdateHover(x, y);
}

void CBar::OnRButtonUp(LONG x, LONG y)
{
    if (RL_RClick()) ShowContactMenu(x, y);
    UpdateHover(x, y);
}

void CBar::UpdateBalloon()
{
    POINT pointer;
    GetCursorPos(&pointer);
    RECT window;
    GetWindowRect(g_hMainWnd, &window);
    if (GetFocus() != g_hMainWnd && m_active) {
        SetActive(false);
        return;
    }
    const bool outside =
        pointer.x < window.left || pointer.x > window.right || pointer.y < window.top || pointer.y > window.bottom;
    if (ButtonDown(VK_LBUTTON) || ButtonDown(VK_RBUTTON) || outside || !m_active || !IsWindowVisible(g_hMainWnd) ||
        g_bDragging) {
        m_lastActivity = GetTickCount();
        CloseBalloon();
        return;
    }
    const DWORD rest = GetTickCount() - m_lastActivity;
    if (rest > kBalloonRestMs && !m_balloonShown) {
        m_balloonShown = true;
        const CHotRegion* hovered = nullptr;
        for (const auto& region : m_regions)
            if (region->IsHovered()) {
                hovered = region.get();
                break;
            }
        if (!hovered) m_balloon = RL_Balloon();
        else m_balloon = hovered->ShowBalloon(hovered->Id() == CMD_AD ? m_ads->TipText() : nullptr);
    } else if (rest <= kBalloonRestMs && m_balloonShown && GetTickCount() - m_lastActivity < kBalloonRestMs) {
        CloseBalloon();
        m_balloonShown = false;
    }
}
