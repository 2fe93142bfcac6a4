#include "serial/comerrors.h"

#ifdef Q_OS_WIN
#include "platform/windowsapi.h"
#else
#include <cstring>
#endif

using namespace Qt::StringLiterals;

namespace vex {

EComError::EComError(QString message)
    : m_message(std::move(message))
    , m_utf8(m_message.toUtf8())
{
}

EComHandle::EComHandle(int systemError)
    : EComError(u"Unable to open com port: "_s + systemErrorText(systemError))
{
}

EComState::EComState(int systemError)
    : EComError(u"Unable to set com state: "_s + systemErrorText(systemError))
{
}

#ifdef Q_OS_WIN

QString systemErrorText(int code)
{
    wchar_t *buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    // The system's texts end in a line break.
    const QString message = length ? QString::fromWCharArray(buffer, int(length)).trimmed() : QString();
    LocalFree(buffer);
    if (message.isEmpty())
        return QString::number(quint32(code));
    return message.left(255);
}

#else

QString systemErrorText(int code)
{
    char buffer[256] = {};
    // The GNU variant returns the text, which need not be in the buffer.
    const char *text = strerror_r(code, buffer, sizeof buffer);
    const QString message = QString::fromLocal8Bit(text ? text : "");
    if (message.isEmpty() || message.startsWith(u"Unknown error"))
        return QString::number(code);
    return message.left(255);
}

#endif

} // namespace vex
