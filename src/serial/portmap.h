#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vex {

// Where port COMn lives on this machine.
class PortLocator
{
public:
    virtual ~PortLocator() = default;
    // The device path of COMn, empty when the number names nothing.
    virtual QString devicePath(int port) const = 0;
    // COMn exists and may be offered to the operator.
    virtual bool present(int port) const = 0;
    // COMn is the system's console: it is never opened, configured or waited
    // on by this program.
    virtual bool reserved(int port) const = 0;
    // The COM numbers present, ascending.
    virtual QList<int> presentPorts() const;
};

// Linux: COMn is /dev/ttyS(n-1) for the built-in UARTs the kernel found
// (their sysfs "type" is not 0); USB adapters (/dev/ttyUSB*, then
// /dev/ttyACM*, each in numeric order) take the numbers after the highest
// built-in port present. Nothing is opened to find out.
class LinuxPortMap final : public PortLocator
{
public:
    explicit LinuxPortMap(QString devDir = QStringLiteral("/dev"), QString sysTtyDir = QStringLiteral("/sys/class/tty"));

    QString devicePath(int port) const override;
    bool present(int port) const override;
    bool reserved(int port) const override;
    QList<int> presentPorts() const override;

private:
    struct Layout
    {
        int builtInCount = 0;    // COM1..COMbuiltInCount are ttyS ports
        quint32 builtInPresent = 0;
        QStringList adapters;    // device names after the built-in ports
        QStringList consoles;    // device names the console is on
    };
    Layout scan() const;
    static QString nameOf(const Layout &layout, int port);
    static bool present(const Layout &layout, int port);

    QString m_devDir;
    QString m_sysTtyDir;
};

} // namespace vex
