#include "support/MessageBoxes.h"

#include <algorithm>

#include "support/Wait.h"
#include "support/WindowDriver.h"

namespace {

BOOL CALLBACK CollectButton(HWND child, LPARAM param)
{
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Button") == 0 && (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON &&
        IsWindowVisible(child))
        reinterpret_cast<std::vector<int>*>(param)->push_back(GetDlgCtrlID(child));
    return TRUE;
}

SeenBox Describe(HWND window)
{
    SeenBox box;
    box.window = window;
    box.caption = WindowText(window);
    box.text = DialogItemText(window, 0xFFFF); // a message box's text control
    // Wine keeps the icon control even when there is no icon; what counts is what it shows.
    HWND icon = GetDlgItem(window, 0x0440);
    box.hasIcon = icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    EnumChildWindows(window, CollectButton, reinterpret_cast<LPARAM>(&box.buttons));
    std::sort(box.buttons.begin(), box.buttons.end());
    return box;
}

// The first visible box or dialog of process `pid` captioned `caption` (any when null), or
// null. Only the process's own dialogs are read: reading a window's text may send it a message.
HWND FindBox(DWORD pid, const char* caption)
{
    for (HWND box : VisibleWindows(pid, "#32770"))
        if (!caption || WindowText(box) == caption) return box;
    return nullptr;
}

} // namespace

SeenBox FindMessageBox(DWORD pid, const char* caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindBox(pid, caption)) != nullptr; }, timeoutMs);
    return found ? Describe(found) : SeenBox();
}

// WM_GETTEXT, so the text comes from a dialog of another process too.
std::string DialogItemText(HWND dialog, int id)
{
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void PressButton(HWND box, int id) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

BoxAnswerer::BoxAnswerer(int button) : m_button(button)
{
    m_thread = std::thread([this] {
        std::vector<HWND> answered;
        while (!m_stop) {
            // Only a box not answered yet is described: describing sends it messages, which a
            // box already answered and closing (its thread gone on) would never take.
            HWND found = FindBox(GetCurrentProcessId(), nullptr);
            if (found && std::find(answered.begin(), answered.end(), found) == answered.end()) {
                const SeenBox box = Describe(found);
                const bool has = std::count(box.buttons.begin(), box.buttons.end(), m_button) > 0;
                std::lock_guard<std::mutex> hold(m_lock);
                m_seen.push_back(box);
                answered.push_back(box.window);
                PressButton(box.window, has ? m_button : IDOK);
            }
            // A handle may be reused by the next box: forget the ones that closed.
            answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND w) { return !IsWindowVisible(w); }),
                           answered.end());
            Sleep(10);
        }
    });
}

BoxAnswerer::~BoxAnswerer()
{
    m_stop = true;
    m_thread.join();
}

std::vector<SeenBox> BoxAnswerer::Seen()
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_seen;
}
