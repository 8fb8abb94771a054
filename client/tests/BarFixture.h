// A real CBar in this process on a real window, with the recording doubles of the in-house
// libraries and a scratch folder for KVX.ini and skins.
#ifndef KVX_TEST_BAR_FIXTURE_H
#define KVX_TEST_BAR_FIXTURE_H

#include <windows.h>

#include <string>

#include "app/Globals.h"
#include "bar/Bar.h"
#include "doubles/Recorder.h"
#include "support/InFolder.h"
#include "support/Pixels.h"

const COLORREF kTopColour = RGB(40, 0, 0), kBottomColour = RGB(0, 0, 40), kRed = RGB(255, 0, 0),
               kGrey = RGB(128, 128, 128), kYellow = RGB(255, 255, 0);

class BarFixture : public InScratchFolder {
protected:
    BarFixture();
    ~BarFixture() override { DeleteBar(); }

    // The three pieces of a skin in two solid colours: top and middle, then a bottom of 60 rows.
    void Skin(const std::string& name);
    // A bar made the way the application makes it, from this KVX.ini (after [Server]).
    CBar& MakeBar(const std::string& ini);
    // A bar made from whatever KVX.ini holds now.
    CBar& MakeBarFromIni();
    // The window, then the bar, as the application ends.
    void DeleteBar();
    std::string Setting(const std::string& key) const; // the first "key=" value in KVX.ini
    // The bar's window, 199 x height at (x, y), painted once; Create then does what the
    // application does once the window exists: regions, timers, session.
    void Show(int height, int x = 30, int y = 30);
    void Create(int height, int x = 30, int y = 30);
    COLORREF At(int x, int y) const { return PixelAt(g_hMainWnd, x, y); }
    bool Shows(const RECT& rect, COLORREF colour) const { return ::Shows(g_hMainWnd, rect, colour); }
    // Dispatches this thread's messages for `ms` milliseconds; false when WM_QUIT came.
    bool Pump(DWORD ms);
    // The bytes of an ad's info file holding this text and address.
    static std::string AdInfoBytes(const char* text, const char* url);

    CBar* bar = nullptr;
};

#endif
