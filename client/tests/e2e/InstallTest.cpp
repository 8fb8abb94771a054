// The installer as a Windows user runs it: installed silently into a folder, the bar starts
// from there with the default settings naming the server, and the uninstaller removes the
// program but leaves the user's settings, data and logs.
#include <gtest/gtest.h>

#include <string>

#include "support/ClientProcess.h"
#include "support/ScratchFolder.h"
#include "support/Wait.h"

namespace {

// Runs a program to its end; its exit code, or -1 when it could not start or did not end.
long RunToEnd(std::string commandLine)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(code);
}

TEST(InstallTest, InstallsStartsAndUninstallsKeepingTheUsersFiles)
{
    ScratchFolder folder("InstallTest");
    const std::string target = folder.File("KVX");
    // /D takes the rest of the line, unquoted, as the folder.
    ASSERT_EQ(0, RunToEnd("\"" + std::string(KVX_INSTALLER_WINDOWS) + "\" /S /D=" + target));
    for (const char* file :
         {"KVX.exe", "winkit.dll", "roster.dll", "web.pal", "skins\\HiDef-T.bmp", "ads\\ad000.ad", "Uninstall.exe"})
        EXPECT_TRUE(folder.Exists(std::string("KVX\\") + file)) << file;
    EXPECT_EQ("[Server]\r\n1=kvx.example\r\n", folder.Read("KVX\\KVX.ini")) << "the default server";

    ClientProcess client;
    ASSERT_TRUE(client.Start(target, target + "\\KVX.exe"));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar) << "the bar starts from the installed folder";
    PostMessageA(bar, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_TRUE(folder.IsFolder("KVX\\Data"));

    // The uninstaller hands over to a copy of itself and returns at once.
    ASSERT_EQ(0, RunToEnd("\"" + target + "\\Uninstall.exe\" /S"));
    EXPECT_TRUE(WaitFor([&] { return !folder.Exists("KVX\\KVX.exe") && !folder.Exists("KVX\\Uninstall.exe"); }, 20000));
    EXPECT_FALSE(folder.Exists("KVX\\roster.dll"));
    EXPECT_FALSE(folder.Exists("KVX\\skins"));
    EXPECT_TRUE(folder.Exists("KVX\\KVX.ini")) << "the user's settings stay";
    EXPECT_TRUE(folder.IsFolder("KVX\\Data"));
    EXPECT_TRUE(folder.IsFolder("KVX\\Logs"));
}

} // namespace
