// The popup menus as the bar opens them, read from the real menu windows while they are
// open, and the commands their items send.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "menus/MenuData.h"
#include "menus/PopupMenu.h"
#include "skin/Painter.h"
#include "skin/Skin.h"
#include "BarFixture.h"
#include "support/MenuProbe.h"
#include "support/MessageBoxes.h"

namespace {

using Ids = std::vector<UINT>;

struct Opened {
    Ids ids;
    std::vector<MenuItemSeen> items;
    RECT rect = {};
    HMENU menu = nullptr;
};

class MenuTest : public BarFixture {
protected:
    // Sends a region's command with its rectangle, or a right release, and reads the menu
    // that opens before closing it.
    Opened Open(UINT message, WPARAM wParam, LPARAM lParam)
    {
        Opened seen;
        MenuProbe probe([&] {
            const std::vector<HWND> menus = WaitForMenus(GetCurrentProcessId(), 1);
            if (menus.empty()) return;
            seen.items = MenuItems(menus[0]);
            seen.ids = MenuIds(menus[0]);
            GetWindowRect(menus[0], &seen.rect);
            PressKeys(menus[0], {VK_ESCAPE});
        });
        SendMessageA(g_hMainWnd, message, wParam, lParam);
        return seen;
    }
    Opened OpenRegion(UINT id, RECT region) { return Open(WM_COMMAND, id, reinterpret_cast<LPARAM>(&region)); }
    RECT OnScreen(RECT rect) const
    {
        MapWindowPoints(g_hMainWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    std::string Ini() { return folder.Read("KVX.ini"); }
};

// The items of submenu `index` of a menu handle, top to bottom.
std::vector<MenuItemSeen> Submenu(HMENU menu, int index) { return MenuItems(GetSubMenu(menu, index)); }

Ids IdsOf(const std::vector<MenuItemSeen>& items)
{
    Ids ids;
    for (const MenuItemSeen& item : items) ids.push_back(item.id);
    return ids;
}

TEST_F(MenuTest, StatusAndMainMenusOpenUpwardsFromTheRegionAndGameMenusDownwards)
{
    MakeBar("");
    Create(300);
    const RECT status = {70, 269, 187, 288};
    Opened menu = OpenRegion(CMD_STATUS_MENU, status);
    EXPECT_EQ((Ids{CMD_AVAILABLE, CMD_AWAY, CMD_NA, CMD_OFFLINE}), menu.ids);
    EXPECT_EQ(OnScreen(status).left, menu.rect.left);
    EXPECT_EQ(OnScreen(status).top, menu.rect.bottom) << "upwards from the region's top-left corner";

    const RECT games = {12, 89, 34, 111};
    menu = OpenRegion(CMD_GAME_MENU, games);
    EXPECT_EQ((Ids{CMD_GAME_PREFS, CMD_UNREAL, CMD_QUAKE, CMD_QUAKE2, CMD_SUBSPACE, CMD_TANARUS, CMD_FIRETEAM}),
              menu.ids);
    for (const MenuItemSeen& label : menu.items) EXPECT_TRUE(label.submenu && label.data == 10u) << label.id;
    EXPECT_EQ(OnScreen(games).bottom, menu.rect.top) << "downwards from the region's bottom-left corner";
}

TEST_F(MenuTest, TheMainMenuShowsTheSettingsAndTheSkinsByEnumeration)
{
    for (const char* name : {"Alpha", "Beta", "Gamma"}) Skin(name);
    MakeBar("[Window]\r\nOnTop=1\r\nDock=20\r\n");
    Create(300);
    Opened menu;
    std::vector<std::string> skinNames; // read while the menu, which owns them, is open
    {
        MenuProbe probe([&] {
            const std::vector<HWND> menus = WaitForMenus(GetCurrentProcessId(), 1);
            if (menus.empty()) return;
            menu.ids = MenuIds(menus[0]);
            HMENU top = reinterpret_cast<HMENU>(SendMessageA(menus[0], MN_GETHMENU, 0, 0));
            menu.items = Submenu(top, 1);
            const std::vector<MenuItemSeen> dock = Submenu(GetSubMenu(top, 1), 0);
            const std::vector<MenuItemSeen> skins = Submenu(GetSubMenu(top, 1), 1);
            menu.items.insert(menu.items.end(), dock.begin(), dock.end());
            menu.items.insert(menu.items.end(), skins.begin(), skins.end());
            for (const MenuItemSeen& skin : skins) skinNames.push_back(reinterpret_cast<const char*>(skin.data));
            PressKeys(menus[0], {VK_ESCAPE});
        });
        RECT region = {12, 269, 63, 288};
        SendMessageA(g_hMainWnd, WM_COMMAND, CMD_MAIN_MENU, reinterpret_cast<LPARAM>(&region));
    } // the probe has finished with what it saw

    EXPECT_EQ((Ids{CMD_FIND_USERS, CMD_WINDOW, CMD_ABOUT, CMD_EXIT}), menu.ids);
    ASSERT_EQ(9u, menu.items.size());
    ASSERT_EQ(3u, skinNames.size());
    EXPECT_EQ((Ids{CMD_DOCK, CMD_SKINS, CMD_ONTOP}), IdsOf({menu.items.begin(), menu.items.begin() + 3}));
    EXPECT_EQ(1u, menu.items[2].data) << "Always On Top carries the OnTop value";
    EXPECT_EQ((Ids{CMD_DOCK_OFF, CMD_DOCK_LEFT, CMD_DOCK_RIGHT}),
              IdsOf({menu.items.begin() + 3, menu.items.begin() + 6}));
    EXPECT_EQ(0u, menu.items[3].data);
    EXPECT_EQ(1u, menu.items[5].data) << "docked at the right edge";
    CSkin listed;
    listed.Enumerate();
    ASSERT_EQ(3u, listed.NameCount());
    for (size_t shown = 0; shown < 3; ++shown) {
        const MenuItemSeen& item = menu.items[6 + shown];
        const size_t position = 2 - shown; // the last enumerated skin shows first
        EXPECT_EQ(CMD_SKIN_FIRST + position, item.id);
        EXPECT_EQ(listed.NameAt(position), skinNames[shown]);
    }

    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_SKIN_FIRST + 1, 0);
    EXPECT_STREQ(listed.NameAt(1), bar->Painter()->Skin().Name()) << "the skin at the command's position";
    RECT update;
    EXPECT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE)) << "and the bar repaints";
}

