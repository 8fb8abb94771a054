#include "support/MessageBoxes.h"

#include <algorithm>

#include "support/Wait.h"

namespace {

const int kMessageTextId = 0xFFFF;
const int kIconId = 0x0440;

struct Search {
    DWORD pid;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid) return TRUE;
    char caption[256] = "";
    GetWindowTextA(window, caption, sizeof caption);
    if (search->caption && lstrcmpA(caption, search->caption) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

BOOL CALLBACK CollectButton(HWND child, LPARAM param)
{
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    const int id = GetDlgCtrlID(child);
    if (lstrcmpiA(cls, "Button") == 0 && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON && IsWindowVisible(child))
        reinterpret_cast<std::vector<int>*>(param)->push_back(id);
    return TRUE;
}

SeenBox Describe(HWND window)
{
    SeenBox box;
    box.window = window;
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    box.caption = text;
    text[0] = '\0';
    GetDlgItemTextA(window, kMessageTextId, text, sizeof text);
    box.text = text;
    HWND icon = GetDlgItem(window, kIconId);
    // Wine keeps the icon control even when there is no icon; what counts is what it shows.
    box.hasIcon = icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&box.buttons));
    std::sort(box.buttons.begin(), box.buttons.end());
    return box;
}

} // namespace

SeenBox FindMessageBox(DWORD pid, const char* caption, DWORD timeoutMs)
{
    Search search = {pid, caption, nullptr};
    WaitFor([&] {
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found ? Describe(search.found) : SeenBox();
}

std::string DialogItemText(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void PressButton(HWND box, int id) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

BoxAnswerer::BoxAnswerer(int button) : m_button(button)
{
    InitializeCriticalSection(&m_lock);
    m_thread = std::thread(&BoxAnswerer::Run, this);
}

BoxAnswerer::~BoxAnswerer()
{
    m_stop = true;
    m_thread.join();
    DeleteCriticalSection(&m_lock);
}

std::vector<SeenBox> BoxAnswerer::Seen()
{
    EnterCriticalSection(&m_lock);
    std::vector<SeenBox> copy = m_seen;
    LeaveCriticalSection(&m_lock);
    return copy;
}

void BoxAnswerer::Run()
{
    std::vector<HWND> answered;
    while (!m_stop) {
        Search search = {GetCurrentProcessId(), nullptr, nullptr};
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        if (search.found && std::find(answered.begin(), answered.end(), search.found) == answered.end()) {
            SeenBox box = Describe(search.found);
            const bool has = std::find(box.buttons.begin(), box.buttons.end(), m_button) != box.buttons.end();
            EnterCriticalSection(&m_lock);
            m_seen.push_back(box);
            LeaveCriticalSection(&m_lock);
            answered.push_back(search.found);
            PressButton(search.found, has ? m_button : IDOK);
        }
        // A box window handle may be reused by the next box; forget the ones that closed.
        answered.erase(std::remove_if(answered.begin(), answered.end(),
                                      [](HWND w) { return !IsWindow(w) || !IsWindowVisible(w); }),
                       answered.end());
        Sleep(10);
    }
}
