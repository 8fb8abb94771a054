// Every drawing resource of the bar and every drawing: the skin background, the account
// number, the own status, the three button icons, the hot-region outline, the owner-drawn
// menu items, and the palette realised on 8-bit displays.
#ifndef KVX_PAINTER_H
#define KVX_PAINTER_H

#include <windows.h>

#include <memory>

#include "skin/Skin.h"

class CPainter {
public:
    // Reads the desktop's colour depth, loads "web.pal", makes the pens, brush and fonts.
    // The skin starts empty; the bar chooses one.
    CPainter();
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;
    virtual ~CPainter();

    // Switches to the skin named in `name` (a buffer of at least CSkin::kNameSize). A name
    // with "Hi" below 15 bits per pixel becomes "LoDef", after a notice, in the buffer too.
    // False, keeping the current skin, when the new one does not load.
    bool SetSkin(char* name);
    // The Skins menu's command: the skin at (command - CMD_SKIN_FIRST) in the folder's list.
    bool SelectSkin(UINT command);
    const CSkin& Skin() const { return *m_skin; }

    // Palette messages: realises the palette on an 8-bit display and repaints when it
    // mapped anything.
    bool Realize(HWND window);

    // The paint cycle: Begin paints the background and gives the paint's device context.
    HDC Begin(HWND window, bool active);
    LRESULT End();
    void DrawAccountNumber(LONG account, RECT rect);
    void DrawStatus(WORD status, RECT rect);
    void DrawButtonIcon(UINT region, RECT rect);
    void DrawHighlight(HDC dc, const RECT& rect, bool pressed);

    // Owner-drawn menu items: width of the item's text, and the item itself.
    UINT MeasureMenuItem(MEASUREITEMSTRUCT* item);
    bool DrawMenuItem(const DRAWITEMSTRUCT* item);

    int ColourDepth() const { return m_colourDepth; }
    HPALETTE Palette() const { return m_palette; }

    static const int kPaletteSize = 256;

private:
    void LoadPalette();
    const char* ItemText(UINT id, ULONG_PTR data, char* buffer, int size) const;
    HICON ItemIcon(UINT id, ULONG_PTR data, const char* text) const;

    std::unique_ptr<CSkin> m_skin; // deleted after the GDI objects, with the members
    HPALETTE m_palette = nullptr;
    HPALETTE m_previousPalette = nullptr;
    HPEN m_hoverPen = nullptr;
    HPEN m_pressedPen = nullptr;
    HFONT m_largeFont = nullptr;
    HFONT m_smallFont = nullptr;
    HBRUSH m_selectionBrush = nullptr;
    PAINTSTRUCT m_paint = {};
    HDC m_dc = nullptr;
    HWND m_window = nullptr;
    bool m_active = false;
    int m_colourDepth = 0;
};

#endif
