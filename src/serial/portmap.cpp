#include "serial/portmap.h"

#include "serial/linedevice.h"

#include <QDir>
#include <QFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The kernel's built-in UARTs looked at; adapters follow them up to the
// highest COM number the settings can name.
constexpr int kBuiltInPorts = 16;

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4096).trimmed();
}

} // namespace

LinuxPortMap::LinuxPortMap(QString devDir, QString sysTtyDir)
    : m_devDir(std::move(devDir))
    , m_sysTtyDir(std::move(sysTtyDir))
{
}

LinuxPortMap::Layout LinuxPortMap::scan() const
{
    Layout layout;
    for (int k = 0; k < kBuiltInPorts; ++k) {
        const QByteArray type = readSmallFile(m_sysTtyDir + u"/ttyS%1/type"_s.arg(k));
        if (!type.isEmpty() && type != "0") {
            layout.builtInPresent |= 1u << k;
            layout.builtInCount = k + 1;
        }
    }
    for (const QString &prefix : {u"ttyUSB"_s, u"ttyACM"_s}) {
        QStringList names = QDir(m_devDir).entryList({prefix + u'*'}, QDir::System | QDir::Files | QDir::NoDotAndDotDot);
        // ttyUSB2 before ttyUSB10.
        std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
            return QStringView(a).mid(prefix.size()).toInt() < QStringView(b).mid(prefix.size()).toInt();
        });
        layout.adapters += names;
    }
    layout.consoles = QString::fromLocal8Bit(readSmallFile(m_sysTtyDir + u"/console/active"_s))
                          .split(u' ', Qt::SkipEmptyParts);
    return layout;
}

QString LinuxPortMap::nameOf(const Layout &layout, int port)
{
    if (port < 1 || port > kMaxComPort)
        return {};
    if (port <= layout.builtInCount)
        return u"ttyS%1"_s.arg(port - 1);
    const int adapter = port - layout.builtInCount - 1;
    return adapter < layout.adapters.size() ? layout.adapters.at(adapter) : QString();
}

QString LinuxPortMap::devicePath(int port) const
{
    const QString name = nameOf(scan(), port);
    return name.isEmpty() ? QString() : m_devDir + u'/' + name;
}

bool LinuxPortMap::present(const Layout &layout, int port)
{
    const QString name = nameOf(layout, port);
    if (name.isEmpty() || layout.consoles.contains(name))
        return false;
    return port > layout.builtInCount || (layout.builtInPresent & (1u << (port - 1)));
}

bool LinuxPortMap::present(int port) const
{
    return present(scan(), port);
}

QList<int> LinuxPortMap::presentPorts() const
{
    // One look at the system for all numbers.
    const Layout layout = scan();
    QList<int> ports;
    for (int n = 1; n <= layout.builtInCount + layout.adapters.size() && n <= kMaxComPort; ++n) {
        if (present(layout, n))
            ports.append(n);
    }
    return ports;
}

bool LinuxPortMap::reserved(int port) const
{
    const Layout layout = scan();
    const QString name = nameOf(layout, port);
    return !name.isEmpty() && layout.consoles.contains(name);
}

} // namespace vex
