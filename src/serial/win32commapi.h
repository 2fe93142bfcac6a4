#pragma once

#include <QtGlobal>

#ifdef Q_OS_WIN

#include "platform/windowsapi.h"

namespace vex {

// The Win32 calls the Windows line device makes, and no others, so a test
// can put a scripted port in their place. Every entry has the type of the
// system function it stands for.
struct Win32CommApi
{
    decltype(&::CreateFileW) createFile;
    decltype(&::CloseHandle) closeHandle;
    decltype(&::GetCommState) getCommState;
    decltype(&::SetCommState) setCommState;
    decltype(&::EscapeCommFunction) escapeCommFunction;
    decltype(&::SetCommMask) setCommMask;
    decltype(&::WaitCommEvent) waitCommEvent;
    decltype(&::GetOverlappedResult) getOverlappedResult;
    decltype(&::GetCommModemStatus) getCommModemStatus;
    decltype(&::ClearCommError) clearCommError;
    decltype(&::CreateEventW) createEvent;
    decltype(&::SetEvent) setEvent;
    decltype(&::ResetEvent) resetEvent;
    decltype(&::WaitForMultipleObjects) waitForMultipleObjects;
    decltype(&::CancelIo) cancelIo;
    decltype(&::GetLastError) getLastError;
};

// The system's own functions.
const Win32CommApi &win32CommApi();

} // namespace vex

#endif // Q_OS_WIN
