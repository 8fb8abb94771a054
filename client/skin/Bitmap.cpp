#include "skin/Bitmap.h"

#include <stddef.h>
#include <stdio.h>

#include "app/File.h"
#include "app/Reporter.h"

namespace {

// The file header and the start of the info header: enough to know what the file claims.
#pragma pack(push, 1)
struct BmpStart {
    WORD type;
    DWORD fileSize;
    DWORD reserved;
    DWORD bitsOffset;
    DWORD infoSize;
    LONG width;
    LONG height;
    WORD planes;
    WORD bitCount;
    DWORD compression;
};
#pragma pack(pop)
static_assert(sizeof(BmpStart) == 34, "file header (14) plus the info header up to its compression");
static_assert(offsetof(BmpStart, width) == 18 && offsetof(BmpStart, compression) == 30, "offsets of a BMP file");

const WORD kBmpMagic = 0x4D42; // "BM"

// Refuses what no skin piece or ad can be and what would be read past the file's end: a
// side beyond the limit, or uncompressed rows that the file is too short to hold.
bool ClaimsSaneSize(const char* path)
{
    CFile file;
    BmpStart start = {};
    if (!file.Open(path)) return true; // the loader reports it
    if (file.Read(&start, sizeof start) != sizeof start) return false;
    // Only the usual info header is checked; the loader refuses anything else it cannot read.
    if (start.type != kBmpMagic || start.infoSize < sizeof(BITMAPINFOHEADER)) return true;
    const LONG height = start.height < 0 ? -start.height : start.height;
    if (start.width <= 0 || start.width > CBitmap::kSideLimit || height <= 0 || height > CBitmap::kSideLimit) return false;
    if (start.compression != BI_RGB && start.compression != BI_BITFIELDS) return true;
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &attributes)) return true;
    const ULONGLONG stride = (static_cast<ULONGLONG>(start.width) * start.bitCount + 31) / 32 * 4;
    const ULONGLONG needed = start.bitsOffset + stride * static_cast<ULONGLONG>(height);
    const ULONGLONG size = (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
    return size >= needed;
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
    if (!ClaimsSaneSize(m_fileName)) {
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
