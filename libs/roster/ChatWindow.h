// A two-way chat with one contact: a modeless window of class "KVXChat" with the lines so
// far, a line to type and Send (or Enter). Lines go out as PKT_CHAT_LINE over the socket the
// bar names (BAR_QUERY_SOCKET) and arrive as EVENT_CHAT; nothing is stored. One window per contact.
#ifndef KVX_ROSTER_CHATWINDOW_H
#define KVX_ROSTER_CHATWINDOW_H

#include <windows.h>

#include <cstdint>
#include <string>

#include "records/WindowProc.h"

class CChatWindow {
public:
    static const char kClassName[];
    enum ControlId { kTranscriptId = 100, kLineId = 101, kSendId = IDOK };

    // The open window with `with`, brought forward, or a new one.
    static HWND Open(HWND bar, std::int32_t with, const std::string& name);
    // At most this many chat windows open by themselves; past that a flood of lines from
    // strangers opens nothing.
    static const int kMaxOpen = 8;

    // A line from `from`: shown in its window, which opens when it is not open and fewer
    // than kMaxOpen are.
    static void Receive(HWND bar, std::int32_t from, const std::string& name, const std::string& text);

private:
    friend struct CWindowProc<CChatWindow>;
    struct Params {
        HWND bar;
        std::int32_t with;
        const std::string* name;
    };
    static const Route<CChatWindow> kRoutes[];

    CChatWindow(HWND window, const Params& params);
    CChatWindow(const CChatWindow&) = delete;
    CChatWindow& operator=(const CChatWindow&) = delete;

    static HWND Find(std::int32_t with);
    static int CountOpen();
    static bool RegisterOnce(HINSTANCE instance);
    static LRESULT CALLBACK LineProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT OnCreate(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnCommand(HWND, UINT, WPARAM, LPARAM);
    LRESULT OnActivate(HWND, UINT, WPARAM, LPARAM);

    void SendLine();
    void Append(const std::string& who, const std::string& text);

    HWND m_window;
    HWND m_bar;
    std::int32_t m_with;
    std::string m_name;
    HWND m_transcript;
    HWND m_line;
};

#endif
