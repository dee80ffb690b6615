#include "app/Authority.h"

#include "platform/Platform.h"
#include "ui/framework/ScopedWin.h"

CAuthority::~CAuthority() = default;

BOOL CAuthority::IsAdministrator() const {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    CScopedSid administrators;
    if (!platform().AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                             DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                             administrators.Receive())) {
        return FALSE;
    }
    BOOL bIsMember = FALSE;
    if (!platform().CheckTokenMembership(nullptr, administrators.Get(), &bIsMember)) {
        return FALSE;
    }
    return bIsMember;
}
