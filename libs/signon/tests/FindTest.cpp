// The find-users dialog worked as a user works it while the far end of the connection reads the
// search and answers like the server.
#include <tuple>

#include "SignonFixture.h"
#include "signon/FindIds.h"
#include "wire/Contacts.h"

namespace {

class FindTest : public SignonTest {
protected:
    BOOL Run(const std::function<void(HWND)>& driver, UINT_PTR socket)
    {
        BOOL added = FALSE;
        DriveDialog(
            FIND_CAPTION, [&] { added = SO_Find(bar.Handle(), socket); }, driver);
        return added;
    }
};

// Input that cannot be searched is explained and sends nothing; an answer lists what it holds,
// up to fifteen, and Add sends everyone chosen.
TEST_F(FindTest, ASearchIsSentOnlyForWhatCanBeSearchedListsTheAnswerAndAddSendsEveryoneChosen)
{
    const std::tuple<int, const char*, int, const char*> refused[] = {
        {IDC_FIND_BY_ACCOUNT, "10o01", IDC_FIND_SEARCH, "is a number"},
        {IDC_FIND_BY_ACCOUNT, "10001", IDC_FIND_ADD, "Select the users"},
        {IDC_FIND_BY_NICKNAME, "", IDC_FIND_SEARCH, "Type a nickname"}}; // the searches below go by nickname
    // The count an answer claims, the entries it holds, then what the dialog lists and says.
    const std::tuple<std::uint16_t, size_t, LRESULT, const char*> answers[] = {
        {0, 0, 0, "Nobody found."}, {15, 1, 1, "1 found"}, {16, 15, 15, "15 found"}};
    EXPECT_TRUE(Run(
        [&](HWND dialog) {
            for (const auto& [by, text, button, said] : refused) {
                SendDlgItemMessageA(dialog, by, BM_CLICK, 0, 0);
                SetDlgItemTextA(dialog, IDC_FIND_TEXT, text);
                PressButton(dialog, button);
                EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, said)) << said;
            }
            EXPECT_TRUE(bar.Quiet());
            for (const auto& [count, held, listed, said] : answers) {
                SetDlgItemTextA(dialog, IDC_FIND_TEXT, "frag");
                PressButton(dialog, IDC_FIND_SEARCH);
                const SearchRecord search = Payload<SearchRecord>(Sent(PKT_SEARCH));
                EXPECT_TRUE(search.by == SEARCH_BY_NICKNAME && FieldText(search.text) == "frag");
                ProfileList found = {count, 0, {}};
                for (int i = 0; i < 15; ++i) found.entries[i] = {10001 + i, 300, 0, "Fragger", {}};
                bar.Send(PKT_SEARCH_RESULT, &found, offsetof(ProfileList, entries) + held * sizeof(Profile));
                EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, said));
                EXPECT_EQ(listed, SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LB_GETCOUNT, 0, 0)) << said;
            }
            SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, 14));
            PressButton(dialog, IDC_FIND_ADD);
            int sum = 0;
            for (int i = 0; i < 15; ++i) sum += Payload<AccountRecord>(Sent(PKT_CONTACT_ADD)).account;
            EXPECT_EQ(15 * 10001 + 105, sum) << "every chosen user, once";
            EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, "Added 15"));
        },
        bar.Socket()));
    EXPECT_FALSE(Run(
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, "frag");
            PressButton(dialog, IDC_FIND_SEARCH);
            EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, "Not connected"));
        },
        0));
}

} // namespace
