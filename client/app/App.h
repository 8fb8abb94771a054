// The application: prepares the process for the bar and the libraries, creates the bar
// window, and on deletion tears everything down in a fixed order.
#ifndef KVX_APP_H
#define KVX_APP_H

#include <windows.h>

#include <memory>

class CBar;
class CReporter;
class CSettings;

class CApp {
public:
    CApp();
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;
    // The shutdown sequence: bar window, bar, reporter, settings (last of the objects),
    // sockets, rich edit, COM.
    virtual ~CApp();

    // COM, common controls, rich edit, settings, window library, folders, reporter, bar.
    // False after a reported failure; start-up then ends.
    bool Init();
    // Creates and shows the bar window at its saved place; false after a reported failure.
    bool CreateMainWindow();
    // Hands the saved dock edge to the bar and completes it (CBar::OnCreate).
    void RestoreDockAndCreate();
    // Saves position, height (floating only) and dock edge after the message loop.
    void SavePlacement();

    CBar* Bar() const { return m_bar.get(); }

private:
    HMODULE m_richEdit = nullptr;
    std::unique_ptr<CSettings> m_settings; // g_Settings while it lives
    std::unique_ptr<CReporter> m_reporter; // g_Reporter while it lives
    std::unique_ptr<CBar> m_bar;
    bool m_comStarted = false;
};

// The window procedure handed to the window library: forwards to the bar.
LRESULT CALLBACK BarWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
