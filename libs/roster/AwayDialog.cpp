#include "AwayDialog.h"

#include "roster/RosterIds.h"

namespace {

const int kNotAvailable = 500;

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
    return module;
}

} // namespace

const CAwayDialog::Route CAwayDialog::kRoutes[] = {
    {WM_INITDIALOG, &CAwayDialog::OnInitDialog},
    {WM_COMMAND, &CAwayDialog::OnCommand},
};

CAwayDialog::CAwayDialog(int status, char* away, std::size_t size)
    : m_dialog(nullptr), m_status(status), m_away(away), m_size(size)
{
}

bool CAwayDialog::Run(HWND owner, int status, char* away, std::size_t size)
{
    if (!away || size == 0) return false;
    CAwayDialog dialog(status, away, size);
    return DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_AWAY), owner, &DialogProc,
                           reinterpret_cast<LPARAM>(&dialog)) == IDOK;
}

INT_PTR CALLBACK CAwayDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<CAwayDialog*>(lParam)->m_dialog = dialog;
    }
    CAwayDialog* self = reinterpret_cast<CAwayDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!self) return FALSE;
    for (const Route& route : kRoutes)
        if (route.message == message) return (self->*route.handler)(wParam, lParam);
    return FALSE;
}

INT_PTR CAwayDialog::OnInitDialog(WPARAM, LPARAM)
{
    if (m_status == kNotAvailable) SetWindowTextA(m_dialog, NA_CAPTION);
    HWND edit = GetDlgItem(m_dialog, IDC_AWAY_TEXT);
    SendMessageA(edit, EM_LIMITTEXT, m_size - 1, 0);
    SetWindowTextA(edit, m_away);
    SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return FALSE; // focus is set
}

INT_PTR CAwayDialog::OnCommand(WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    if (id == IDOK)
        GetDlgItemTextA(m_dialog, IDC_AWAY_TEXT, m_away, static_cast<int>(m_size));
    else if (id != IDCANCEL)
        return FALSE;
    EndDialog(m_dialog, static_cast<INT_PTR>(id));
    return TRUE;
}
