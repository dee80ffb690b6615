#pragma once
// The network drives that the user signed in at the desktop remembers (mapped with
// "Reconnect at sign-in"): one Network\<letter> key each in that user's hive. The
// elevated program runs in a logon session of its own, in which those drives are not
// mapped, so the DOS device query does not see them.

#include "common/ScopedWin.h"
#include "common/WideString.h"

// The hive of the user signed in to this session (HKEY_USERS\<SID>, the session's user and
// domain looked up as an account), opened into hive; HKEY_CURRENT_USER, the running
// account's own, when that user or hive cannot be found.
HKEY OpenSignedInUserHive(CScopedRegKey& hive);

// What opening Network\<letter> in the signed-in user's hive answers: ERROR_SUCCESS when a
// remembered network drive holds the letter, ERROR_FILE_NOT_FOUND when none does, any
// other status when the key cannot be read.
LSTATUS NetworkDriveKeyStatus(wchar16 chLetter);
