// The contact list as the bar shows it: entries from the server's events painted into a real
// window in their status colours, found under the pointer, scrolled and filtered, and kept in
// a file so they show (offline) after a restart and while not connected.
#include <tuple>

#include "RosterFixture.h"
#include "roster/RosterIds.h"

namespace {

using ContactListTest = RosterFixture;

// The user's own away message is kept across a restart and goes out with Away and N/A only.
TEST_F(ContactListTest, LoginSendsTheStatusWithItsGameOrAwayMessageAndAsksForTheListOncePerConnection)
{
    auto edit = [](int status, const char* caption, int button) {
        DriveDialog(
            caption, [&] { EXPECT_EQ(button == IDOK, RL_EditAway(status) == 10); },
            [&](HWND dialog) {
                SetDlgItemTextA(dialog, IDC_AWAY_TEXT, button == IDOK ? "eating pizza" : "thrown away");
                PressButton(dialog, button);
            });
    };
    edit(400, AWAY_CAPTION, IDOK);
    edit(500, NA_CAPTION, IDCANCEL);
    RL_Init(bar.Handle()); // a restart: the message was kept
    bar.game = {htonl(0x0A000005), 7777, "Tanarus arena", {}, {}, {}};
    for (const WORD status : {620, 400, 500}) {
        bar.status = status;
        RL_RefreshIP(bar.Socket());
        StatusRecord record = {};
        std::vector<WORD> sent;
        for (int i = 0; i < 2; ++i) RL_StatusChange(kAccount, TRUE);
        for (PACKET_DATA packet; bar.Next(0, &packet, 300); sent.push_back(packet.type))
            if (packet.type == PKT_STATUS) record = Payload<StatusRecord>(packet);
        EXPECT_EQ((std::vector<WORD>{PKT_STATUS, PKT_CONTACTS_REQUEST, PKT_STATUS}), sent)
            << "the list once a connection";
        EXPECT_EQ(status == 400 || status == 500 ? "eating pizza" : "", FieldText(record.away)) << status;
        EXPECT_TRUE(status != 620 || (record.status == 620 && record.game.addr == htonl(0x0A000005) &&
                                      record.game.port == 7777 && FieldText(record.game.info) == "Tanarus arena"));
        RL_StatusChange(kAccount, FALSE);
        bar.Connect();
    }
}

TEST_F(ContactListTest, EachRowShowsItsEntryInItsStatusColourAsPresenceChanges)
{
    LogIn({Entry(10, "", 300), Entry(11, "", 299), Entry(12, "", 400), Entry(13, "", 630), Entry(14, "", 100)});
    Send(EVENT_ADDED_YOU, Entry(15, "", 300, 1));
    const COLORREF colours[] = {kGreen, kGrey, kYellow, kYellow, kGrey, kWhite};
    Send(EVENT_ADDED_YOU, Entry(10, "", 300, 1)); // listed already: not offered again
    for (int row = 0; row < 6; ++row) EXPECT_TRUE(RowShows(row, colours[row])) << row;
    EXPECT_FALSE(RowShows(0, kYellow) || RowShows(6, kAnything));
    EXPECT_TRUE(Click(5) && RL_GetVar(0, 5)[0] && Click(0) && !RL_GetVar(0, 5)[0]) << "only the new one is offered";
    Send(EVENT_PRESENCE, Entry(14, "", 600));
    EXPECT_TRUE(RowShows(4, kYellow));
    const AccountRecord removed = {11};
    Event(EVENT_CONTACT_REMOVED, &removed, sizeof removed);
    Send(EVENT_PRESENCE, Entry(99, "Stranger", 300)); // not listed: nothing
    EXPECT_TRUE(RowShows(1, kYellow) && !RowShows(5, kAnything)) << "the gap closes";

    // A record one byte short, one claiming more than it carries, one of no known kind: nothing.
    const ContactRecord added = Entry(50, "Added", 300);
    Event(EVENT_CONTACT, &added, sizeof added - 1);
    Event(EVENT_CONTACT, &added, sizeof added - 1, sizeof added);
    Event(77, &added, sizeof added);
    EXPECT_FALSE(RowShows(5, kAnything));
    Event(EVENT_CONTACT, &added, sizeof added);
    EXPECT_TRUE(RowShows(5, kGreen)) << "the whole record is taken";
}

TEST_F(ContactListTest, ThePointerFindsRowsAndTheArrowsScrollNoFurtherThanTheEnds)
{
    std::vector<ContactRecord> list;
    for (int i = 0; i < 12; ++i) list.push_back(Entry(100 + i, "", i % 2 ? 100 : 300));
    LogIn(list);
    const int left = kArea.left, top = kArea.top;
    // Where the pointer is, and the status of the entry it finds there (0: none).
    const std::tuple<int, int, WORD> points[] = {{left, top + 15, 300}, {left, top + 16, 100}, {left - 1, top, 0},
                                                 {kArea.right, top, 0}, {left, top + 128, 0},  {0, 0, 0}};
    for (const auto& [x, y, status] : points) EXPECT_EQ(status, ClickAt(x, y)) << x << "," << y;
    EXPECT_TRUE(Click(2) == 300 && RowShows(2, kBand) && !RowShows(1, kBand)) << "the row under the pointer is marked";

    const std::tuple<void (*)(), int, int, WORD> scrolls[] = {
        {RL_Up, 1, 0, 300}, {RL_Down, 1, 0, 100}, {RL_Down, 3, 7, 100}, {RL_Down, 1, 7, 100}, {RL_Up, 9, 0, 300}};
    for (const auto& [step, steps, row, status] : scrolls) {
        for (int i = 0; i < steps; ++i) step();
        EXPECT_EQ(status, Click(row)) << "never past the first or the last row";
    }
    for (const int view : {1, 2}) {
        RL_View(view);
        for (int row = 0; row < 6; ++row) EXPECT_TRUE(RowShows(row, view == 1 ? kGreen : kGrey)) << view;
        EXPECT_FALSE(RowShows(6, kAnything)) << view;
    }
}

TEST_F(ContactListTest, TheListShowsOfflineWhenNotConnectedAndAfterARestart)
{
    LogIn({Entry(11, "Railgun", 300), Entry(12, "Camper", 400), Entry(13, "", 100)});
    RL_Offline();
    EXPECT_TRUE(RowShows(0, kGrey) && RowShows(1, kGrey) && RowShows(2, kGrey));
    bar.Connect();
    LogIn({Entry(12, "Camper", 500)}, false);
    EXPECT_TRUE(RowShows(0, kGrey) && RowShows(1, kYellow) && RowShows(2, kGrey)) << "the old list until the new came";
    Event(EVENT_CONTACTS_END, nullptr, 0);
    EXPECT_TRUE(Click(0) == 500 && !RowShows(1, kAnything)) << "the server's order; the unnamed are gone";
    RL_Init(bar.Handle());
    EXPECT_TRUE(Click(0) == 100 && !RowShows(1, kAnything)) << "the saved list, offline, after a restart";
    folder.Write("Data\\contacts.dat", std::string("KVXC\1\0\0\0\0\0\0\0\xff\xff\0\0", 16) + "short");
    RL_Init(bar.Handle());
    EXPECT_FALSE(RowShows(0, kAnything)) << "a damaged file is an empty list";
}

} // namespace
