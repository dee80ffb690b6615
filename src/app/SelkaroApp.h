#pragma once
// CSelkaroApp: the application object. Its start-up runs the gates in a fixed order
// (version, single instance, administrator, drive) and then the main dialog.

#include "app/OrvikMutex.h"
#include "app/WinVersion.h"
#include "ui/framework/WinApp.h"

#include <memory>

class CSelkaroApp : public CWinApp {
public:
    // Always FALSE: the process ends when the main dialog closes or a gate fails.
    BOOL InitInstance() override;
    // Deletes the instance guard; its mutex handle stays open until the process ends.
    int ExitInstance() override;

private:
    bool PassesVersionGate(const CWinVersion& version) const;
    bool PassesInstanceGate();
    bool PassesAdministratorGate() const;
    bool PassesDriveGate() const;
    void RunMainDialog();
};

// The instance guard: created by start-up, deleted by ExitInstance.
extern std::unique_ptr<COrvikMutex> g_pInstanceGuard;
