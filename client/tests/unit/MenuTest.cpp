// The popup menus as the bar opens them in each state, read from the real menu windows
// while they are open, and the commands their items send.
#include <string>
#include <thread>
#include <vector>

#include "menus/CommandIds.h"
#include "menus/MenuData.h"
#include "menus/PopupMenu.h"
#include "skin/Painter.h"
#include "BarFixture.h"
#include "support/Input.h"
#include "support/MenuProbe.h"
#include "support/MessageBoxes.h"

namespace {

using Ids = std::vector<UINT>;

struct Item {
    UINT id;
    LONG_PTR data;
    std::string name; // a skin item's
};

class MenuTest : public BarFixture {
protected:
    MenuTest()
    {
        for (const char* name : {"Alpha", "Beta", "Gamma"}) Skin(name);
        MakeBar("");
        Create(300);
        // The start-up dock runs from a timer; let it run now rather than inside a message
        // box's loop, where it could leave the bar half undocked when the box closes.
        Pump(20);
    }
    // Every item of a menu and its submenus, depth first.
    static void Collect(HMENU menu, std::vector<Item>& items)
    {
        for (const MenuItemSeen& seen : MenuItems(menu)) {
            const bool skin = seen.id >= CMD_SKIN_FIRST;
            items.push_back({seen.id, LONG_PTR(seen.data), skin ? reinterpret_cast<const char*>(seen.data) : ""});
            if (seen.submenu) Collect(seen.submenu, items);
        }
    }
    // Sends what opens a menu and reads it, submenus too, before closing it. The pointer
    // waits in a corner, so that no submenu opens under it.
    void Open(UINT message, WPARAM wParam, LPARAM lParam, DWORD waitMs = 10000)
    {
        items.clear();
        top.clear();
        MoveTo(0, GetSystemMetrics(SM_CYSCREEN) - 1);
        std::thread probe([&] {
            const std::vector<HWND> menus = WaitForMenus(GetCurrentProcessId(), 1, waitMs);
            if (menus.empty()) return;
            GetWindowRect(menus.back(), &rect);
            for (const MenuItemSeen& item : MenuItems(MenuOf(menus.back()))) top.push_back(item.id);
            Collect(MenuOf(menus.back()), items);
            EndMenu();
        });
        SendMessageA(g_hMainWnd, message, wParam, lParam);
        probe.join();
    }
    void OpenRegion(UINT id, RECT region) { Open(WM_COMMAND, id, reinterpret_cast<LPARAM>(&region)); }
    LONG_PTR Data(UINT id) const
    {
        for (const Item& item : items)
            if (item.id == id) return item.data;
        return -2;
    }

