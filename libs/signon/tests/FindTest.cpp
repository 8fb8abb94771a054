// The find-users dialog worked as a user works it while the far end of the connection reads
// the search and answers like the server.
#include "SignonFixture.h"
#include "signon/FindIds.h"
#include "wire/Contacts.h"

namespace {

class FindTest : public SignonTest {
protected:
    BOOL Run(const std::function<void(HWND)>& driver, UINT_PTR socket)
    {
        BOOL added = FALSE;
        DriveDialog(FIND_CAPTION, [&] { added = SO_Find(bar.Handle(), socket); }, driver);
        return added;
    }
    static int Results(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LB_GETCOUNT, 0, 0)); }
};

TEST_F(FindTest, ASearchListsWhatTheAnswerHoldsAndAddSendsEveryoneChosen)
{
    const struct {
        std::uint16_t count; // what the answer claims
        size_t held;         // entries it holds
        int listed;
        const char* said;
    } answers[] = {{0, 0, 0, "Nobody found."}, {15, 1, 1, "1 found"}, {16, 15, 15, "15 found"}, {15, 15, 15, "15 found"}};
    EXPECT_TRUE(Run([&](HWND dialog) {
        for (const auto& a : answers) {
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, "frag");
            Click(dialog, IDC_FIND_SEARCH);
            const SearchRecord search = Payload<SearchRecord>(Sent(PKT_SEARCH));
            EXPECT_EQ(SEARCH_BY_NICKNAME, search.by);
            EXPECT_EQ("frag", FieldText(search.text));
            ProfileList found = {a.count, 0, {}};
            for (int i = 0; i < 15; ++i) found.entries[i] = {10001 + i, 300, 0, "Fragger", {}};
            bar.Send(PKT_SEARCH_RESULT, &found, offsetof(ProfileList, entries) + a.held * sizeof(Profile));
            EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, a.said));
            EXPECT_EQ(a.listed, Results(dialog));
        }
        SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, 14));
        Click(dialog, IDC_FIND_ADD);
        int sum = 0;
        for (int i = 0; i < 15; ++i) sum += Payload<AccountRecord>(Sent(PKT_CONTACT_ADD)).account;
        EXPECT_EQ(15 * 10001 + 105, sum) << "every chosen user, once";
        EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, "Added 15"));
    }, bar.Socket()));
}

TEST_F(FindTest, InputThatCannotBeSearchedIsExplainedAndNothingIsSent)
{
    const struct {
        int by;
        const char* text;
        int button;
        const char* said;
    } cases[] = {
        {IDC_FIND_BY_NICKNAME, "", IDC_FIND_SEARCH, "Type a nickname"},
        {IDC_FIND_BY_ACCOUNT, "10o01", IDC_FIND_SEARCH, "is a number"},
        {IDC_FIND_BY_ACCOUNT, "10001", IDC_FIND_ADD, "Select the users"},
    };
    EXPECT_FALSE(Run([&](HWND dialog) {
        for (const auto& c : cases) {
            SendDlgItemMessageA(dialog, c.by, BM_CLICK, 0, 0);
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, c.text);
            Click(dialog, c.button);
            EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, c.said)) << c.said;
        }
        EXPECT_TRUE(bar.Quiet());
    }, bar.Socket()));
    EXPECT_FALSE(Run([&](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_FIND_TEXT, "frag");
        Click(dialog, IDC_FIND_SEARCH);
        EXPECT_TRUE(ItemShows(dialog, IDC_FIND_STATUS, "Not connected"));
    }, 0));
}

} // namespace
