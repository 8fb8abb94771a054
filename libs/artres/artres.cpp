#include "artres/artres.h"
#include "records/Guard.h"
#include "records/ThisModule.h"

#include "IconLibrary.h"

namespace {

// The DLL's one piece of state: its icons outlive every call and go when the DLL is unloaded.
CIconLibrary& Icons()
{
    static CIconLibrary icons(ThisModule());
    return icons;
}

} // namespace

HICON AR_Icon(const char* name)
{
    return Guard<HICON>(nullptr, [&] { return Icons().Shared(name); });
}

HICON AR_Image(const char* name, int type, int width, int height, UINT flags)
{
    if (type != IMAGE_ICON) return nullptr;
    return Guard<HICON>(nullptr, [&] { return Icons().Fresh(name, width, height, flags); });
}
