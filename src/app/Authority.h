#pragma once
// CAuthority: whether the process runs with an administrator's rights.

#include <windows.h>

class CAuthority {
public:
    CAuthority() = default;
    virtual ~CAuthority();

    // Whether the calling thread's effective token is a member of the built-in
    // Administrators group; false also when the question cannot be asked.
    BOOL IsAdministrator() const;
};
