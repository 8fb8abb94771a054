#include "ScannerWindow.h"
#include "records/Bar.h"

#include <commctrl.h>
#include <stdio.h>
#include <string.h>

#include <new>

#include "records/GameRecord.h"
#include "wire/Packets.h"
#include "wire/Status.h"

namespace {

const char kCaption[] = "Quake II Servers";
const int kWidth = 580;
const int kHeight = 360;
const int kMargin = 8;
const int kRowHeight = 24;
const int kStatusHeight = 18;
const int kEditWidth = 200;
const int kButtonWidth = 76;
const COLORREF kProblemColour = RGB(176, 0, 0);

std::string Dotted(const uint8_t address[4])
{
    char text[16];
    snprintf(text, sizeof text, "%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
    return text;
}

const char* PingText(const QueryResult& result, bool waiting, char* buffer, size_t size)
{
    if (waiting) return "...";
    switch (result.outcome) {
    case QueryResult::Answered: snprintf(buffer, size, "%d", result.pingMs); return buffer;
    case QueryResult::TimedOut: return "timeout";
    case QueryResult::Refused: return "refused";
    case QueryResult::UnknownHost: return "unknown host";
    default: return "error";
    }
}

} // namespace

const char CScannerWindow::kClassName[] = "KVXProbe";
const char CScannerWindow::kListFileName[] = "probe.ini";
HWND CScannerWindow::s_window = nullptr;
std::vector<kvxprobe::ServerAddress> CScannerWindow::s_kvxServers;
unsigned CScannerWindow::s_serial = 0;

const Route<CScannerWindow> CScannerWindow::kRoutes[] = {
    {WM_CREATE, &CScannerWindow::OnCreate},
    {WM_SIZE, &CScannerWindow::OnSize},
    {WM_GETMINMAXINFO, &CScannerWindow::OnGetMinMaxInfo},
    {WM_COMMAND, &CScannerWindow::OnCommand},
    {WM_NOTIFY, &CScannerWindow::OnNotify},
    {kResultMessage, &CScannerWindow::OnQueryResult},
    {kListMessage, &CScannerWindow::OnServerList},
    {WM_CTLCOLORSTATIC, &CScannerWindow::OnCtlColorStatic},
};

HWND CScannerWindow::Open(HWND bar)
{
    if (s_window) {
        CScannerWindow* open = reinterpret_cast<CScannerWindow*>(GetWindowLongPtrA(s_window, GWLP_USERDATA));
        if (open) open->m_bar = bar;
        if (IsIconic(s_window)) ShowWindow(s_window, SW_RESTORE);
        SetForegroundWindow(s_window);
    } else {
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return nullptr;
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        HINSTANCE instance = ThisModule();
        if (!RegisterOnce(instance)) return nullptr;
        const Params params = {bar};
        HWND window =
            CreateWindowExA(0, kClassName, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, kWidth, kHeight, nullptr, nullptr, instance, const_cast<Params*>(&params));
        if (!window) return nullptr;
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    // Posted: the bar answers by sending the library request, which must not run inside
    // whatever called us.
    if (bar) PostMessageA(bar, BAR_LIBRARY_REQUEST, 0, 0);
    return s_window;
}

void CScannerWindow::TakeServerList(const void* payload, int length)
{
    GameServersHead head;
    if (!payload || length < static_cast<int>(sizeof head)) return;
    memcpy(&head, payload, sizeof head);
    if (head.game != kGameQuake2) return;
    const size_t fits = (static_cast<size_t>(length) - sizeof head) / sizeof(GameServerRecord);
    size_t count = head.count;
    if (count > fits) count = fits;
    if (count > kMaxGameServers) count = kMaxGameServers;
    std::vector<kvxprobe::ServerAddress> servers;
    const unsigned char* records = static_cast<const unsigned char*>(payload) + sizeof head;
    for (size_t i = 0; i < count; ++i) {
        GameServerRecord record;
        memcpy(&record, records + i * sizeof record, sizeof record);
        if (record.port == 0) continue;
        servers.emplace_back(Dotted(record.address), record.port);
    }
    s_kvxServers.swap(servers);
    if (s_window) SendMessageA(s_window, kListMessage, 0, 0);
}

bool CScannerWindow::RegisterOnce(HINSTANCE instance)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, kClassName, &wc)) return true;
    wc.lpfnWndProc = &CWindowProc<CScannerWindow>::Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

