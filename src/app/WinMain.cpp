// The Windows entry point: runs the application object.

#include "app/SelkaroApp.h"

namespace {
CSelkaroApp theApp;
} // namespace

// The command line is ignored.
int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int) {
    return theApp.Run(hInstance);
}
