#include "SignupWizard.h"

#include <string.h>

#include "signon/SignupIds.h"
#include "sockio/sockio.h"
#include "wire/Packets.h"

namespace {

// The open dialog, which SO_Message hands the server's answers to.
CSignupWizard* g_open = nullptr;

const UINT_PTR kAnswerTimer = 1;
const UINT kAnswerWaitMs = 30000; // a dropped connection must not leave the dialog stuck

const int kFields[] = {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM};

const char kCreating[] = "Creating your account...";
const char kConnectionLost[] =
    "The connection to the KVX server was lost. KVX reconnects by itself: try again in a moment, or Cancel.";
const char kReconnected[] = "The connection to the KVX server was lost and is back. Please sign up again.";
const char kNoAnswer[] = "The KVX server did not answer. Please try again, or Cancel and try again later.";
const char kUnreadable[] = "The KVX server's answer could not be read. Please try again.";
const char kRefused[] = "The KVX server could not create the account.";

} // namespace

const Route<CSignupWizard, INT_PTR> CSignupWizard::kRoutes[] = {
    {WM_INITDIALOG, &CSignupWizard::OnInitDialog},
    {WM_COMMAND, &CSignupWizard::OnCommand},
    {WM_TIMER, &CSignupWizard::OnTimer},
    {WM_DESTROY, &CSignupWizard::OnDestroy},
};

CSignupWizard::CSignupWizard(USER_INFO_STRUCT* user, UINT_PTR socket)
    : m_user(user), m_socket(socket), m_dialog(nullptr), m_waiting(false), m_closed(false), m_result(FALSE)
{
}

BOOL CSignupWizard::Run(HWND owner)
{
    if (!m_user) return FALSE;
    if (g_open) return g_open->CarryOn(m_user, m_socket);
    USER_INFO_STRUCT* const caller = m_user;
    g_open = this;
    DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_SIGNUP), owner, &CDialogProc<CSignupWizard>::Proc,
                    reinterpret_cast<LPARAM>(this));
    g_open = nullptr;
    return Outcome(caller);
}

BOOL CSignupWizard::CarryOn(USER_INFO_STRUCT* caller, UINT_PTR socket)
{
    m_user = caller;
    m_socket = socket;
    if (m_waiting) { // the request went out on the lost connection: no answer will come
        SetWaiting(false);
        ShowStatus(kReconnected);
        FocusField(IDC_SIGNUP_NICKNAME);
    }
    // The dialog's own modal loop waits further down the stack: this caller runs it meanwhile.
    MSG msg;
    while (!m_closed) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam)); // for the loops below
            Finish(FALSE); // this caller's record is not filled after it has returned
            break;
        }
        if (IsDialogMessageA(m_dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return Outcome(caller);
}

BOOL CSignupWizard::Outcome(USER_INFO_STRUCT* caller) const
{
    if (caller == m_user) return m_result;
    caller->accountNumber = 0; // a later caller has the account
    return TRUE;
}

void CSignupWizard::Finish(BOOL result)
{
    m_result = result;
    m_closed = true;
    EndDialog(m_dialog, result);
}

void CSignupWizard::Deliver(const PACKET_DATA& packet)
{
    if (g_open && g_open->m_waiting) g_open->OnAnswer(packet);
}

INT_PTR CSignupWizard::OnInitDialog(HWND, UINT, WPARAM, LPARAM)
{
    FocusField(IDC_SIGNUP_NICKNAME);
    return FALSE; // focus is set
}

INT_PTR CSignupWizard::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    if (id == IDOK) OnSignUp();
    else if (id == IDCANCEL) OnCancel();
    else return FALSE;
    return TRUE;
}

INT_PTR CSignupWizard::OnTimer(HWND, UINT, WPARAM wParam, LPARAM)
{
    if (wParam != kAnswerTimer || !m_waiting) return FALSE;
    SetWaiting(false);
    ShowStatus(kNoAnswer);
    FocusField(IDC_SIGNUP_NICKNAME);
    return TRUE;
}

INT_PTR CSignupWizard::OnDestroy(HWND, UINT, WPARAM, LPARAM)
{
    KillTimer(m_dialog, kAnswerTimer);
    m_waiting = false;
    m_closed = true;
    return FALSE;
}

void CSignupWizard::OnSignUp()
{
    if (m_waiting) return;
    const CSignupEntry entry(m_dialog);
    int field = 0;
    if (const char* problem = entry.Problem(&field)) {
        ShowStatus(problem);
        FocusField(field);
        return;
    }
    const SignupRequestRecord request = entry.Request();
    if (!SK_WPacket(m_socket, PKT_SIGNUP_REQUEST, &request, sizeof request)) {
        ShowStatus(kConnectionLost);
        return;
    }
    m_sent = entry;
    ShowStatus(kCreating);
    SetWaiting(true);
}

void CSignupWizard::OnCancel() { Finish(FALSE); }

void CSignupWizard::OnAnswer(const PACKET_DATA& packet)
{
    if (packet.type == PKT_SIGNUP_OK) OnAccepted(packet);
    else if (packet.type == PKT_SIGNUP_ERROR) OnRefused(packet);
}

void CSignupWizard::OnAccepted(const PACKET_DATA& packet)
{
    SignupOkRecord ok = {0};
    if (packet.length >= sizeof ok) memcpy(&ok, packet.payload, sizeof ok);
    SetWaiting(false);
    if (ok.account < 1) {
        ShowStatus(kUnreadable);
        FocusField(IDC_SIGNUP_NICKNAME);
        return;
    }
    m_sent.FillUser(m_user, ok.account);
    Finish(TRUE);
}

void CSignupWizard::OnRefused(const PACKET_DATA& packet)
{
    // The reason need not be terminated: copy no more than the payload holds.
    char reason[sizeof packet.payload + 1];
    size_t length = packet.length < sizeof packet.payload ? packet.length : sizeof packet.payload;
    const void* end = memchr(packet.payload, '\0', length);
    if (end) length = static_cast<size_t>(static_cast<const uint8_t*>(end) - packet.payload);
    memcpy(reason, packet.payload, length);
    reason[length] = '\0';
    SetWaiting(false);
    ShowStatus(length ? reason : kRefused);
    FocusField(IDC_SIGNUP_NICKNAME);
}

void CSignupWizard::SetWaiting(bool waiting)
{
    m_waiting = waiting;
    if (waiting) {
        // Keyboard focus must not stay on a control about to be disabled.
        SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_dialog, IDCANCEL)), TRUE);
        SetTimer(m_dialog, kAnswerTimer, kAnswerWaitMs, nullptr);
    } else {
        KillTimer(m_dialog, kAnswerTimer);
    }
    for (int id : kFields) EnableWindow(GetDlgItem(m_dialog, id), !waiting);
    EnableWindow(GetDlgItem(m_dialog, IDOK), !waiting);
    if (!waiting) SendMessageA(m_dialog, DM_SETDEFID, IDOK, 0);
}

void CSignupWizard::ShowStatus(const char* text) { SetDlgItemTextA(m_dialog, IDC_SIGNUP_STATUS, text); }

void CSignupWizard::FocusField(int id)
{
    HWND field = GetDlgItem(m_dialog, id);
    SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
    SendMessageA(field, EM_SETSEL, 0, -1);
}
