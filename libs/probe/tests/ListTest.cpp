// The two lists the scanner shows: the user's own in probe.ini, edited with Add and Remove,
// and the one the KVX server sends through PR_ServerList.
#include <winsock2.h>
#include <commctrl.h>

#include "QuakeResponder.h"
#include "ScannerFixture.h"
#include "probe/probe.h"
#include "support/Wait.h"

namespace {

void Select(HWND table, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(table, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void Give(const std::string& payload) { PR_ServerList(payload.data(), static_cast<int>(payload.size())); }

} // namespace

TEST_F(ScannerTest, AddAndRemoveKeepTheFileAndWhatTheUserWroteInIt)
{
    QuakeResponder server("127.0.0.61", 27910,
                          QuakeResponder::QuakeIIAnswer("\\hostname\\Added\\mapname\\base1\\maxclients\\4", ""));
    const std::string handWritten = "; my list\r\n[Quake2]\r\nServer=keep.example:1\r\nServer=broken:0\r\n";
    m_folder->Write("probe.ini", handWritten);
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Rows(), 1);
    EXPECT_NE(Status().find("Line 4: The port must be"), std::string::npos) << Status();
    EXPECT_NE(Status().find("Kept as written"), std::string::npos) << Status();

    SetWindowTextA(Control(101), " 127.0.0.61 ");
    SendMessageA(Control(102), BM_CLICK, 0, 0);
    EXPECT_EQ(Status(), "Added 127.0.0.61:27910.");
    EXPECT_EQ(m_folder->Read("probe.ini"), handWritten + "Server=127.0.0.61:27910\r\n")
        << "the bad line stays, the new one joins the section";
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    EXPECT_EQ(Cell(RowOf("127.0.0.61:27910"), kName), "Added");
    char typed[64] = "x";
    GetWindowTextA(Control(101), typed, sizeof typed);
    EXPECT_STREQ(typed, "") << "the field is cleared for the next one";

    // Mistakes change nothing and keep the text for correcting.
    for (const char* bad : {"127.0.0.61:99999", "bad host", "127.0.0.61"}) {
        SetWindowTextA(Control(101), bad);
        SendMessageA(Control(102), BM_CLICK, 0, 0);
        GetWindowTextA(Control(101), typed, sizeof typed);
        EXPECT_STREQ(typed, bad);
        EXPECT_EQ(Rows(), 2) << bad;
    }
    EXPECT_EQ(Status(), "127.0.0.61:27910 is listed already.");
    EXPECT_EQ(m_folder->Read("probe.ini"), handWritten + "Server=127.0.0.61:27910\r\n");

    // Enter in the field adds too.
    SetWindowTextA(Control(101), "enter.example:27000");
    SendMessageA(Control(101), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitFor([&] { return RowOf("enter.example:27000") >= 0; }, 2000));

    Select(Table(), RowOf("keep.example:1"));
    SendMessageA(Control(103), BM_CLICK, 0, 0);
    EXPECT_EQ(RowOf("keep.example:1"), -1);
    EXPECT_EQ(m_folder->Read("probe.ini"),
              "; my list\r\n[Quake2]\r\nServer=broken:0\r\nServer=127.0.0.61:27910\r\nServer=enter.example:27000\r\n");
    EXPECT_FALSE(m_folder->Exists("probe.ini.new"));

    LVITEMA none = {};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(Table(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
    SendMessageA(Control(103), BM_CLICK, 0, 0);
    EXPECT_EQ(Status(), "Choose one of your servers in the list first.");

    // A new scanner reads back what was saved.
    DestroyWindow(Scanner());
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Rows(), 2);
    EXPECT_GE(RowOf("enter.example:27000"), 0);
}

TEST_F(ScannerTest, AListThatCannotBeSavedIsNotChangedOnScreenEither)
{
    m_folder->Write("probe.ini", "[Quake2]\r\nServer=a.example\r\n");
    ASSERT_NE(Open(), nullptr);
    // A folder where the temporary file must go makes every save fail.
    ASSERT_TRUE(CreateDirectoryA(m_folder->File("probe.ini.new").c_str(), nullptr));
    SetWindowTextA(Control(101), "b.example");
    SendMessageA(Control(102), BM_CLICK, 0, 0);
    EXPECT_EQ(Status().find("Could not save "), 0u) << Status();
    EXPECT_EQ(RowOf("b.example:27910"), -1);
    Select(Table(), 0);
    SendMessageA(Control(103), BM_CLICK, 0, 0);
    EXPECT_EQ(RowOf("a.example:27910"), 0);
    EXPECT_EQ(m_folder->Read("probe.ini"), "[Quake2]\r\nServer=a.example\r\n");
}

TEST_F(ScannerTest, ServersFromTheKvxServerComeAndGoWithItsList)
{
    QuakeResponder server("127.0.0.61", 27910,
                          QuakeResponder::QuakeIIAnswer("\\hostname\\From KVX\\mapname\\q2dm1\\maxclients\\8", ""));
    m_folder->Write("probe.ini", "[Quake2]\r\nServer=own.example:5\r\n");
    // A list that came while the scanner was closed is shown when it opens.
    Give(GameServersPayload({{"127.0.0.61", 27910}, {"127.0.0.63", 27999}}));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Rows(), 3);
    ASSERT_TRUE(WaitSettled("127.0.0.61:27910"));
    EXPECT_EQ(Cell(RowOf("127.0.0.61:27910"), kName), "From KVX");

    Select(Table(), RowOf("127.0.0.61:27910"));
    SendMessageA(Control(103), BM_CLICK, 0, 0);
    EXPECT_NE(Status().find("comes from the KVX server"), std::string::npos) << Status();
    EXPECT_EQ(m_folder->Read("probe.ini"), "[Quake2]\r\nServer=own.example:5\r\n");

    // A new list replaces the old at once; the user's own server stays.
    Give(GameServersPayload({{"127.0.0.63", 27999}, {"127.0.0.64", 27910}}));
    EXPECT_EQ(RowOf("127.0.0.61:27910"), -1);
    EXPECT_GE(RowOf("127.0.0.64:27910"), 0);
    EXPECT_GE(RowOf("own.example:5"), 0);
    EXPECT_EQ(Rows(), 3);

    // A payload claiming more records than it holds gives the ones it holds; a list for
    // another game or a payload too short for the head changes nothing.
    std::string cut = GameServersPayload({{"127.0.0.65", 1}, {"127.0.0.66", 2}});
    cut[2] = 9;
    cut.resize(cut.size() - 3);
    Give(cut);
    EXPECT_GE(RowOf("127.0.0.65:1"), 0);
    EXPECT_EQ(RowOf("127.0.0.66:2"), -1);
    std::string otherGame = GameServersPayload({{"127.0.0.67", 1}});
    otherGame[0] = 1;
    Give(otherGame);
    Give(std::string(3, '\0'));
    PR_ServerList(nullptr, 100);
    EXPECT_GE(RowOf("127.0.0.65:1"), 0);
    EXPECT_EQ(Rows(), 2);
}