CScannerWindow::CScannerWindow(HWND window, const Params& params)
    : m_window(window), m_bar(params.bar), m_edit(nullptr), m_status(nullptr), m_font(CreateMessageFont()),
      m_problem(false), m_file(kListFileName)
{
    s_window = window;
}

CScannerWindow::~CScannerWindow()
{
    if (m_font) DeleteObject(m_font);
    if (s_window == m_window) s_window = nullptr;
}

// The caller's loop does no dialog navigation, so Enter in the address field is caught here.
LRESULT CALLBACK CScannerWindow::EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_USERDATA));
    if (message == WM_KEYDOWN && wParam == VK_RETURN) {
        PostMessageA(GetParent(edit), WM_COMMAND, MAKEWPARAM(kAddId, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_CHAR && (wParam == '\r' || wParam == '\n')) return 0; // no beep
    return CallWindowProcA(original, edit, message, wParam, lParam);
}

LRESULT CScannerWindow::OnCreate(HWND, UINT, WPARAM, LPARAM)
{
    if (!m_table.Create(m_window, kTableId)) return -1;
    if (m_font) SendMessageA(m_table.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    m_edit = Child(m_window, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kEditId, 0, 0, 0, 0, "", m_font);
    const bool made = m_edit &&
                      Child(m_window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kAddId, 0, 0, 0, 0, "&Add", m_font) &&
                      Child(m_window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kRemoveId, 0, 0, 0, 0, "&Remove", m_font) &&
                      Child(m_window, "BUTTON", WS_TABSTOP | BS_PUSHBUTTON, kRefreshId, 0, 0, 0, 0, "Re&fresh", m_font);
    m_status = Child(m_window, "STATIC", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, kStatusId, 0, 0, 0, 0, "", m_font);
    if (!made || !m_status) return -1;
    SendMessageA(m_edit, EM_SETLIMITTEXT, kvxprobe::ServerAddress::kMaxHost + 6, 0);
    SendMessageA(m_edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"host:port"));
    SetWindowLongPtrA(m_edit, GWLP_USERDATA, GetWindowLongPtrA(m_edit, GWLP_WNDPROC));
    SetWindowLongPtrA(m_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc));

    LoadOwnList();
    for (const kvxprobe::ServerAddress& server : s_kvxServers) Include(server, false);
    ShowAll();
    for (Entry& entry : m_entries) Query(entry);
    ShowAll();
    return 0;
}

LRESULT CScannerWindow::OnSize(HWND, UINT, WPARAM, LPARAM lParam)
{
    const int width = LOWORD(lParam);
    const int height = HIWORD(lParam);
    const int statusTop = height - kMargin - kStatusHeight;
    const int rowTop = statusTop - kMargin / 2 - kRowHeight;
    MoveWindow(m_table.Handle(), kMargin, kMargin, width - 2 * kMargin, rowTop - 2 * kMargin, TRUE);
    MoveWindow(m_edit, kMargin, rowTop, kEditWidth, kRowHeight, TRUE);
    int x = kMargin + kEditWidth + kMargin;
    for (int id : {kAddId, kRemoveId, kRefreshId}) {
        MoveWindow(GetDlgItem(m_window, id), x, rowTop, kButtonWidth, kRowHeight, TRUE);
        x += kButtonWidth + kMargin / 2;
    }
    MoveWindow(m_status, kMargin, statusTop, width - 2 * kMargin, kStatusHeight, TRUE);
    return 0;
}

