#pragma once
// Strings and icons from the application's resources. The platform's loader picks the
// user-interface language's resources, English when none matches.

#include "platform/WinTypes.h"

#include <string>

// The integer form of a resource name (MAKEINTRESOURCEW), typed for the seam.
inline const wchar16* MakeIntResource(UINT id) {
    return reinterpret_cast<const wchar16*>(static_cast<ULONG_PTR>(static_cast<WORD>(id)));
}

// The string-table entry id, whatever its length; empty when it does not exist.
// (Under windows.h this name is a macro for LoadStringW, as MFC's is; the overload
// cannot be confused with the system's, which takes four arguments.)
std::u16string LoadString(UINT id);

HICON LoadIcon(UINT id);
