// The Windows entry point: installs the real platform and runs the application object.
// Windows build only; the tests run the application object over the in-memory machine.

#include "app/SelkaroApp.h"
#include "platform/win32/Win32Platform.h"

namespace {
// Constructed before wWinMain runs, like every static object; its constructor makes no
// platform call.
CSelkaroApp theApp;
} // namespace

// The command line is ignored.
int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    InstallPlatform(&Win32PlatformInstance());
    return theApp.Run(hInstance);
}
