#include "serial/comerrors.h"

#include <cstring>

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

} // namespace vex
