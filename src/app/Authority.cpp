#include "app/Authority.h"

#include "common/ScopedWin.h"

CAuthority::~CAuthority() = default;

BOOL CAuthority::IsAdministrator() const {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    CScopedSid administrators;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  administrators.Receive())) {
        return FALSE;
    }
    BOOL bIsMember = FALSE;
    if (!CheckTokenMembership(nullptr, administrators.Get(), &bIsMember)) {
        return FALSE;
    }
    return bIsMember;
}
