#pragma once

#include <windows.h>

namespace OM::Helpers
{

// A Win32 critical section. Re-entrant: the thread that holds it may enter it again.
class CriticalSection
{
public:
    CriticalSection() noexcept { ::InitializeCriticalSection(&section); }
    ~CriticalSection() { ::DeleteCriticalSection(&section); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() noexcept { ::EnterCriticalSection(&section); }
    void Leave() noexcept { ::LeaveCriticalSection(&section); }

private:
    CRITICAL_SECTION section;
};

// Holds a critical section for the lifetime of a scope.
class CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CriticalSection& section) noexcept : section(section) { section.Enter(); }
    ~CriticalSectionLock() { section.Leave(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& section;
};

} // namespace OM::Helpers