    Ids top;
    std::vector<Item> items;
    RECT rect = {};
};

TEST_F(MenuTest, TheMainAndViewMenusTickWhatKvxIniHoldsWhenTheyOpen)
{
    const struct {
        const char* ini;
        LONG_PTR onTop, off, left, right; // the items' data: Always On Top carries the OnTop value
    } rows[] = {
        {"OnTop=0\r\nDock=9\r\n", 0, 1, 0, 0}, {"OnTop=2\r\nDock=10\r\n", 2, 0, 1, 0}, {"Dock=20\r\n", -1, 0, 0, 1}};
    for (const auto& row : rows) {
        folder.Write("KVX.ini", std::string("[Window]\r\n") + row.ini);
        OpenRegion(CMD_MAIN_MENU, {12, 269, 63, 288});
        EXPECT_EQ((Ids{CMD_FIND_USERS, CMD_WINDOW, CMD_ABOUT, CMD_EXIT}), top);
        EXPECT_EQ(
            (std::vector<LONG_PTR>{row.onTop, row.off, row.left, row.right}),
            (std::vector<LONG_PTR>{Data(CMD_ONTOP), Data(CMD_DOCK_OFF), Data(CMD_DOCK_LEFT), Data(CMD_DOCK_RIGHT)}))
            << row.ini;
    }
    // The skins by enumeration, the last first, each with its position's command.
    ASSERT_EQ(13u, items.size());
    CSkin listed;
    listed.Enumerate();
    for (UINT shown = 0; shown < 3; ++shown) {
        EXPECT_EQ(CMD_SKIN_FIRST + 2 - shown,
                  items[7 + shown].id); // after Find Users, Window, Dock and its three, Skins
        EXPECT_EQ(listed.NameAt(2 - shown), items[7 + shown].name);
    }
    for (const auto& view : {std::make_pair("", 53), std::make_pair("View=0\r\n", 53), std::make_pair("View=1\r\n", 51),
                             std::make_pair("View=2\r\n", 52), std::make_pair("View=3\r\n", 0)}) {
        folder.Write("KVX.ini", std::string("[KVX]\r\n") + view.first);
        OpenRegion(CMD_PREFS_MENU, {36, 89, 58, 111});
        EXPECT_EQ(Ids{CMD_VIEW}, top);
        for (const int id : {CMD_VIEW_ONLINE, CMD_VIEW_OFFLINE, CMD_VIEW_ALL})
            EXPECT_EQ(id == view.second ? 1 : 0, Data(id)) << view.first << " at " << id;
    }
}

TEST_F(MenuTest, MenusOpenFromTheirRegionsCornerAndNoneRunsOffTheScreen)
{
    const RECT status = {70, 269, 187, 288}, games = {12, 89, 34, 111};
    POINT corner = {70, 269}, below = {12, 111};
    ClientToScreen(g_hMainWnd, &corner);
    ClientToScreen(g_hMainWnd, &below);
    OpenRegion(CMD_STATUS_MENU, status);
    EXPECT_EQ((Ids{CMD_AVAILABLE, CMD_AWAY, CMD_NA, CMD_OFFLINE}), top);
    EXPECT_TRUE(rect.left == corner.x && rect.bottom == corner.y) << "upwards from the top-left corner";
    OpenRegion(CMD_GAME_MENU, games);
    EXPECT_EQ((Ids{CMD_GAME_PREFS, CMD_UNREAL, CMD_QUAKE, CMD_QUAKE2, CMD_SUBSPACE, CMD_TANARUS, CMD_FIRETEAM}), top);
    EXPECT_TRUE(rect.left == below.x && rect.top == below.y) << "downwards from the bottom-left corner";
    Ids quake2;
    for (size_t i = 0; i < items.size(); ++i)
        for (size_t j = i + 1; items[i].id == CMD_QUAKE2 && j < i + 5; ++j) quake2.push_back(items[j].id);
    EXPECT_EQ((Ids{CMD_LOCATE_QUAKE2, CMD_LAUNCH_QUAKE2, CMD_QUAKE2_SCAN, CMD_QUAKE2_DELETE}), quake2);
    EXPECT_EQ(10, items[0].data) << "labels are submenus";
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    SetWindowPos(g_hMainWnd, nullptr, screen - 199, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    OpenRegion(CMD_STATUS_MENU, status);
    EXPECT_EQ(screen, rect.right);
}

TEST_F(MenuTest, TheContactMenuFollowsTheEntrysStatus)
{
    const Ids always = {CMD_MESSAGE, CMD_INFO, CMD_EMAIL, CMD_COMM_LOG, CMD_PING, CMD_DELETE};
    const Ids online = {CMD_MESSAGE, CMD_FILE, CMD_CHAT, CMD_INFO, CMD_EMAIL, CMD_COMM_LOG, CMD_PING, CMD_DELETE};
    Ids quake2 = online, subspace = online;
    quake2.push_back(CMD_QUAKE2_INFO);
    subspace.push_back(CMD_SUBSPACE_INFO);
    const struct {
        BOOL entry;
        char offered;
        WORD status;
        Ids ids;
    } rows[] = {{TRUE, 0, 299, always}, {TRUE, 0, 300, online},   {TRUE, 0, 600, quake2},
                {TRUE, 0, 605, online}, {TRUE, 0, 615, subspace}, {TRUE, 1, 615, {CMD_ADD_TO_LIST, CMD_DELETE}},
                {FALSE, 0, 300, {}}};
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
    const auto command = [](WPARAM id) { SendMessageA(g_hMainWnd, WM_COMMAND, id, 0); };
    for (const char* onTop : {"1", "0"}) {
        command(CMD_ONTOP);
        EXPECT_EQ(onTop, Setting("OnTop"));
        EXPECT_EQ(onTop[0] == '1', (GetWindowLongA(g_hMainWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    }
    command(CMD_VIEW_ONLINE);
    EXPECT_EQ("1", Setting("View"));
    EXPECT_EQ("RL_View(1)", Recorder::Get().Calls().back());
    Recorder::Get().Reset();
    command(CMD_FIND_USERS);
    EXPECT_EQ((std::vector<std::string>{"SO_Find(0)", "RL_RefreshIP(0)"}), Recorder::Get().Calls())
        << "offline: no socket";
    CSkin listed;
    listed.Enumerate();
    ValidateRect(g_hMainWnd, nullptr);
    command(CMD_SKIN_FIRST + 1);
    EXPECT_STREQ(listed.NameAt(1), bar->Painter()->Skin().Name()) << "the skin at the command's position";
    RECT update;
    EXPECT_TRUE(GetUpdateRect(g_hMainWnd, &update, FALSE)) << "and the bar repaints";

    BoxAnswerer answerer;
    const std::string settings = folder.Read("KVX.ini");
    for (const UINT id : {CMD_GAME_ADD, 0, 63, CMD_EVENTS, CMD_WINDOW, CMD_SCROLL_DOWN}) command(id);
    ASSERT_EQ(1u, answerer.Seen().size()) << "one notice, and nothing from the ids that do nothing";
    EXPECT_EQ("Not yet implemented", answerer.Seen()[0].text);
    EXPECT_EQ(settings, folder.Read("KVX.ini"));
    EXPECT_EQ(0, Recorder::Get().Count("RL_Down"));
    EXPECT_TRUE(IsWindowVisible(g_hMainWnd));
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

} // namespace
