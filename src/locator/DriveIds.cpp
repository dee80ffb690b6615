#include "locator/DriveIds.h"

wchar16 g_szDriveInstanceId[kInstanceIdCapacity];
wchar16 g_szDriveKey[kDriveKeyCapacity];
wchar16 g_szSearchKey[kDriveKeyCapacity];
