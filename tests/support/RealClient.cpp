#include "support/RealClient.h"

#include <functional>

#include "support/Wait.h"
#include "support/WireClient.h"

namespace {

const ::testing::TestInfo& Current() { return *::testing::UnitTest::GetInstance()->current_test_info(); }

// One address a test, so a server still going down from the test before cannot answer.
std::string TestAddress()
{
    const size_t hash = std::hash<std::string>()(std::string(Current().test_suite_name()) + "." + Current().name());
    return "127.0." + std::to_string(10 + hash % 200) + "." + std::to_string(2 + hash / 200 % 250);
}

} // namespace

RealClientTest::RealClientTest() : folder(Current().name()), server(folder.Path(), TestAddress()) {}

long RealClientTest::SignUp(const std::string& nickname)
{
    std::string error;
    const long made = SignUpOverWire(server.Address(), nickname, nickname + "@kvx.example", "pass1", &error);
    EXPECT_GT(made, 0) << error << server.Log();
    return made;
}

void RealClientTest::WriteIni(long user, const std::string& extra, const std::string& host)
{
    std::string ini = ServerIni(host.empty() ? server.Address() : host);
    if (user > 0) ini += "[User]\r\nID=" + std::to_string(user) + "\r\nPW=pass1\r\n";
    folder.Write("KVX.ini", ini + extra);
}

HWND RealClientTest::Start() { return bar = client.Start(folder.Path()) ? client.WaitForBar() : nullptr; }

HWND RealClientTest::StartOnline(const std::string& args, const std::string& extraIni)
{
    if (!server.Start(args) || !(account = SignUp())) return nullptr;
    WriteIni(account, extraIni);
    return Start() && Becomes(300, 15000) ? bar : nullptr;
}

void RealClientTest::Choose(WORD command)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(bar, WM_COMMAND, command, 0, SMTO_NORMAL, 5000, &ignored);
}

SeenBox RealClientTest::Answer(const char* caption, int button)
{
    const SeenBox box = Box(caption, 20000);
    PressButton(box.window, button);
    WaitFor([&] { return !IsWindow(box.window); }, 3000);
    return box;
}

bool RealClientTest::Close()
{
    PostMessageA(bar, WM_CLOSE, 0, 0);
    DWORD code = 1;
    return client.WaitForExit(10000, &code) && code == 0;
}
