#include "skin/Bitmap.h"

#include <stdio.h>

#include <cstdint>

#include "app/Reporter.h"
#include "skin/BmpHeader.h"

namespace {

// The loader reads whatever the headers claim: they must describe bytes the file really
// holds. The file is seen as the loader sees it, mapped whole. A missing or empty one is left
// to the loader, which refuses it.
bool FitsItsFile(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    LARGE_INTEGER size = {};
    const bool empty = !GetFileSizeEx(file, &size) || size.QuadPart == 0;
    HANDLE mapping = empty ? nullptr : CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);
    if (empty) return true;
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (mapping) CloseHandle(mapping);
    if (!view) return false;
    const bool fits =
        CBmpHeader::Check(static_cast<const std::uint8_t*>(view), static_cast<std::uint64_t>(size.QuadPart), nullptr);
    UnmapViewOfFile(view);
    return fits;
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
        CReporter::Debug("CBitmap::Paint() SelectObject(0x%x,0x%x)", Hex(target), Hex(m_handle));
    } else {
        if (!StretchBlt(target, x, y, m_width, m_height, memory, 0, 0, m_width, m_height, SRCCOPY))
            CReporter::Debug("CBitmap::Paint() StretchBlt(0x%x,%d,%d,%d,%d,0x%x)", Hex(target), x, y,
                             static_cast<int>(m_width), static_cast<int>(m_height), Hex(memory));
        SelectObject(memory, previous);
    }
    DeleteDC(memory);
    return true;
}
