#include "ui/framework/Resources.h"

#include "platform/Platform.h"
#include "ui/framework/WinApp.h"

#include <vector>

namespace {
constexpr int kInitialStringChars = 256;
// A string-table entry holds at most 65535 characters.
constexpr int kLargestStringChars = 65536;
} // namespace

std::u16string LoadString(UINT id) {
    std::vector<wchar16> buffer;
    for (int chars = kInitialStringChars; chars <= 2 * kLargestStringChars; chars *= 2) {
        buffer.assign(static_cast<size_t>(chars), 0);
        int copied = platform().LoadStringW(ResourceInstance(), id, buffer.data(), chars);
        if (copied <= 0) {
            return std::u16string();
        }
        // A text that fills the buffer may have been cut: try again with more room.
        if (copied < chars - 1) {
            return std::u16string(buffer.data(), static_cast<size_t>(copied));
        }
    }
    return std::u16string(buffer.data());
}

HICON LoadIcon(UINT id) {
    return platform().LoadIconW(ResourceInstance(), MakeIntResource(id));
}
