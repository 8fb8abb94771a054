// One bitmap loaded from a file as a DIB section and copied 1:1 into a device context: the
// skin pieces and the ad pictures. Failures go to the debugger output only.
#ifndef KVX_BITMAP_H
#define KVX_BITMAP_H

#include <windows.h>

class CBitmap {
public:
    CBitmap() = default;
    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;
    virtual ~CBitmap();

    // Loads `name`, with ".bmp" appended when addExtension is set, through the system's
    // loader, once CBmpHeader's check has found that loading it reads nothing past the file's
    // end. On failure the bitmap is empty and the size stays as it was.
    bool Load(const char* name, bool addExtension);
    // Copies the bitmap to (x, y) at its own size; a failing step is traced and the copy
    // skipped. Always true.
    bool Paint(HDC target, int x, int y) const;

    HBITMAP Handle() const { return m_handle; }
    const char* FileName() const { return m_fileName; }
    // 1 until a load succeeds, so a tile height can always divide.
    LONG Height() const { return m_height; }
    LONG Width() const { return m_width; }

private:
    void Release();

    HBITMAP m_handle = nullptr;
    char m_fileName[MAX_PATH] = {};
    LONG m_height = 1;
    LONG m_width = 1;
};

#endif
