#include "serial/win32commapi.h"

#ifdef Q_OS_WIN

namespace vex {

const Win32CommApi &win32CommApi()
{
    static const Win32CommApi api{
        &::CreateFileW,
        &::CloseHandle,
        &::GetCommState,
        &::SetCommState,
        &::EscapeCommFunction,
        &::SetCommMask,
        &::WaitCommEvent,
        &::GetOverlappedResult,
        &::GetCommModemStatus,
        &::ClearCommError,
        &::CreateEventW,
        &::SetEvent,
        &::ResetEvent,
        &::WaitForMultipleObjects,
        &::CancelIo,
        &::GetLastError,
    };
    return api;
}

} // namespace vex

#endif // Q_OS_WIN