LRESULT CScannerWindow::OnGetMinMaxInfo(HWND, UINT, WPARAM, LPARAM lParam)
{
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = kEditWidth + 3 * kButtonWidth + 6 * kMargin + 2 * GetSystemMetrics(SM_CXSIZEFRAME);
    info->ptMinTrackSize.y = 200;
    return 0;
}

LRESULT CScannerWindow::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    if (HIWORD(wParam) != BN_CLICKED) return 0;
    switch (LOWORD(wParam)) {
    case kAddId: AddTyped(); break;
    case kRemoveId: RemoveSelected(); break;
    case kRefreshId: Refresh(); break;
    default: break;
    }
    return 0;
}

LRESULT CScannerWindow::OnNotify(HWND, UINT, WPARAM, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != kTableId) return 0;
    if (header->code == NM_DBLCLK) Join(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
    if (header->code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey == VK_DELETE)
        RemoveSelected();
    return 0;
}

LRESULT CScannerWindow::OnQueryResult(HWND, UINT, WPARAM, LPARAM lParam)
{
    QueryResult* result = reinterpret_cast<QueryResult*>(lParam);
    for (size_t i = 0; i < m_entries.size(); ++i) {
        Entry& entry = m_entries[i];
        // An answer to an earlier query, or for a server removed meanwhile, is old news.
        if (!entry.waiting || entry.serial != result->serial) continue;
        entry.waiting = false;
        entry.result = *result;
        ShowRow(i);
    }
    delete result;
    return 0;
}

