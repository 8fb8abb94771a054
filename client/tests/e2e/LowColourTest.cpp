// The skin chosen at start for the display's colour depth, with the real KVX.exe, its art
// and a real server. The test suite runs this on a true-colour display and again on an
// 8-bit one, where the "Hi" skin gives way to "LoDef" after a notice. (Wine keeps a system
// palette per process, so the realised palette is checked in-process, by the painter's test.)
#include <gtest/gtest.h>

#include <string>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/WireClient.h"

namespace {

const char kNotice[] = "Display Mode (8 BPP). Automatically changing to LoColor skin.";

int DisplayDepth()
{
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return depth;
}

class LowColourTest : public ::testing::Test {
protected:
    LowColourTest() : folder("LowColourTest"), server(folder.Path(), "127.0.0.41") {}

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(LowColourTest, TheSkinSuitsTheDisplayAndTheOneInUseIsStored)
{
    const int depth = DisplayDepth();
    ASSERT_TRUE(CopyArt(folder.Path()));
    ASSERT_TRUE(server.Start()) << server.Log();
    std::string error;
    const long account = SignUpOverWire(server.Address(), "painter", "painter@kvx.example", "pass1", &error);
    ASSERT_GT(account, 0) << error;
    folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) +
                                "\r\nPW=pass1\r\n");
    ASSERT_TRUE(client.Start(folder.Path()));

    const SeenBox notice = FindMessageBox(client.Pid(), "KVX", depth < 15 ? 15000 : 2000);
    if (depth < 15) {
        ASSERT_NE(nullptr, notice.window) << "at " << depth << " bits the high-colour skin is replaced";
        EXPECT_EQ(kNotice, notice.text);
        EXPECT_EQ(std::vector<int>{IDOK}, notice.buttons);
        PressButton(notice.window, IDOK);
    } else {
        EXPECT_EQ(nullptr, notice.window) << "no notice at " << depth << " bits: " << notice.text;
    }
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    PostMessageA(bar, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_NE(std::string::npos, ini.find(depth < 15 ? "SkinM=LoDef" : "SkinM=HiDef")) << ini;
}

} // namespace
