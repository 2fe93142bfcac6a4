#pragma once

#include "serial/portmap.h"

#include <functional>

#ifdef Q_OS_WIN

namespace vex {

// The port names ("COM3") under HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM,
// where every loaded serial driver, built-in UART or USB adapter, enters its
// ports while they are there.
QStringList registeredComPorts();

// Windows: COMn is \\.\COMn (the prefix also reaches COM10 and above) and is
// offered while the system lists it, up to the highest number the settings
// can name (USB adapters often get COM17 and above). Nothing is opened to find
// out; no port is reserved.
class WindowsPortMap final : public PortLocator
{
public:
    using Lister = std::function<QStringList()>;
    explicit WindowsPortMap(Lister listPorts = registeredComPorts);

    QString devicePath(int port) const override;
    bool present(int port) const override;
    bool reserved(int port) const override;
    QList<int> presentPorts() const override;

private:
    Lister m_listPorts;
};

} // namespace vex

#endif // Q_OS_WIN
