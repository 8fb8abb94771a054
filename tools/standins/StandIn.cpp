// A stand-in for one game: a window of the game's class that shows how it was started.
// STANDIN_CLASS and STANDIN_TITLE name the game; STANDIN_SUBSPACE also places the bytes a
// running Subspace holds where the client reads them, in a process that grants only the rights
// a process has on every Windows.
#include <windows.h>

#include <aclapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

#ifdef STANDIN_SUBSPACE
// The Subspace stand-in is linked to load at 0x400000 (see CMakeLists.txt), so this block
// of its own memory covers the two places where the client reads a running Subspace.
char g_gameMemory[0x100000];
const uintptr_t kInfoAddress = 0x4AC948;
const uintptr_t kExtraAddress = 0x4AC9C8;

// False when the block does not cover them, so the window can say so.
bool PlaceGameData()
{
    const uintptr_t begin = reinterpret_cast<uintptr_t>(g_gameMemory);
    if (kInfoAddress < begin || kExtraAddress + 24 > begin + sizeof g_gameMemory) return false;
    strcpy(g_gameMemory + (kInfoAddress - begin), "KVX test arena");
    unsigned char* extra = reinterpret_cast<unsigned char*>(g_gameMemory + (kExtraAddress - begin));
    for (int i = 0; i < 24; ++i) extra[i] = static_cast<unsigned char>(i + 1);
    return true;
}

// Everyone may open the process for every defined process right (up to 0x2000, the limited
// set-information right), standard rights and synchronisation, and no undefined bit: a
// request for more, as the newer SDKs' PROCESS_ALL_ACCESS (0x1FFFFF) is, is refused.
bool GrantDefinedRightsOnly()
{
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
    EXPLICIT_ACCESSA access = {};
    access.grfAccessPermissions = 0x1F3FFF;
    access.grfAccessMode = SET_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL acl = nullptr;
    bool ok = SetEntriesInAclA(1, &access, nullptr, &acl) == ERROR_SUCCESS &&
              SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                              nullptr) == ERROR_SUCCESS;
    LocalFree(acl);
    FreeSid(everyone);
    return ok;
}
#endif

// The command line without the program's own name.
const char* Arguments()
{
    const char* line = GetCommandLineA();
    if (*line == '"') {
        line = strchr(line + 1, '"');
        line = line ? line + 1 : "";
    } else {
        while (*line && *line != ' ') ++line;
    }
    while (*line == ' ') ++line;
    return line;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    char text[2 * MAX_PATH + 64];
    snprintf(text, sizeof text, "Arguments: %s\r\nFolder: %s", Arguments(), folder);
#ifdef STANDIN_SUBSPACE
    if (!PlaceGameData()) strncat(text, "\r\nThe game's data could not be placed.", sizeof text - strlen(text) - 1);
    if (!GrantDefinedRightsOnly()) strncat(text, "\r\nIts rights could not be set.", sizeof text - strlen(text) - 1);
#endif
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = STANDIN_CLASS;
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, STANDIN_CLASS, STANDIN_TITLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 80, 380, 140,
                                  nullptr, nullptr, instance, nullptr);
    // Without the text the stand-in still runs and is seen: nothing to do on failure.
    (void)CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE, 8, 8, 360, 80, window, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
