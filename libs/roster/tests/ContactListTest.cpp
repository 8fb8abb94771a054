// The contact list as the bar shows it: entries from the server's events painted into a
// real window, found under the pointer, scrolled, filtered by view, and kept in the cache
// file so they show (offline) after a restart and while not connected.
#include <gtest/gtest.h>

#include <string.h>

#include "RosterBench.h"
#include "roster/roster.h"
#include "wire/Packets.h"

namespace {

const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBand = RGB(0, 0, 160);

WORD ClickedStatus() { return *reinterpret_cast<const WORD*>(RL_GetVar(0, 10)); }
bool ClickedIsOffered() { return RL_GetVar(0, 5)[0] != 0; }

class ContactListTest : public ::testing::Test {
protected:
    // Logs in and receives a list of three: online, away and offline without a nickname.
    void ReceiveThree()
    {
        m_bench.LogIn();
        PACKET_DATA packet;
        ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
        RosterBench::Contact(11, "Railgun", 300);
        RosterBench::Contact(12, "Camper", 400);
        RosterBench::Contact(13, "", 100);
        RosterBench::ListEnd();
    }

    RosterBench m_bench;
};

TEST_F(ContactListTest, LoginSendsTheStatusThenAsksForTheListOnce)
{
    m_bench.LogIn();
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    EXPECT_EQ(PKT_STATUS, packet.type);
    ASSERT_EQ(sizeof(StatusRecord), packet.length);
    StatusRecord status;
    memcpy(&status, packet.payload, sizeof status);
    EXPECT_EQ(300, status.status);
    EXPECT_EQ(0u, status.game.addr);
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    EXPECT_EQ(PKT_CONTACTS_REQUEST, packet.type);
    EXPECT_EQ(0, packet.length);

    // Another status on the same connection only says so.
    m_bench.status = 620;
    lstrcpynA(m_bench.game.info, "Tanarus arena", sizeof m_bench.game.info);
    m_bench.game.addr = htonl(0x0A000005);
    m_bench.game.port = 7777;
    RL_StatusChange(RosterBench::kAccount, TRUE);
    ASSERT_TRUE(m_bench.ReadFrame(&packet));
    ASSERT_EQ(PKT_STATUS, packet.type);
    memcpy(&status, packet.payload, sizeof status);
    EXPECT_EQ(620, status.status);
    EXPECT_EQ(htonl(0x0A000005), status.game.addr);
    EXPECT_EQ(7777, status.game.port);
    EXPECT_EQ("Tanarus arena", Field(status.game.info, sizeof status.game.info));
    EXPECT_TRUE(m_bench.Quiet()) << "no second list request on one connection";

    // A new connection asks again.
    RL_StatusChange(RosterBench::kAccount, FALSE);
    m_bench.Reconnect();
    m_bench.status = 300;
    m_bench.LogIn();
    EXPECT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
}

TEST_F(ContactListTest, RowsShowEachEntryInItsStatusColour)
{
    ReceiveThree();
    EXPECT_TRUE(m_bench.RowShows(0, kGreen));
    EXPECT_TRUE(m_bench.RowShows(1, kYellow));
    EXPECT_FALSE(m_bench.RowShows(1, kGreen));
    EXPECT_TRUE(m_bench.RowShows(2, kGrey));
    EXPECT_FALSE(m_bench.RowUsed(3));

    // Presence moves a row's colour; a removal closes the gap.
    RosterBench::Contact(13, "", 600, EVENT_PRESENCE);
    EXPECT_TRUE(m_bench.RowShows(2, kYellow));
    RosterBench::Contact(11, "Railgun", 100, EVENT_PRESENCE);
    EXPECT_TRUE(m_bench.RowShows(0, kGrey));
    const AccountRecord removed = {12};
    RosterBench::Event(EVENT_CONTACT_REMOVED, &removed, sizeof removed);
    EXPECT_TRUE(m_bench.RowShows(1, kYellow)) << "13 moved up";
    EXPECT_FALSE(m_bench.RowUsed(2));

    // Presence of someone not on the list adds nothing.
    RosterBench::Contact(99, "Stranger", 300, EVENT_PRESENCE);
    EXPECT_FALSE(m_bench.RowUsed(2));
}

TEST_F(ContactListTest, PointerFindsTheEntryAndItsStatus)
{
    ReceiveThree();
    ASSERT_TRUE(m_bench.Click(1));
    EXPECT_EQ(400, ClickedStatus());
    EXPECT_FALSE(ClickedIsOffered());
    EXPECT_TRUE(m_bench.RowShows(1, kBand)) << "the row under the pointer is highlighted";
    EXPECT_FALSE(m_bench.RowShows(0, kBand));

    ASSERT_TRUE(m_bench.Click(2));
    EXPECT_EQ(100, ClickedStatus());
    EXPECT_FALSE(m_bench.RowShows(1, kBand));

    EXPECT_FALSE(m_bench.Click(3)) << "below the last entry";
    const RECT area = m_bench.Area();
    RL_Hilight(0, 0, area);
    EXPECT_FALSE(RL_RClick()) << "the bar without focus";
    EXPECT_FALSE(m_bench.RowShows(2, kBand));
    RL_Hilight(area.right + 5, area.top + 4, area);
    EXPECT_FALSE(RL_RClick()) << "beside the area";
}

TEST_F(ContactListTest, ViewsAndScrollingChooseTheRowsShown)
{
    m_bench.LogIn();
    // 8 rows fit the area; 12 entries, the even ones online.
    for (int i = 0; i < 12; ++i) RosterBench::Contact(100 + i, ("User" + std::to_string(i)).c_str(), i % 2 ? 100 : 300);
    RosterBench::ListEnd();

    ASSERT_TRUE(m_bench.Click(0));
    EXPECT_EQ(300, ClickedStatus());
    RL_Down();
    ASSERT_TRUE(m_bench.Click(0));
    EXPECT_EQ(100, ClickedStatus()) << "one row down";
    for (int i = 0; i < 10; ++i) RL_Down();
    EXPECT_TRUE(m_bench.RowUsed(7)) << "never scrolled past the last full page";
    ASSERT_TRUE(m_bench.Click(7));
    EXPECT_EQ(100, ClickedStatus()) << "User11 ends the list";
    for (int i = 0; i < 10; ++i) RL_Up();
    ASSERT_TRUE(m_bench.Click(0));
    EXPECT_EQ(300, ClickedStatus());

    RL_View(1);
    for (int row = 0; row < 6; ++row) EXPECT_TRUE(m_bench.RowShows(row, kGreen)) << row;
    EXPECT_FALSE(m_bench.RowUsed(6));
    RL_View(2);
    for (int row = 0; row < 6; ++row) EXPECT_TRUE(m_bench.RowShows(row, kGrey)) << row;
    EXPECT_FALSE(m_bench.RowUsed(6));
    RL_View(0);
    EXPECT_TRUE(m_bench.RowUsed(7));
}

TEST_F(ContactListTest, OfflineAndANewConnectionShowEveryoneOfflineUntilTheListArrives)
{
    ReceiveThree();
    RL_Offline();
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(m_bench.RowShows(row, kGrey)) << row;

    m_bench.Reconnect();
    m_bench.LogIn();
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
    RosterBench::Contact(12, "Camper", 500);
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(m_bench.RowUsed(row)) << "the old list stays while the new arrives";
    EXPECT_TRUE(m_bench.RowShows(1, kYellow));
    EXPECT_TRUE(m_bench.RowShows(0, kGrey));
    RosterBench::Contact(14, "Newcomer", 300);
    RosterBench::ListEnd();
    // In the server's order; 11 and 13 are no longer on the list.
    ASSERT_TRUE(m_bench.Click(0));
    EXPECT_EQ(500, ClickedStatus());
    EXPECT_TRUE(m_bench.RowShows(1, kGreen));
    EXPECT_FALSE(m_bench.RowUsed(2));
}

TEST_F(ContactListTest, TheSavedListShowsOfflineAfterARestart)
{
    ReceiveThree();
    EXPECT_TRUE(m_bench.Folder().Exists("Data\\contacts.dat"));

    // The bar starts again: the library reads the file, nobody is online yet.
    RL_Init(m_bench.Bar());
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(m_bench.RowShows(row, kGrey)) << row;
    EXPECT_FALSE(m_bench.RowUsed(3));
    ASSERT_TRUE(m_bench.Click(1));
    EXPECT_EQ(100, ClickedStatus());

    // A damaged file is an empty list, not a crash.
    m_bench.Folder().Write("Data\\contacts.dat", std::string("KVXC\1\0\0\0\0\0\0\0\xff\xff\0\0", 16) + "short");
    RL_Init(m_bench.Bar());
    EXPECT_FALSE(m_bench.RowUsed(0));
}

TEST_F(ContactListTest, SomeoneWhoAddedYouIsOfferedForAdding)
{
    ReceiveThree();
    ContactRecord adder = {};
    adder.account = 40;
    adder.eventId = 7001;
    lstrcpynA(adder.nickname, "Fan", sizeof adder.nickname);
    adder.status = 300;
    adder.addFlag = 1;
    RosterBench::Event(EVENT_ADDED_YOU, &adder, sizeof adder, 40);
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_EVENT_ACK, &packet));
    EventAckRecord ack;
    memcpy(&ack, packet.payload, sizeof ack);
    EXPECT_EQ(7001u, ack.eventId);

    EXPECT_TRUE(m_bench.RowShows(3, kWhite));
    ASSERT_TRUE(m_bench.Click(3));
    EXPECT_TRUE(ClickedIsOffered());
    RL_RCommand(25); // Add To List
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACT_ADD, &packet));
    AccountRecord added;
    memcpy(&added, packet.payload, sizeof added);
    EXPECT_EQ(40, added.account);

    // The server's answer puts it on the list for real.
    RosterBench::Contact(40, "Fan", 300);
    ASSERT_TRUE(m_bench.Click(3));
    EXPECT_FALSE(ClickedIsOffered());
    EXPECT_TRUE(m_bench.RowShows(3, kGreen));

    // Someone already listed is not offered twice.
    adder.account = 11;
    RosterBench::Event(EVENT_ADDED_YOU, &adder, sizeof adder, 11);
    EXPECT_FALSE(m_bench.RowUsed(4));
}

TEST_F(ContactListTest, ShortOrUnknownEventsChangeNothing)
{
    ReceiveThree();
    ContactRecord half = {};
    half.account = 50;
    half.status = 300;
    RosterBench::Event(EVENT_CONTACT, &half, sizeof half - 1);
    RosterBench::Event(77, &half, sizeof half);
    RL_NewEvent(&half, 3, 0, 0, TRUE);
    EXPECT_FALSE(m_bench.RowUsed(3));
}

} // namespace
