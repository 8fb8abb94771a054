// The contact list as the bar shows it: entries from the server's events painted into a
// real window in their status colours, found under the pointer, scrolled and filtered, and
// kept in a file so they show (offline) after a restart and while not connected.
#include <gtest/gtest.h>

#include "RosterFixture.h"

namespace {

using ContactListTest = RosterFixture;

TEST_F(ContactListTest, LoginSendsTheStatusAndAsksForTheListOncePerConnection)
{
    bar.status = 620;
    bar.game = {htonl(0x0A000005), 7777, "Tanarus arena", {}, {}, {}};
    for (int connection = 0; connection < 2; ++connection) {
        RL_RefreshIP(bar.Socket());
        RL_StatusChange(kAccount, TRUE);
        RL_StatusChange(kAccount, TRUE);
        std::vector<WORD> sent;
        for (PACKET_DATA packet; bar.Next(0, &packet, 300);) {
            sent.push_back(packet.type);
            const StatusRecord status = Payload<StatusRecord>(packet);
            if (packet.type != PKT_STATUS) continue;
            EXPECT_EQ(620, status.status);
            EXPECT_EQ(htonl(0x0A000005), status.game.addr);
            EXPECT_EQ(7777, status.game.port);
            EXPECT_EQ("Tanarus arena", FieldText(status.game.info));
        }
        EXPECT_EQ((std::vector<WORD>{PKT_STATUS, PKT_CONTACTS_REQUEST, PKT_STATUS}), sent) << "the list once a connection";
        RL_StatusChange(kAccount, FALSE);
        bar.Connect();
    }
}

TEST_F(ContactListTest, EachRowShowsItsEntryInItsStatusColourAsPresenceChanges)
{
    const struct {
        WORD status;
        COLORREF colour;
    } looks[] = {{300, kGreen}, {299, kGrey}, {400, kYellow}, {630, kYellow}, {100, kGrey}};
    std::vector<ContactRecord> list;
    for (const auto& look : looks) list.push_back(Entry(10 + static_cast<int>(list.size()), "", look.status));
    LogIn(list);
    for (int row = 0; row < 5; ++row) EXPECT_TRUE(RowShows(row, looks[row].colour)) << row;
    EXPECT_FALSE(RowShows(0, kYellow));
    EXPECT_FALSE(RowShows(5, kAnything));

    Send(EVENT_PRESENCE, Entry(14, "", 600));
    EXPECT_TRUE(RowShows(4, kYellow));
    const AccountRecord removed = {11};
    Event(EVENT_CONTACT_REMOVED, &removed, sizeof removed);
    EXPECT_TRUE(RowShows(1, kYellow)) << "the gap closes";
    EXPECT_FALSE(RowShows(4, kAnything));
    Send(EVENT_PRESENCE, Entry(99, "Stranger", 300));
    EXPECT_FALSE(RowShows(4, kAnything)) << "presence of someone not listed adds nothing";

    // A record one byte short, one that claims more than it carries, or of no known kind: nothing.
    ContactRecord added = Entry(50, "Half", 300);
    Event(EVENT_CONTACT, &added, sizeof added - 1);
    std::string claims(sizeof(EventHead), '\0');
    const EventHead head = {EVENT_CONTACT, sizeof added, 50, {}};
    memcpy(&claims[0], &head, sizeof head);
    claims.append(reinterpret_cast<const char*>(&added), sizeof added - 1);
    RL_NewEvent(claims.data(), static_cast<int>(claims.size()), 0, 0, TRUE);
    Event(77, &added, sizeof added);
    EXPECT_FALSE(RowShows(4, kAnything));
    Event(EVENT_CONTACT, &added, sizeof added);
    EXPECT_TRUE(RowShows(4, kGreen)) << "the whole record is taken";
}

TEST_F(ContactListTest, ThePointerFindsRowsAndTheArrowsScrollNoFurtherThanTheEnds)
{
    std::vector<ContactRecord> list;
    for (int i = 0; i < 12; ++i) list.push_back(Entry(100 + i, "", i % 2 ? 100 : 300));
    LogIn(list);
    const struct {
        int x, y;
        WORD status; // of the entry hit, 0: none
    } points[] = {
        {kArea.left, kArea.top, 300},       {kArea.right - 1, kArea.top + 15, 300}, {kArea.left, kArea.top + 16, 100},
        {kArea.left - 1, kArea.top, 0},     {kArea.right, kArea.top, 0},           {kArea.left, kArea.top - 1, 0},
        {kArea.left, kArea.top + 127, 100}, {kArea.left, kArea.top + 128, 0},      {0, 0, 0},
    };
    for (const auto& p : points) EXPECT_EQ(p.status, ClickAt(p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(300, Click(2));
    EXPECT_TRUE(RowShows(2, kBand));
    EXPECT_FALSE(RowShows(1, kBand));

    RL_Up();
    EXPECT_EQ(300, Click(0)) << "nothing above the first row";
    RL_Down();
    EXPECT_EQ(100, Click(0));
    for (int i = 0; i < 4; ++i) RL_Down();
    EXPECT_EQ(100, Click(7)) << "the last page shows the last entry on the last row";
    RL_Down();
    EXPECT_EQ(100, Click(7)) << "nothing below the last row";
    for (int i = 0; i < 5; ++i) RL_Up();
    EXPECT_EQ(300, Click(0));

    for (const int view : {1, 2}) {
        RL_View(view);
        for (int row = 0; row < 6; ++row) EXPECT_TRUE(RowShows(row, view == 1 ? kGreen : kGrey)) << view;
        EXPECT_FALSE(RowShows(6, kAnything)) << view;
    }
    RL_View(0);
    EXPECT_TRUE(RowShows(7, kAnything));
}

TEST_F(ContactListTest, TheListShowsOfflineWhenNotConnectedAndAfterARestart)
{
    LogIn({Entry(11, "Railgun", 300), Entry(12, "Camper", 400), Entry(13, "", 100)});
    RL_Offline();
    for (int row = 0; row < 3; ++row) EXPECT_TRUE(RowShows(row, kGrey)) << row;

    // A new connection: the old list stays until the new one has come, in the server's order.
    bar.Connect();
    LogIn({Entry(12, "Camper", 500)}, false);
    EXPECT_TRUE(RowShows(0, kGrey));
    EXPECT_TRUE(RowShows(1, kYellow));
    EXPECT_TRUE(RowShows(2, kGrey));
    Event(EVENT_CONTACTS_END, nullptr, 0);
    EXPECT_EQ(500, Click(0));
    EXPECT_FALSE(RowShows(1, kAnything)) << "entries the new list did not name are gone";

    RL_Init(bar.Handle());
    EXPECT_EQ(100, Click(0)) << "the saved list, offline, after a restart";
    EXPECT_FALSE(RowShows(1, kAnything));
    folder.Write("Data\\contacts.dat", std::string("KVXC\1\0\0\0\0\0\0\0\xff\xff\0\0", 16) + "short");
    RL_Init(bar.Handle());
    EXPECT_FALSE(RowShows(0, kAnything)) << "a damaged file is an empty list";
}

TEST_F(ContactListTest, SomeoneWhoAddedYouIsOfferedForAddingUntilTheServerListsThem)
{
    LogIn({Entry(11, "Railgun", 300)});
    ContactRecord fan = Entry(40, "Fan", 300);
    fan.eventId = 7001;
    fan.addFlag = 1;
    Send(EVENT_ADDED_YOU, fan);
    PACKET_DATA packet;
    ASSERT_TRUE(bar.Next(PKT_EVENT_ACK, &packet));
    EXPECT_EQ(7001u, Payload<EventAckRecord>(packet).eventId);
    EXPECT_TRUE(RowShows(1, kWhite));
    Click(1);
    EXPECT_NE(0, RL_GetVar(0, 5)[0]) << "offered";
    RL_RCommand(25); // Add To List
    ASSERT_TRUE(bar.Next(PKT_CONTACT_ADD, &packet));
    EXPECT_EQ(40, Payload<AccountRecord>(packet).account);

    Send(EVENT_CONTACT, Entry(40, "Fan", 300));
    Click(1);
    EXPECT_EQ(0, RL_GetVar(0, 5)[0]) << "listed now";
    EXPECT_TRUE(RowShows(1, kGreen));
    fan.account = 11;
    Send(EVENT_ADDED_YOU, fan);
    EXPECT_FALSE(RowShows(2, kAnything)) << "someone listed is not offered again";
}

} // namespace
