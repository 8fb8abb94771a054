// Launching a game from the real client: with no location yet, the launch asks for one in
// the real open-file dialog, stores it and starts the game from its folder; a cancel does
// nothing and shows nothing.
#include <gtest/gtest.h>

#include <string>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"
#include "support/WireClient.h"

namespace {

const int kFileNameBox = 1148;
const WPARAM kLaunchUnreal = 43;

class GameLaunchTest : public ::testing::Test {
protected:
    GameLaunchTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()), server(folder.Path(), "127.0.0.43")
    {
    }
    ~GameLaunchTest() override { CloseStandIns("KVXStandInUnreal"); }

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(GameLaunchTest, TheFirstLaunchAsksWhereTheGameIsAndStartsItThereWhileOnline)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    std::string error;
    const long account = SignUpOverWire(server.Address(), "gamer", "gamer@kvx.example", "pass1", &error);
    ASSERT_GT(account, 0) << error;
    folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) +
                                "\r\nPW=pass1\r\n");
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();

    PostMessageA(bar, WM_COMMAND, kLaunchUnreal, 0);
    SeenBox dialog = FindMessageBox(client.Pid(), "Choose Unreal Location", 10000);
    ASSERT_NE(nullptr, dialog.window) << "no location yet: the launch asks for one";
    PostMessageA(dialog.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog.window); }, 5000));
    EXPECT_EQ(nullptr, FindMessageBox(client.Pid(), nullptr, 1000).window) << "a cancel shows nothing";
    EXPECT_EQ(300, Ask(bar, kQueryStatus));
    EXPECT_EQ(std::string::npos, folder.Read("KVX.ini").find("[Unreal]"));

    PostMessageA(bar, WM_COMMAND, kLaunchUnreal, 0);
    dialog = FindMessageBox(client.Pid(), "Choose Unreal Location", 10000);
    ASSERT_NE(nullptr, dialog.window);
    SetDlgItemTextA(dialog.window, kFileNameBox, (StandInFolder() + "\\unreal.exe").c_str());
    PostMessageA(dialog.window, WM_COMMAND, IDOK, 0);
    EXPECT_EQ("Arguments: \r\nFolder: " + StandInFolder(), StandInText("KVXStandInUnreal"));
    EXPECT_TRUE(StatusBecomes(bar, 610, 5000)) << "playing Unreal";
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_NE(std::string::npos, ini.find("[Unreal]\r\nFile=unreal.exe\r\nDir=" + StandInFolder() + "\\\r\n")) << ini;
}

} // namespace
