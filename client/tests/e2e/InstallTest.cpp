// The installer as a Windows user runs it: installed silently into a folder, the bar starts
// from there with the default settings naming the server, and the uninstaller removes the
// program but leaves the user's settings, data and logs.
#include "support/RealClient.h"
#include "support/Wait.h"

namespace {

using InstallTest = RealClientTest;

TEST_F(InstallTest, InstallsStartsAndUninstallsKeepingTheUsersFiles)
{
    const std::string target = folder.File("KVX");
    DWORD code = 1;
    // /D takes the rest of the line, unquoted, as the folder.
    ASSERT_TRUE(client.Start(folder.Path(), KVX_INSTALLER_WINDOWS, "/S /D=" + target) &&
                client.WaitForExit(60000, &code) && code == 0);
    for (const char* file :
         {"KVX.exe", "winkit.dll", "roster.dll", "web.pal", "skins\\HiDef-T.bmp", "ads\\ad000.ad", "Uninstall.exe"})
        EXPECT_TRUE(folder.Exists(std::string("KVX\\") + file)) << file;
    EXPECT_EQ("[Server]\r\n1=kvx.example\r\n", folder.Read("KVX\\KVX.ini")) << "the default server";
    ASSERT_TRUE(client.Start(target, target + "\\KVX.exe"));
    ASSERT_NE(nullptr, bar = client.WaitForBar()) << "the bar starts from the installed folder";
    ASSERT_TRUE(Close());
    // The uninstaller hands over to a copy of itself and returns at once.
    ASSERT_TRUE(client.Start(folder.Path(), target + "\\Uninstall.exe", "/S") && client.WaitForExit(60000, &code) &&
                code == 0);
    EXPECT_TRUE(WaitFor([&] { return !folder.Exists("KVX\\KVX.exe") && !folder.Exists("KVX\\Uninstall.exe"); }, 20000));
    EXPECT_FALSE(folder.Exists("KVX\\roster.dll") || folder.Exists("KVX\\skins"));
    EXPECT_TRUE(folder.Exists("KVX\\KVX.ini") && folder.IsFolder("KVX\\Data") && folder.IsFolder("KVX\\Logs"))
        << "the user's settings, data and logs stay";
}

} // namespace
