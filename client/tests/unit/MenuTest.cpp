// The popup menus as the bar opens them in each state, read from the real menu windows
// while they are open, and the commands their items send.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "skin/Painter.h"
#include "BarFixture.h"
#include "support/Input.h"
#include "support/MenuProbe.h"
#include "support/MessageBoxes.h"

namespace {

using Ids = std::vector<UINT>;

struct Item {
    UINT id;
    ULONG_PTR data;
    std::string name; // a skin item's
};

// Every item of a menu and its submenus, depth first.
void Collect(HMENU menu, std::vector<Item>& items)
{
    const std::vector<MenuItemSeen> seen = MenuItems(menu);
    for (size_t i = 0; i < seen.size(); ++i) {
        const bool skin = seen[i].id >= CMD_SKIN_FIRST;
        items.push_back({seen[i].id, seen[i].data, skin ? reinterpret_cast<const char*>(seen[i].data) : ""});
        if (seen[i].submenu) Collect(GetSubMenu(menu, static_cast<int>(i)), items);
    }
}

class MenuTest : public BarFixture {
protected:
    // Sends the message that opens a menu and reads it (with its submenus) before closing
    // it. The pointer waits in a corner, so no submenu opens under it.
    void Open(UINT message, WPARAM wParam, LPARAM lParam, DWORD waitMs = 10000)
    {
        items.clear();
        top.clear();
        MoveTo(0, GetSystemMetrics(SM_CYSCREEN) - 1);
        MenuProbe probe([&] {
            const std::vector<HWND> menus = WaitForMenus(GetCurrentProcessId(), 1, waitMs);
            if (menus.empty()) return;
            GetWindowRect(menus.back(), &rect);
            top = MenuIds(menus.back());
            Collect(reinterpret_cast<HMENU>(SendMessageA(menus.back(), MN_GETHMENU, 0, 0)), items);
            EndMenu();
        });
        SendMessageA(g_hMainWnd, message, wParam, lParam);
    }
    void OpenRegion(UINT id, RECT region) { Open(WM_COMMAND, id, reinterpret_cast<LPARAM>(&region)); }
    RECT OnScreen(RECT r) const
    {
        MapWindowPoints(g_hMainWnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // The data of the item `id` in what was read, or -1.
    LONG_PTR Data(UINT id) const
    {
        for (const Item& item : items)
            if (item.id == id) return static_cast<LONG_PTR>(item.data);
        return -1;
    }
    std::string Ini() { return folder.Read("KVX.ini"); }

    Ids top;
    std::vector<Item> items;
    RECT rect = {};
};

TEST_F(MenuTest, TheMainAndViewMenusTickWhatKvxIniHoldsWhenTheyOpen)
{
    for (const char* name : {"Alpha", "Beta", "Gamma"}) Skin(name);
    MakeBar("");
    Create(300);
    const struct {
        const char* ini;
        LONG_PTR onTop, off, left, right;
    } rows[] = {
        {"", LONG_PTR(-1), 1, 0, 0},
        {"OnTop=0\r\nDock=0\r\n", 0, 1, 0, 0},
        {"OnTop=1\r\nDock=9\r\n", 1, 1, 0, 0},
        {"OnTop=2\r\nDock=10\r\n", 2, 0, 1, 0},
        {"Dock=20\r\n", LONG_PTR(-1), 0, 0, 1},
    };
    for (const auto& row : rows) {
        folder.Write("KVX.ini", std::string("[Window]\r\n") + row.ini);
        OpenRegion(CMD_MAIN_MENU, {12, 269, 63, 288});
        EXPECT_EQ((Ids{CMD_FIND_USERS, CMD_WINDOW, CMD_ABOUT, CMD_EXIT}), top);
        EXPECT_EQ(row.onTop, Data(CMD_ONTOP)) << row.ini << "Always On Top carries the OnTop value";
        EXPECT_EQ(row.off, Data(CMD_DOCK_OFF)) << row.ini;
        EXPECT_EQ(row.left, Data(CMD_DOCK_LEFT)) << row.ini;
        EXPECT_EQ(row.right, Data(CMD_DOCK_RIGHT)) << row.ini;
    }
    // The skins by enumeration, the last first, each with its position's command.
    ASSERT_EQ(13u, items.size());
    CSkin listed;
    listed.Enumerate();
    for (size_t shown = 0; shown < 3; ++shown) {
        const Item& item = items[7 + shown]; // after Find Users, Window, Dock with three, Skins
        EXPECT_EQ(CMD_SKIN_FIRST + 2 - shown, item.id);
        EXPECT_EQ(listed.NameAt(2 - shown), item.name);
    }

    for (const auto& view : {std::make_pair("", CMD_VIEW_ALL), std::make_pair("View=0\r\n", CMD_VIEW_ALL),
                             std::make_pair("View=1\r\n", CMD_VIEW_ONLINE), std::make_pair("View=2\r\n", CMD_VIEW_OFFLINE)}) {
        folder.Write("KVX.ini", std::string("[KVX]\r\n") + view.first);
        OpenRegion(CMD_PREFS_MENU, {36, 89, 58, 111});
        EXPECT_EQ(Ids{CMD_VIEW}, top);
        for (const UINT id : {CMD_VIEW_ONLINE, CMD_VIEW_OFFLINE, CMD_VIEW_ALL})
            EXPECT_EQ(static_cast<int>(id) == view.second ? 1 : 0, Data(id)) << view.first << " at " << id;
    }
}

TEST_F(MenuTest, StatusAndMainMenusOpenUpwardsGameMenusDownwardsAndNoneRunsOffTheScreen)
{
    MakeBar("");
    Create(300);
    const RECT status = {70, 269, 187, 288}, games = {12, 89, 34, 111};
    OpenRegion(CMD_STATUS_MENU, status);
    EXPECT_EQ((Ids{CMD_AVAILABLE, CMD_AWAY, CMD_NA, CMD_OFFLINE}), top);
    EXPECT_EQ(OnScreen(status).left, rect.left);
    EXPECT_EQ(OnScreen(status).top, rect.bottom) << "upwards from the region's top-left corner";
    OpenRegion(CMD_GAME_MENU, games);
    EXPECT_EQ((Ids{CMD_GAME_PREFS, CMD_UNREAL, CMD_QUAKE, CMD_QUAKE2, CMD_SUBSPACE, CMD_TANARUS, CMD_FIRETEAM}), top);
    EXPECT_EQ(OnScreen(games).bottom, rect.top) << "downwards from the region's bottom-left corner";
    Ids quake2;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].id == CMD_QUAKE2)
            for (size_t j = i + 1; j < i + 5; ++j) quake2.push_back(items[j].id);
    EXPECT_EQ((Ids{CMD_LOCATE_QUAKE2, CMD_LAUNCH_QUAKE2, CMD_QUAKE2_SCAN, CMD_QUAKE2_DELETE}), quake2);
    EXPECT_EQ(10u, items[0].data) << "labels are submenus";

