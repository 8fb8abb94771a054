// Finding and answering the real message boxes and dialogs of a process, from another
// thread or another process.
#ifndef KVX_TEST_MESSAGE_BOXES_H
#define KVX_TEST_MESSAGE_BOXES_H

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    HWND window = nullptr;
    std::string caption;
    std::string text;         // the message, "\n" kept
    bool hasIcon = false;     // any icon shown beside the text
    std::vector<int> buttons; // ids of the push buttons (IDOK, IDYES, ...), sorted
};

// The first visible box or dialog of process `pid` captioned `caption` (any when null),
// waiting up to `timeoutMs`; window is null when none came.
SeenBox FindMessageBox(DWORD pid, const char* caption, DWORD timeoutMs);
// The text of control `id` of a dialog of any process.
std::string DialogItemText(HWND dialog, int id);
// Presses a button (posted, so a nested box cannot block the caller).
void PressButton(HWND box, int id);

// Answers every box this process shows, on a thread of its own, with `button` (IDOK when a
// box has no such button), and keeps what it saw: for code under test that shows a modal
// box on the test's own thread.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button = IDOK);
    ~BoxAnswerer();
    std::vector<SeenBox> Seen();

private:
    int m_button;
    std::atomic<bool> m_stop{false};
    std::mutex m_lock;
    std::vector<SeenBox> m_seen;
    std::thread m_thread;
};

#endif
