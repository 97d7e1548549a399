// Binds the toolkit DLL at run time: the library never imports it, so a
// missing DLL or a missing function leaves a stand-in in the table.
#include <windows.h>

#include <string.h>

#include "digitizer/toolkit.h"
#include "digitizer/toolkit_functions.h"
#include "frame/text_copy.h"

namespace {

HMODULE g_module = nullptr;
char g_path[MAX_PATH] = "";

template <typename Function>
void BindOne(HMODULE module, const char* name, Function* slot)
{
    FARPROC address = GetProcAddress(module, name);
    if (address) *slot = reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

}  // namespace

extern "C" int ToolkitBindFile(const char* path)
{
    if (!path || !path[0]) {
        ToolkitUnbind();
        return 0;
    }
    // The toolkit is loaded once and kept: its session of the last start-up
    // is still open, and unloading it would lose that session.
    HMODULE module = g_module && lstrcmpiA(path, g_path) == 0 ? g_module : nullptr;
    if (!module) {
        ToolkitUnbind();
        module = LoadLibraryA(path);
        if (!module) return 0;
    }

    ScanKit kit;
    memset(&kit, 0, sizeof kit);
#define BIND_SLOT(name) BindOne(module, #name, &kit.name);
    SCANKIT_FUNCTIONS(BIND_SLOT)
#undef BIND_SLOT
    ToolkitInstall(&kit);
    g_module = module;
    CopyText(g_path, sizeof g_path, path);
    return 1;
}

extern "C" int ToolkitBind(void)
{
    char windowsFolder[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
    if (length == 0 || length >= sizeof windowsFolder) {
        ToolkitUnbind();
        return 0;
    }
    char path[MAX_PATH + 32];
    wsprintfA(path, "%s\\twain_32\\nqt\\scankit32.dll", windowsFolder);
    return ToolkitBindFile(path);
}

extern "C" void ToolkitUnbind(void)
{
    ToolkitInstall(nullptr);
    if (g_module) FreeLibrary(g_module);
    g_module = nullptr;
    g_path[0] = '\0';
}

extern "C" const char* ToolkitPath(void) { return g_path; }

extern "C" void* ToolkitModule(void) { return g_module; }
