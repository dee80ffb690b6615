#pragma once
// The network drives that the user signed in at the desktop remembers (mapped with
// "Reconnect at sign-in"): one Network\<letter> key each in that user's hive. The
// elevated program runs in a logon session of its own, in which those drives are not
// mapped, so the DOS device query does not see them.

#include "common/WideString.h"

#include <windows.h>

constexpr size_t kSidTextCapacity = 192;

// The SID of the user signed in to this session, as text ("S-1-5-21-…"): the session's
// user and domain looked up as an account. False when either cannot be asked.
bool SignedInUserSid(wchar16 (&szSid)[kSidTextCapacity]);

// What opening Network\<letter> in the signed-in user's hive (HKEY_USERS\<SID>, or
// HKEY_CURRENT_USER when that hive cannot be opened) answers: ERROR_SUCCESS when a
// remembered network drive holds the letter, ERROR_FILE_NOT_FOUND when none does, any
// other status when the key cannot be read.
LSTATUS NetworkDriveKeyStatus(wchar16 chLetter);
