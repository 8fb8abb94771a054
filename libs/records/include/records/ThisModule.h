/* The module (DLL) whose code calls this: each in-house library compiles its own copy of the
   function, so the address it asks about lies inside that library. For loading the
   library's own resources and registering its window classes. */
#ifndef KVX_THIS_MODULE_H
#define KVX_THIS_MODULE_H

#include <windows.h>

static inline HINSTANCE ThisModule(void)
{
    HMODULE module = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)&ThisModule, &module);
    return module;
}

#endif
