// Working a modal dialog of this process as a user would: from a second thread, while the
// call that shows it runs its own loop on the test's thread.
#ifndef KVX_TEST_DIALOG_DRIVER_H
#define KVX_TEST_DIALOG_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>

// Runs `modal` on this thread while `driver` works the visible dialog captioned `caption`
// from another; a dialog the driver leaves open is cancelled, so a failing test cannot hang.
void DriveDialog(const char* caption, const std::function<void()>& modal, const std::function<void(HWND)>& driver);

// Clicks a button of the dialog (posted, so a box it opens cannot block the driver).
void Click(HWND dialog, int id);
// The text of control `id`, and whether it comes to contain `part` within 5 s.
std::string ItemText(HWND dialog, int id);
bool ItemShows(HWND dialog, int id, const std::string& part);

#endif
