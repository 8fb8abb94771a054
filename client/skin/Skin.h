// A skin: three bitmaps from the "skins" folder, a top piece, a middle piece tiled
// downwards and a bottom piece, so one skin fits a bar of any height. Also lists the skins
// that the folder holds.
#ifndef KVX_SKIN_H
#define KVX_SKIN_H

#include <windows.h>

#include <string>
#include <vector>

#include "skin/Bitmap.h"

class CSkin {
public:
    static const size_t kNameSize = 100; // 99 characters and the terminating zero

    // Empty pieces; the folder is the current directory now.
    CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;
    virtual ~CSkin() = default;

    // Rebuilds the name list from "skins\*.bmp": each file's name cut at its last "-",
    // each name once whatever its letter case, in the order the file system gives them.
    void Enumerate();
    // Loads top, middle and bottom in that order and stops at the first that fails.
    bool Load(const char* name);
    // The background: top at the top, middle tiles below it, bottom at the client bottom.
    void Paint(HWND window, HDC dc) const;

    // How many middle tiles a client of height `client` gets between the pieces.
    static int MiddleTiles(int client, int top, int middle, int bottom);

    const char* Name() const { return m_name; }
    size_t NameCount() const { return m_names.size(); }
    // The listed name at `index`, or null beyond the list.
    const char* NameAt(size_t index) const;
    const CBitmap& Top() const { return m_top; }
    const CBitmap& Middle() const { return m_middle; }
    const CBitmap& Bottom() const { return m_bottom; }

private:
    bool LoadPiece(CBitmap& piece, char letter);
    void AddName(const char* fileName);

    CBitmap m_top;
    CBitmap m_middle;
    CBitmap m_bottom;
    char m_folder[MAX_PATH] = {};
    char m_name[kNameSize] = {};
    std::vector<std::string> m_names;
};

#endif
