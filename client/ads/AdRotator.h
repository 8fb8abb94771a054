// The sponsor banner in the bar's ad hotspot. Ad n is the bitmap "ads\adNNN.ad" under the
// working folder and its info record "ads\adNNN.adi"; the six built-in ads (0 to 5) have
// their info files written afresh whenever a rotator is made. The banners cycle 0, 1, 2 ...
// up to the first number whose image does not load, then start at 0 again.
//
// The bar makes it in OnCreate after its hot regions as (window, 11, 29, 188, 78), so a
// 176 x 48 picture fills the skin's banner well at (12, 30), and calls Next() at once; then
// Next() on TIMER_QUIET only while no game is played, so the banner stands still during
// a game; Paint() from its own paint; Open() instead of the region's action on a release
// over the ad hotspot (command 8); TipText() for that hotspot's balloon. Failures go to the
// debugger output only; nothing is shown to the user.
#ifndef KVX_AD_ROTATOR_H
#define KVX_AD_ROTATOR_H

#include <windows.h>

#include <memory>

#include "ads/AdInfo.h"

class CBitmap;

class CAdRotator {
public:
    // Takes the working folder from the current directory and writes the six built-in info
    // files, leaving the last of them as the current record. Shows nothing until Next().
    CAdRotator(HWND window, LONG left, LONG top, LONG right, LONG bottom);
    CAdRotator(const CAdRotator&) = delete;
    CAdRotator& operator=(const CAdRotator&) = delete;
    virtual ~CAdRotator();

    // Makes `text` and `url` the current record and writes it as the info file of ad n;
    // an info file that cannot be created is silently not written.
    void WriteDefault(UINT n, const char* text, const char* url);
    // Makes ad n current: its image, and its info file read over the current record (what
    // a missing or short file does not hold stays as it was; a field without its zero is
    // cut at its end). False when the image does not load (nothing is shown then) or the
    // record has no address.
    bool Load(UINT n);
    // Shows the next ad, or ad 0 again when the next one does not load, and invalidates the
    // hotspot. With no loadable ad at all nothing changes and nothing is invalidated.
    void Next();
    // Draws the current image at its own size one pixel inside the hotspot's top-left corner.
    void Paint(HDC dc) const;
    // Hands the current address to the shell; whether anything opens is not reported.
    void Open() const;
    // "text\n\n(url)\n\nClick Now To Jump Here" for the current record, in a buffer of the
    // rotator that the next call overwrites.
    const char* TipText();

    // A full text and a full address with the fixed words around them.
    static const size_t kTipSize = sizeof(AD_INFO) + 32;

private:
    // The path of ad n's image (suffix "") or info file (suffix "i"); false when it does
    // not fit.
    bool AdPath(UINT n, const char* suffix, char (&path)[MAX_PATH]) const;

    UINT m_index = 0;
    AD_INFO m_info = {};
    std::unique_ptr<CBitmap> m_image;
    char m_folder[MAX_PATH] = {};
    HWND m_window;
    RECT m_hotspot;
    char m_tip[kTipSize] = {};
};

#endif
