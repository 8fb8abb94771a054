#include "skin/Skin.h"

#include <stdio.h>
#include <string.h>

#include "app/Reporter.h"

CSkin::CSkin()
{
    const DWORD length = GetCurrentDirectoryA(sizeof m_folder, m_folder);
    // A folder too deep to hold leaves no folder: every piece then fails to load, traced.
    if (length == 0 || length >= sizeof m_folder) m_folder[0] = '\0';
}

void CSkin::Enumerate()
{
    m_names.clear();
    char pattern[MAX_PATH];
    const int length = snprintf(pattern, sizeof pattern, "%s\\skins\\*.bmp", m_folder);
    if (length < 0 || length >= static_cast<int>(sizeof pattern)) return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        AddName(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void CSkin::AddName(const char* fileName)
{
    const char* dash = strrchr(fileName, '-');
    if (!dash) return;
    const size_t length = static_cast<size_t>(dash - fileName);
    // A longer name could never be loaded through a name buffer: not listed.
    if (length == 0 || length >= kNameSize) return;
    const std::string name(fileName, length);
    for (const std::string& known : m_names)
        if (lstrcmpiA(known.c_str(), name.c_str()) == 0) return;
    m_names.push_back(name);
}

const char* CSkin::NameAt(size_t index) const { return index < m_names.size() ? m_names[index].c_str() : nullptr; }

bool CSkin::Load(const char* name)
{
    lstrcpynA(m_name, name, sizeof m_name);
    return LoadPiece(m_top, 'T') && LoadPiece(m_middle, 'M') && LoadPiece(m_bottom, 'B');
}

bool CSkin::LoadPiece(CBitmap& piece, char letter)
{
    char path[MAX_PATH];
    const int length = snprintf(path, sizeof path, "%s\\skins\\%s-%c", m_folder, m_name, letter);
    if (length < 0 || length >= static_cast<int>(sizeof path)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return CReporter::Debug("CBitmap::Load(%s)", path);
    }
    return piece.Load(path, true);
}

int CSkin::MiddleTiles(int client, int top, int middle, int bottom)
{
    // Truncation toward zero: a bar shorter than top and bottom by less than one tile
    // still gets one tile, which the bottom piece then covers.
    return (client - bottom - top) / middle + 1;
}

void CSkin::Paint(HWND window, HDC dc) const
{
    RECT client;
    GetClientRect(window, &client);
    const int height = client.bottom;
    m_top.Paint(dc, 0, 0);
    const int tiles = MiddleTiles(height, m_top.Height(), m_middle.Height(), m_bottom.Height());
    for (int i = 0; i < tiles; ++i) m_middle.Paint(dc, 0, m_top.Height() + i * m_middle.Height());
    m_bottom.Paint(dc, 0, height - m_bottom.Height());
}