    const int screen = GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(g_hMainWnd, nullptr, screen - 199, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    OpenRegion(CMD_STATUS_MENU, status);
    EXPECT_EQ(screen, rect.right);
}

TEST_F(MenuTest, TheContactMenuFollowsTheEntrysStatus)
{
    MakeBar("");
    Create(300);
    const Ids always = {CMD_MESSAGE, CMD_INFO, CMD_EMAIL, CMD_COMM_LOG, CMD_PING, CMD_DELETE};
    const Ids loggedIn = {CMD_MESSAGE, CMD_FILE, CMD_CHAT, CMD_INFO, CMD_EMAIL, CMD_COMM_LOG, CMD_PING, CMD_DELETE};
    Ids quake2 = loggedIn, subspace = loggedIn;
    quake2.push_back(CMD_QUAKE2_INFO);
    subspace.push_back(CMD_SUBSPACE_INFO);
    const struct {
        BOOL entry;
        char offered;
        WORD status;
        Ids ids;
    } rows[] = {
        {TRUE, 0, 100, always},     {TRUE, 0, 299, always},   {TRUE, 0, 300, loggedIn}, {TRUE, 0, 599, loggedIn},
        {TRUE, 0, 600, quake2},     {TRUE, 0, 605, loggedIn}, {TRUE, 0, 615, subspace},
        {TRUE, 1, 615, {CMD_ADD_TO_LIST, CMD_DELETE}}, {FALSE, 0, 300, {}},
    };
    for (const auto& row : rows) {
        Recorder::Get().Script().rclickResult = row.entry;
        Recorder::Get().Script().entryFlags[0] = row.offered;
        Recorder::Get().Script().entryStatus = row.status;
        Open(WM_RBUTTONUP, 0, MAKELPARAM(60, 150), row.entry ? 10000 : 500);
        EXPECT_EQ(row.ids, top) << "status " << row.status << (row.offered ? ", offered" : "");
    }
}

TEST_F(MenuTest, CommandsDoWhatTheirItemsSay)
{
    for (const char* name : {"Alpha", "Beta"}) Skin(name);
    MakeBar("");
    Create(300);
    const auto command = [](WPARAM id) { SendMessageA(g_hMainWnd, WM_COMMAND, id, 0); };
    for (const char* onTop : {"OnTop=1", "OnTop=0"}) {
        command(CMD_ONTOP);
        EXPECT_NE(std::string::npos, Ini().find(onTop));
        EXPECT_EQ(onTop[6] == '1', (GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    }
    command(CMD_VIEW_ONLINE);
    EXPECT_NE(std::string::npos, Ini().find("[KVX]\r\nView=1"));
    EXPECT_EQ("RL_View(1)", Recorder::Get().Calls().back());
    command(CMD_DOCK_RIGHT);
    EXPECT_NE(std::string::npos, Ini().find("Dock=20"));
    Recorder::Get().Reset();
    command(CMD_FIND_USERS);
    EXPECT_EQ((std::vector<std::string>{"SO_Find(0)", "RL_RefreshIP(0)"}), Recorder::Get().Calls()) << "offline: no socket";
    CSkin listed;
    listed.Enumerate();
    ValidateRect(g_hMainWnd, nullptr);
    command(CMD_SKIN_FIRST + 1);
    EXPECT_STREQ(listed.NameAt(1), bar->Painter()->Skin().Name()) << "the skin at the command's position";
    RECT update;
    EXPECT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE)) << "and the bar repaints";

    BoxAnswerer answerer;
    const std::string settings = Ini();
    Recorder::Get().Reset();
    command(CMD_GAME_ADD);
    for (const UINT ignored : {0, 63, CMD_EVENTS, CMD_WINDOW, CMD_SCROLL_DOWN}) command(ignored);
    const std::vector<SeenBox> seen = answerer.Seen();
    ASSERT_EQ(1u, seen.size()) << "one notice, and nothing from the ignored ids";
    EXPECT_EQ("KVX", seen[0].caption);
    EXPECT_EQ("Not yet implemented", seen[0].text);
    EXPECT_EQ(settings, Ini());
    EXPECT_EQ(0, Recorder::Get().Count("RL_Down"));
    EXPECT_TRUE(IsWindowVisible(g_hMainWnd));
}

} // namespace