LRESULT CScannerWindow::OnServerList(HWND, UINT, WPARAM, LPARAM)
{
    // Servers the KVX server no longer names go; new ones come and are asked at once.
    for (size_t i = m_entries.size(); i-- > 0;) {
        if (m_entries[i].own) continue;
        bool named = false;
        for (const kvxprobe::ServerAddress& server : s_kvxServers) named = named || server == m_entries[i].address;
        if (!named) m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (const kvxprobe::ServerAddress& server : s_kvxServers)
        if (Include(server, false)) Query(m_entries.back());
    ShowAll();
    return 0;
}

LRESULT CScannerWindow::OnCtlColorStatic(HWND, UINT, WPARAM wParam, LPARAM)
{
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, m_problem ? kProblemColour : GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void CScannerWindow::AddTyped()
{
    char typed[kvxprobe::ServerAddress::kMaxHost + 8] = "";
    GetWindowTextA(m_edit, typed, sizeof typed);
    kvxprobe::ServerAddress address;
    std::string error;
    // A mistake keeps what was typed, so it can be corrected rather than typed again.
    if (!kvxprobe::ServerAddress::Parse(typed, address, error)) {
        SetStatus(error, true);
        SetFocus(m_edit);
        return;
    }
    for (const Entry& entry : m_entries) {
        if (entry.address == address && entry.own) {
            SetStatus(address.Text() + " is listed already.", true);
            return;
        }
    }
    m_ownList.Add(address);
    if (!SaveOwnList()) {
        m_ownList.Remove(address);
        return;
    }
    bool listed = false;
    for (Entry& entry : m_entries) {
        if (!(entry.address == address)) continue;
        entry.own = true; // named by the KVX server too; now the user's as well
        listed = true;
    }
    if (!listed && Include(address, true)) Query(m_entries.back());
    SetWindowTextA(m_edit, "");
    SetStatus("Added " + address.Text() + ".", false);
    ShowAll();
}

void CScannerWindow::RemoveSelected()
{
    const int row = m_table.Selected();
    if (row < 0 || static_cast<size_t>(row) >= m_entries.size()) {
        SetStatus("Choose one of your servers in the list first.", true);
        return;
    }
    Entry& entry = m_entries[static_cast<size_t>(row)];
    if (!entry.own) {
        SetStatus(entry.address.Text() + " comes from the KVX server and cannot be removed.", true);
        return;
    }
    const kvxprobe::ServerAddress address = entry.address;
    m_ownList.Remove(address);
    if (!SaveOwnList()) {
        m_ownList.Add(address);
        return;
    }
    bool named = false;
    for (const kvxprobe::ServerAddress& server : s_kvxServers) named = named || server == address;
    if (named) entry.own = false;
    else m_entries.erase(m_entries.begin() + row);
    SetStatus("Removed " + address.Text() + ".", false);
    ShowAll();
}

void CScannerWindow::Refresh()
{
    for (Entry& entry : m_entries) Query(entry);
    ShowAll();
    SetStatus(m_entries.empty() ? "No servers to ask: add one below." : "Asking the servers...", false);
}

void CScannerWindow::Join(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_entries.size()) return;
    const Entry& entry = m_entries[static_cast<size_t>(row)];
    if (entry.result.outcome != QueryResult::Answered) {
        SetStatus(entry.address.Text() + " has not answered; refresh and try again.", true);
        return;
    }
    GAME_RECORD record = {};
    record.addr = entry.result.addr;
    record.port = entry.address.port();
    const std::string name = entry.result.hostName.empty() ? entry.address.Text() : entry.result.hostName;
    lstrcpynA(record.info, name.c_str(), sizeof record.info);
    SetStatus("Joining " + name + "...", false);
    if (m_bar) SendMessageA(m_bar, BAR_JOIN_GAME, reinterpret_cast<WPARAM>(&record), STATUS_QUAKE2);
}

void CScannerWindow::LoadOwnList()
{
    std::string text, error;
    if (!m_file.Read(text, error)) {
        // Nothing is saved over a file that could not be read.
        SetStatus(error, true);
        return;
    }
    m_ownList.Load(text);
    for (const kvxprobe::ServerAddress& server : m_ownList.Servers()) Include(server, true);
    const std::vector<std::string>& problems = m_ownList.Problems();
    if (!problems.empty())
        SetStatus(m_file.Path() + ": " + problems.front() +
                      (problems.size() > 1 ? " (and " + std::to_string(problems.size() - 1) + " more)" : "") +
                      " Kept as written.",
                  true);
}

bool CScannerWindow::SaveOwnList()
{
    std::string error;
    if (m_file.Write(m_ownList.Text(), error)) return true;
    SetStatus(error, true);
    return false;
}

bool CScannerWindow::Include(const kvxprobe::ServerAddress& address, bool own)
{
    for (const Entry& entry : m_entries)
        if (entry.address == address) return false;
    Entry entry;
    entry.address = address;
    entry.own = own;
    m_entries.push_back(entry);
    return true;
}

void CScannerWindow::Query(Entry& entry)
{
    entry.serial = ++s_serial;
    entry.waiting = CServerQuery::Launch(m_window, kResultMessage, entry.serial, entry.address);
    if (!entry.waiting) entry.result.outcome = QueryResult::Failed;
}

void CScannerWindow::ShowRow(size_t index)
{
    const Entry& entry = m_entries[index];
    const QueryResult& result = entry.result;
    const bool answered = result.outcome == QueryResult::Answered;
    char players[32] = "", ping[16] = "";
    if (answered && result.maxClients >= 0)
        snprintf(players, sizeof players, "%d/%d", result.players, result.maxClients);
    else if (answered) snprintf(players, sizeof players, "%d", result.players);
    const std::string address = entry.address.Text();
    const char* texts[CServerTable::kColumns] = {};
    texts[CServerTable::kName] = answered && !result.hostName.empty() ? result.hostName.c_str() : address.c_str();
    texts[CServerTable::kMap] = answered ? result.map.c_str() : "";
    texts[CServerTable::kPlayers] = players;
    texts[CServerTable::kPing] = PingText(result, entry.waiting, ping, sizeof ping);
    texts[CServerTable::kAddress] = address.c_str();
    m_table.SetRow(static_cast<int>(index), texts);
}

void CScannerWindow::ShowAll()
{
    for (size_t i = 0; i < m_entries.size(); ++i) ShowRow(i);
    m_table.Truncate(static_cast<int>(m_entries.size()));
}

void CScannerWindow::SetStatus(const std::string& text, bool problem)
{
    m_problem = problem;
    SetWindowTextA(m_status, text.c_str());
}
