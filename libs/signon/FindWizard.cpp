#include "FindWizard.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "signon/FindIds.h"
#include "sockio/sockio.h"
#include "wire/Contacts.h"

namespace {

// The open dialog, which SO_Message hands the search answers to.
CFindWizard* g_open = nullptr;

const char kNoConnection[] = "Not connected to the KVX server. Go online and try again.";
const char kSendFailed[] = "The request could not be sent. Check your connection and try again.";
const char kEmpty[] = "Type a nickname, an e-mail address or a KVX# first.";
const char kBadNumber[] = "A KVX# is a number, such as 10001.";
const char kSearching[] = "Searching...";
const char kUnreadable[] = "The KVX server's answer could not be read. Please try again.";
const char kPickFirst[] = "Select the users to add in the list first.";

} // namespace

const Route<CFindWizard, INT_PTR> CFindWizard::kRoutes[] = {
    {WM_INITDIALOG, &CFindWizard::OnInitDialog},
    {WM_COMMAND, &CFindWizard::OnCommand},
};

CFindWizard::CFindWizard(UINT_PTR socket) : m_socket(socket), m_dialog(nullptr), m_added(false) {}

BOOL CFindWizard::Run(HWND owner)
{
    if (g_open) return FALSE;
    g_open = this;
    DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_FIND), owner, &CDialogProc<CFindWizard>::Proc,
                    reinterpret_cast<LPARAM>(this));
    g_open = nullptr;
    return m_added ? TRUE : FALSE;
}

bool CFindWizard::Deliver(const PACKET_DATA& packet)
{
    if (!g_open || packet.type != PKT_SEARCH_RESULT) return false;
    g_open->OnResults(packet);
    return true;
}

INT_PTR CFindWizard::OnInitDialog(HWND, UINT, WPARAM, LPARAM)
{
    CheckRadioButton(m_dialog, IDC_FIND_BY_NICKNAME, IDC_FIND_BY_ACCOUNT, IDC_FIND_BY_NICKNAME);
    SendDlgItemMessageA(m_dialog, IDC_FIND_TEXT, EM_LIMITTEXT, kSearchField - 1, 0);
    SetFocus(GetDlgItem(m_dialog, IDC_FIND_TEXT));
    return FALSE; // focus is set
}

INT_PTR CFindWizard::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDOK: // Enter in the text field
    case IDC_FIND_SEARCH: OnSearch(); return TRUE;
    case IDC_FIND_ADD: OnAdd(); return TRUE;
    case IDCANCEL: EndDialog(m_dialog, IDCANCEL); return TRUE;
    default: return FALSE;
    }
}

bool CFindWizard::Send(WORD type, const void* data, int length)
{
    if (!m_socket) {
        ShowStatus(kNoConnection);
        return false;
    }
    if (!SK_WPacket(m_socket, type, data, length)) {
        ShowStatus(kSendFailed);
        return false;
    }
    return true;
}

void CFindWizard::OnSearch()
{
    SearchRecord search = {};
    GetDlgItemTextA(m_dialog, IDC_FIND_TEXT, search.text, sizeof search.text);
    if (!search.text[0]) return ShowStatus(kEmpty);
    if (IsDlgButtonChecked(m_dialog, IDC_FIND_BY_EMAIL)) search.by = SEARCH_BY_EMAIL;
    else if (IsDlgButtonChecked(m_dialog, IDC_FIND_BY_ACCOUNT)) search.by = SEARCH_BY_ACCOUNT;
    else search.by = SEARCH_BY_NICKNAME;
    if (search.by == SEARCH_BY_ACCOUNT && strspn(search.text, "0123456789") != strlen(search.text))
        return ShowStatus(kBadNumber);
    if (Send(PKT_SEARCH, &search, sizeof search)) ShowStatus(kSearching);
}

void CFindWizard::OnResults(const PACKET_DATA& packet)
{
    if (packet.length < offsetof(ProfileList, entries)) return ShowStatus(kUnreadable);
    ProfileList list = {};
    memcpy(&list, packet.payload, packet.length < sizeof list ? packet.length : sizeof list);
    // Only the entries the payload really holds, whatever the count claims.
    const size_t held = (packet.length - offsetof(ProfileList, entries)) / sizeof(Profile);
    size_t count = list.count < kMaxProfiles ? list.count : kMaxProfiles;
    if (count > held) count = held;

    HWND results = GetDlgItem(m_dialog, IDC_FIND_RESULTS);
    SendMessageA(results, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < count; ++i) {
        const Profile& user = list.entries[i];
        char line[kNicknameField + 64];
        snprintf(line, sizeof line, "%.*s (KVX# %ld) - %s", static_cast<int>(kNicknameField), user.nickname,
                 static_cast<long>(user.account), user.status >= 300 ? "Online" : "Offline");
        const LRESULT item = SendMessageA(results, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        SendMessageA(results, LB_SETITEMDATA, item, user.account);
    }
    char status[64];
    if (count == 0) snprintf(status, sizeof status, "Nobody found.");
    else snprintf(status, sizeof status, "%u found. Select the ones to add.", static_cast<unsigned>(count));
    ShowStatus(status);
}

void CFindWizard::OnAdd()
{
    HWND results = GetDlgItem(m_dialog, IDC_FIND_RESULTS);
    int chosen[kMaxProfiles] = {};
    const LRESULT count = SendMessageA(results, LB_GETSELITEMS, kMaxProfiles, reinterpret_cast<LPARAM>(chosen));
    if (count <= 0) return ShowStatus(kPickFirst);
    int sent = 0;
    for (LRESULT i = 0; i < count; ++i) {
        const AccountRecord user = {static_cast<std::int32_t>(SendMessageA(results, LB_GETITEMDATA, chosen[i], 0))};
        if (!Send(PKT_CONTACT_ADD, &user, sizeof user)) return;
        ++sent;
    }
    m_added = true;
    char status[64];
    snprintf(status, sizeof status, "Added %d to your contact list.", sent);
    ShowStatus(status);
}

void CFindWizard::ShowStatus(const char* text) { SetDlgItemTextA(m_dialog, IDC_FIND_STATUS, text); }
