// CPainter: its resources, the palette, the skin switch and the bar's own drawing.
#include "skin/Painter.h"

#include <stdio.h>
#include <string.h>

#include <cstdint>

#include "app/File.h"
#include "app/Reporter.h"
#include "artres/artres.h"
#include "menus/CommandIds.h"
#include "session/Status.h"
#include "skin/PaletteFile.h"

namespace {

const WORD kPaletteVersion = 0x300;
const int kLowColourLimit = 15;
const char kLowColourSkin[] = "LoDef";
const UINT kTextFormat = DT_SINGLELINE | DT_VCENTER;

struct PaletteRecord {
    WORD version;
    WORD count;
    PALETTEENTRY entries[CPainter::kPaletteSize];
};
static_assert(CPainter::kPaletteSize == static_cast<int>(CPaletteFile::kEntries), "the file fills the whole palette");
static_assert(offsetof(PaletteRecord, entries) == sizeof(LOGPALETTE) - sizeof(PALETTEENTRY),
              "laid out as a LOGPALETTE of 256 entries");

HFONT MakeFont(int height)
{
    return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, "Arial");
}

void DrawIcon16(HDC dc, int x, int y, HICON icon)
{
    if (icon) DrawIconEx(dc, x, y, icon, 16, 16, 0, nullptr, DI_NORMAL);
}

template <typename T> void DeleteIfMade(T& object)
{
    if (object) DeleteObject(object);
    object = nullptr;
}

} // namespace

CPainter::CPainter()
{
    HDC desktop = GetDC(nullptr);
    m_colourDepth = GetDeviceCaps(desktop, BITSPIXEL);
    ReleaseDC(nullptr, desktop);
    m_skin.reset(new CSkin);
    LoadPalette();
    m_hoverPen = CreatePen(PS_DOT, 0, kGrey);
    m_pressedPen = CreatePen(PS_SOLID, 1, kRed);
    m_selectionBrush = CreateSolidBrush(RGB(0, 0, 255));
    m_largeFont = MakeFont(16);
    m_smallFont = MakeFont(14);
}

CPainter::~CPainter()
{
    DeleteIfMade(m_smallFont);
    DeleteIfMade(m_selectionBrush);
    DeleteIfMade(m_largeFont);
    DeleteIfMade(m_hoverPen);
    DeleteIfMade(m_pressedPen);
    DeleteIfMade(m_palette);
}

void CPainter::LoadPalette()
{
    PaletteColour colours[kPaletteSize];
    CPaletteFile::FillBuiltIn(colours);
    CFile file;
    if (file.Open("web.pal")) {
        // One byte more than a whole file, so a longer one still reads as whole.
        std::uint8_t bytes[CPaletteFile::kFileSize + 1];
        DWORD size = 0, got = 0;
        while (size < sizeof bytes && (got = file.Read(bytes + size, sizeof bytes - size)) > 0) size += got;
        CPaletteFile::Read(bytes, size, colours);
    }
    PaletteRecord record;
    record.version = kPaletteVersion;
    record.count = kPaletteSize;
    for (int i = 0; i < kPaletteSize; ++i)
        record.entries[i] = {colours[i].red, colours[i].green, colours[i].blue, PC_NOCOLLAPSE};
    m_palette = CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record));
}

bool CPainter::Realize(HWND window)
{
    HDC dc = GetDC(window);
    m_colourDepth = GetDeviceCaps(dc, BITSPIXEL);
    if (m_colourDepth != 8) {
        ReleaseDC(window, dc);
        return false;
    }
    HPALETTE previous = SelectPalette(dc, m_palette, FALSE);
    const UINT mapped = RealizePalette(dc);
    SelectPalette(dc, previous, FALSE);
    ReleaseDC(window, dc);
    if (mapped == 0 || mapped == GDI_ERROR) return false;
    InvalidateRect(window, nullptr, TRUE);
    return true;
}

bool CPainter::SetSkin(char* name)
{
    if (strstr(name, "Hi") && m_colourDepth < kLowColourLimit) {
        CReporter::Notice("Display Mode (%d BPP). Automatically changing to LoColor skin.", m_colourDepth);
        lstrcpyA(name, kLowColourSkin);
    }
    std::unique_ptr<CSkin> skin(new CSkin);
    if (!skin->Load(name)) return false;
    m_skin = std::move(skin);
    return true;
}

bool CPainter::SelectSkin(UINT command)
{
    m_skin->Enumerate();
    const char* listed = command >= CMD_SKIN_FIRST ? m_skin->NameAt(command - CMD_SKIN_FIRST) : nullptr;
    if (!listed) return false;
    char name[CSkin::kNameSize];
    lstrcpynA(name, listed, sizeof name);
    return SetSkin(name);
}

HDC CPainter::Begin(HWND window, bool active)
{
    m_active = active;
    m_window = window;
    m_dc = BeginPaint(window, &m_paint);
    m_colourDepth = GetDeviceCaps(m_dc, BITSPIXEL);
    if (m_colourDepth == 8) {
        m_previousPalette = SelectPalette(m_dc, m_palette, FALSE);
        RealizePalette(m_dc);
    }
    m_skin->Paint(window, m_dc);
    return m_dc;
}

LRESULT CPainter::End()
{
    if (m_colourDepth == 8 && m_previousPalette) SelectPalette(m_dc, m_previousPalette, FALSE);
    m_previousPalette = nullptr;
    EndPaint(m_window, &m_paint);
    m_dc = nullptr;
    return 0;
}

void CPainter::DrawAccountNumber(LONG account, RECT rect)
{
    SetBkMode(m_dc, TRANSPARENT);
    SetTextColor(m_dc, m_active ? kYellow : kGrey);
    SelectObject(m_dc, m_largeFont);
    char text[16] = "N/A";
    if (account >= 1) snprintf(text, sizeof text, "%ld", static_cast<long>(account));
    DrawTextA(m_dc, text, -1, &rect, kTextFormat);
}

void CPainter::DrawStatus(WORD status, RECT rect)
{
    SetBkMode(m_dc, TRANSPARENT);
    SelectObject(m_dc, m_largeFont);
    const StatusLook* look = FindStatusLook(status);
    char unknown[24];
    COLORREF colour = kYellow;
    const char* text = unknown;
    if (look) {
        DrawIcon16(m_dc, rect.left + 5, rect.top + 2, AR_Icon(look->barIcon));
        colour = look->textColour;
        text = look->text;
    } else {
        // Not a status this build knows: the code itself tells the user more than nothing.
        snprintf(unknown, sizeof unknown, "Status %u", static_cast<unsigned>(status));
    }
    SetTextColor(m_dc, m_active ? colour : kGrey);
    rect.left += 30;
    DrawTextA(m_dc, text, -1, &rect, kTextFormat);
}

void CPainter::DrawButtonIcon(UINT region, RECT rect)
{
    const char* name = region == CMD_GAME_MENU    ? "Launch"
                       : region == CMD_EVENTS     ? "System"
                       : region == CMD_PREFS_MENU ? "Prefs"
                                                  : nullptr;
    if (name) DrawIcon16(m_dc, rect.left + 3, rect.top + 3, AR_Icon(name));
}

void CPainter::DrawHighlight(HDC dc, const RECT& rect, bool pressed)
{
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, pressed ? m_pressedPen : m_hoverPen);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 8, 8);
}
