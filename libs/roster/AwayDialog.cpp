#include "AwayDialog.h"

#include "roster/RosterIds.h"
#include "wire/Status.h"

const Route<CAwayDialog, INT_PTR> CAwayDialog::kRoutes[] = {
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
    return DialogBoxParamA(ThisModule(), MAKEINTRESOURCEA(IDD_AWAY), owner, &CDialogProc<CAwayDialog>::Proc,
                           reinterpret_cast<LPARAM>(&dialog)) == IDOK;
}

INT_PTR CAwayDialog::OnInitDialog(HWND, UINT, WPARAM, LPARAM)
{
    if (m_status == STATUS_NA) SetWindowTextA(m_dialog, NA_CAPTION);
    HWND edit = GetDlgItem(m_dialog, IDC_AWAY_TEXT);
    SendMessageA(edit, EM_LIMITTEXT, m_size - 1, 0);
    SetWindowTextA(edit, m_away);
    SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return FALSE; // focus is set
}

INT_PTR CAwayDialog::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    if (id == IDOK) GetDlgItemTextA(m_dialog, IDC_AWAY_TEXT, m_away, static_cast<int>(m_size));
    else if (id != IDCANCEL) return FALSE;
    EndDialog(m_dialog, static_cast<INT_PTR>(id));
    return TRUE;
}
