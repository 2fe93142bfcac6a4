#pragma once

#include <QString>

#include <exception>

namespace vex {

// Errors of the serial-port component; what() is the English text the
// component has always used, message() the same as QString.
class EComError : public std::exception
{
public:
    explicit EComError(QString message);
    const QString &message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// The device could not be opened.
class EComHandle final : public EComError
{
public:
    explicit EComHandle(int systemError);
};

// The device opened but could not be set up.
class EComState final : public EComError
{
public:
    explicit EComState(int systemError);
};

// The system's text for an error number, at most 255 characters, or the
// number in decimal when the system has no text for it.
QString systemErrorText(int code);

} // namespace vex
