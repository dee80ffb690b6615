#include "platform/Platform.h"

#include <cstdlib>

namespace {
Platform* g_pPlatform = nullptr;
}

Platform& platform() {
    if (g_pPlatform == nullptr) {
        // A program error, not a run-time condition: nothing can work without a platform.
        std::abort();
    }
    return *g_pPlatform;
}

void InstallPlatform(Platform* replacement) { g_pPlatform = replacement; }

ScopedPlatform::ScopedPlatform(Platform& replacement) : m_previous(g_pPlatform) {
    g_pPlatform = &replacement;
}

ScopedPlatform::~ScopedPlatform() { g_pPlatform = m_previous; }
