#include "skin/Bitmap.h"

#include <stdio.h>

#include <cstdint>

#include "app/File.h"
#include "app/Reporter.h"
#include "skin/BmpHeader.h"

namespace {

// The headers must describe rows that the file really holds: the system loader reads
// whatever they claim.
bool FitsItsFile(const char* path)
{
    CFile file;
    if (!file.Open(path)) return true; // the loader reports it
    std::uint8_t head[CBmpHeader::kHeadSize];
    const DWORD got = file.Read(head, sizeof head);
    return CBmpHeader::Check(head, got, file.Size(), nullptr);
}

// Handles print as 32-bit hexadecimal in the trace lines.
unsigned Hex(const void* handle) { return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)); }

} // namespace

CBitmap::~CBitmap() { Release(); }

void CBitmap::Release()
{
    if (m_handle) DeleteObject(m_handle);
    m_handle = nullptr;
}

bool CBitmap::Load(const char* name, bool addExtension)
{
    const int length = snprintf(m_fileName, sizeof m_fileName, addExtension ? "%s.bmp" : "%s", name);
    Release();
    if (length < 0 || length >= static_cast<int>(sizeof m_fileName)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return CReporter::Debug("CBitmap::Load(%s)", m_fileName);
    }
    if (!FitsItsFile(m_fileName)) {
        SetLastError(ERROR_INVALID_DATA);
        return CReporter::Debug("CBitmap::Load(%s)", m_fileName);
    }
    m_handle = static_cast<HBITMAP>(
        LoadImageA(nullptr, m_fileName, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    BITMAP info = {};
    if (!m_handle || GetObjectA(m_handle, sizeof info, &info) == 0) {
        Release();
        return CReporter::Debug("CBitmap::Load(%s)", m_fileName);
    }
    m_width = info.bmWidth;
    m_height = info.bmHeight;
    return true;
}

bool CBitmap::Paint(HDC target, int x, int y) const
{
    HDC memory = CreateCompatibleDC(target);
    if (!memory) {
        CReporter::Debug("CBitmap::Paint() CreateCompatibleDC(0x%x)", Hex(target));
        return true;
    }
    HGDIOBJ previous = m_handle ? SelectObject(memory, m_handle) : nullptr;
    if (!previous) {
        CReporter::Debug("CBitmap::Paint() SelectObject(0x%x,0x%x)", Hex(target),
                         Hex(m_handle));
    } else {
        if (!StretchBlt(target, x, y, m_width, m_height, memory, 0, 0, m_width, m_height, SRCCOPY))
            CReporter::Debug("CBitmap::Paint() StretchBlt(0x%x,%d,%d,%d,%d,0x%x)",
                             Hex(target), x, y,
                             static_cast<int>(m_width), static_cast<int>(m_height),
                             Hex(memory));
        SelectObject(memory, previous);
    }
    DeleteDC(memory);
    return true;
}
