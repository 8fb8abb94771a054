#include "IconLibrary.h"

#include <cstring>

namespace {

struct IconEntry {
    const char* name;
    WORD id;
};

const IconEntry kIcons[] = {
#include "IconTable.inc"
};

} // namespace

static_assert(sizeof kIcons / sizeof kIcons[0] == 25, "the icon generator and the cache agree");

CIconLibrary::CIconLibrary(HMODULE module) : m_module(module) {}

CIconLibrary::~CIconLibrary()
{
    for (HICON icon : m_shared)
        if (icon) DestroyIcon(icon);
}

int CIconLibrary::Find(const char* name)
{
    if (!name) return -1;
    for (size_t i = 0; i < kCount; ++i)
        if (std::strcmp(kIcons[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

HICON CIconLibrary::Load(int index, int width, int height, UINT flags) const
{
    // The caller owns what it asked for: a shared or file-loaded image would not be ours to give.
    flags &= ~(LR_SHARED | LR_LOADFROMFILE);
    return static_cast<HICON>(
        LoadImageA(m_module, MAKEINTRESOURCEA(kIcons[index].id), IMAGE_ICON, width, height, flags));
}

HICON CIconLibrary::Shared(const char* name)
{
    const int index = Find(name);
    if (index < 0) return nullptr;
    if (!m_shared[index]) m_shared[index] = Load(index, 16, 16, 0);
    return m_shared[index];
}

HICON CIconLibrary::Fresh(const char* name, int width, int height, UINT flags) const
{
    const int index = Find(name);
    return index < 0 ? nullptr : Load(index, width, height, flags);
}