TEST_F(MenuTest, AStoredViewOfNoneOfTheThreeTicksNone)
{
    MakeBar("[KVX]\r\nView=3\r\n");
    Create(300);
    std::vector<MenuItemSeen> views;
    {
        MenuProbe probe([&] {
            const std::vector<HWND> menus = WaitForMenus(GetCurrentProcessId(), 1);
            if (menus.empty()) return;
            views = Submenu(reinterpret_cast<HMENU>(SendMessageA(menus[0], MN_GETHMENU, 0, 0)), 0);
            PressKeys(menus[0], {VK_ESCAPE});
        });
        RECT region = {36, 89, 58, 111};
        SendMessageA(g_hMainWnd, WM_COMMAND, CMD_PREFS_MENU, reinterpret_cast<LPARAM>(&region));
    }
    ASSERT_EQ(3u, views.size());
    for (const MenuItemSeen& item : views) EXPECT_EQ(0u, item.data) << item.id;
}

TEST(PopupMenuTest, ASubmenuIsDestroyedByItsOwnObjectOnly)
{
    CPopupMenu sub;
    {
        CPopupMenu top;
        ASSERT_TRUE(top.AddSubmenu(CMD_VIEW, MENU_SUBMENU, sub));
    }
    EXPECT_TRUE(IsMenu(sub.Handle())) << "the menu it was in has not destroyed it";
}

TEST_F(MenuTest, AMenuNearTheRightEdgeEndsAtTheScreensEdge)
{
    MakeBar("");
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    Create(300, screen - 199);
    const Opened menu = OpenRegion(CMD_STATUS_MENU, {70, 269, 187, 288});
    EXPECT_EQ(screen, menu.rect.right);
}

TEST_F(MenuTest, TheContactMenuFollowsTheEntry)
{
    MakeBar("");
    Create(300);
    Recorder::Get().Script().rclickResult = TRUE;
    Recorder::Get().Script().entryStatus = 615;
    EXPECT_EQ((Ids{CMD_MESSAGE, CMD_FILE, CMD_CHAT, CMD_INFO, CMD_EMAIL, CMD_COMM_LOG, CMD_PING, CMD_DELETE,
                   CMD_SUBSPACE_INFO}),
              Open(WM_RBUTTONUP, 0, MAKELPARAM(60, 150)).ids);
    Recorder::Get().Script().entryStatus = 100;
    EXPECT_EQ((Ids{CMD_MESSAGE, CMD_INFO, CMD_EMAIL, CMD_COMM_LOG, CMD_PING, CMD_DELETE}),
              Open(WM_RBUTTONUP, 0, MAKELPARAM(60, 150)).ids);
    Recorder::Get().Script().entryFlags[0] = 1;
    EXPECT_EQ((Ids{CMD_ADD_TO_LIST, CMD_DELETE}), Open(WM_RBUTTONUP, 0, MAKELPARAM(60, 150)).ids);
    Recorder::Get().Script().rclickResult = FALSE;
    EXPECT_TRUE(Open(WM_RBUTTONUP, 0, MAKELPARAM(60, 150)).ids.empty()) << "no entry, no menu";
}

TEST_F(MenuTest, CommandsChangeTheSettingsTheyOwn)
{
    MakeBar("");
    Create(300);
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_ONTOP, 0);
    EXPECT_NE(std::string::npos, Ini().find("OnTop=1"));
    EXPECT_TRUE(GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_ONTOP, 0);
    EXPECT_NE(std::string::npos, Ini().find("OnTop=0"));
    EXPECT_FALSE(GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const Opened views = OpenRegion(CMD_PREFS_MENU, {36, 89, 58, 111});
    ASSERT_EQ(1u, views.ids.size());
    EXPECT_EQ(static_cast<UINT>(CMD_VIEW), views.ids[0]);
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_VIEW_ONLINE, 0);
    EXPECT_NE(std::string::npos, Ini().find("[KVX]\r\nView=1"));
    EXPECT_EQ("RL_View(1)", Recorder::Get().Calls().back());

    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_RIGHT, 0);
    EXPECT_NE(std::string::npos, Ini().find("Dock=20"));

    BoxAnswerer answerer;
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_GAME_ADD, 0);
    const std::string settings = Ini();
    for (UINT ignored : {0, 63, CMD_EVENTS, CMD_WINDOW, CMD_SCROLL_DOWN})
        SendMessageA(g_hMainWnd, WM_COMMAND, ignored, 0);
    const std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(1u, seen.size()) << "one notice, and nothing from the ignored ids";
    EXPECT_EQ("KVX", seen[0].caption);
    EXPECT_EQ("Not yet implemented", seen[0].text);
    EXPECT_EQ(settings, Ini());
    EXPECT_EQ(0, Recorder::Get().Count("RL_Down"));
    EXPECT_TRUE(IsWindowVisible(g_hMainWnd));
}

} // namespace
