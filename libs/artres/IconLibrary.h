// The icons compiled into this DLL, looked up by name: shared ones loaded once and kept
// for the life of the library, fresh ones made for callers that destroy them.
#ifndef KVX_ARTRES_ICON_LIBRARY_H
#define KVX_ARTRES_ICON_LIBRARY_H

#include <windows.h>

#include <array>

class CIconLibrary {
public:
    explicit CIconLibrary(HMODULE module);
    ~CIconLibrary();
    CIconLibrary(const CIconLibrary&) = delete;
    CIconLibrary& operator=(const CIconLibrary&) = delete;

    // The library's own icon for name, loaded on first use; NULL for an unknown name.
    HICON Shared(const char* name);
    // A new icon the caller destroys; NULL for an unknown name or a failed load.
    HICON Fresh(const char* name, int width, int height, UINT flags) const;

private:
    static constexpr size_t kCount = 25;
    // The table's index of name (names are case-sensitive: "NA" and "Na" both exist), or -1.
    static int Find(const char* name);
    HICON Load(int index, int width, int height, UINT flags) const;

    HMODULE m_module;
    std::array<HICON, kCount> m_shared{};
};

#endif
