// A file on its way, as the user watches it: a small window of class "KVXTransfer" titled
// "Sending map.bsp" or "Receiving map.bsp", with a line of text and a progress bar (0 to
// 1000, which a test reads with PBM_GETPOS). Closing it hides nothing from the transfer,
// which goes on; the window closes itself when the transfer ends.
#ifndef KVX_ROSTER_TRANSFERWINDOW_H
#define KVX_ROSTER_TRANSFERWINDOW_H

#include <windows.h>

#include <cstdint>
#include <string>

class CTransferWindow {
public:
    static const char kClassName[];
    static const int kBarId = 100;

    // A new window, or null when it could not be made (the transfer goes on without it).
    static HWND Open(const std::string& title);
    // Shows `done` of `size` bytes; harmless on a window the user closed.
    static void Show(HWND window, std::uint64_t done, std::uint64_t size, const std::string& who);
    static void Close(HWND window);
    // "2.3 MB", "12 KB" or "512 bytes".
    static std::string Size(std::uint64_t bytes);
};

#endif
