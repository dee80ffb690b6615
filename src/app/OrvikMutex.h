#pragma once
// COrvikMutex: lets one copy of the program run on the machine at a time, across all
// logon sessions, through a named mutex whose existence marks a running copy.

#include "common/WideString.h"

#include <windows.h>

class COrvikMutex {
public:
    static constexpr int PREV_INSTANCE_NONE = 0;
    // The mutex existed and the running copy's dialog is on this desktop.
    static constexpr int PREV_INSTANCE_VISIBLE = 1;
    // The mutex existed and no such dialog is here, or it could not be created.
    static constexpr int PREV_INSTANCE_ELSEWHERE = 2;

    explicit COrvikMutex(const wchar_t* pszName);
    // Releases the mutex (a no-op: it is never owned) and leaves its handle open until
    // the process ends, so that the name stays taken.
    virtual ~COrvikMutex();
    COrvikMutex(const COrvikMutex&) = delete;
    COrvikMutex& operator=(const COrvikMutex&) = delete;

    // True exactly when this process created the named mutex; otherwise see GetState.
    bool Acquire();
    int GetState() const { return m_nState; }

private:
    static int FindPreviousInstance();

    wchar_t m_strName[MAX_PATH];
    HANDLE m_hMutex = nullptr;
    int m_nState = PREV_INSTANCE_NONE;
};
