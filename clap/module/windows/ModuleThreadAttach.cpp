// The module's entry point: every new thread of the process runs the
// process-wide thread-attach hook (when one is registered).

#include "clap/ClapEntry.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_THREAD_ATTACH) runThreadAttachHook();
    return TRUE;
}
