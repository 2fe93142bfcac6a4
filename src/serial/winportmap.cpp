#include "serial/winportmap.h"

#ifdef Q_OS_WIN

#include "serial/linedevice.h"

#include <algorithm>
#include <string>

#include "platform/windowsapi.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// n of a listed "COMn" the settings can name; 0 for anything else.
int comNumber(const QString &name)
{
    if (!name.startsWith(u"COM"_s, Qt::CaseInsensitive))
        return 0;
    bool ok = false;
    const int n = QStringView(name).mid(3).toInt(&ok);
    return ok && n >= 1 && n <= kMaxComPort ? n : 0;
}

} // namespace

QStringList registeredComPorts()
{
    QStringList names;
    HKEY key = nullptr;
    // Without any serial driver loaded the key is not there at all.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key)
        != ERROR_SUCCESS)
        return names;
    // The value names are the drivers' device names and may be long; the
    // data is a short port name.
    std::wstring valueName(16384, L'\0');
    for (DWORD index = 0;; ++index) {
        wchar_t data[64] = {};
        DWORD nameLength = DWORD(valueName.size());
        DWORD dataBytes = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LSTATUS status = RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type,
                                             reinterpret_cast<BYTE *>(data), &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        // Longer data is no port name.
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        names.append(QString::fromWCharArray(data).trimmed());
    }
    RegCloseKey(key);
    return names;
}

WindowsPortMap::WindowsPortMap(Lister listPorts)
    : m_listPorts(std::move(listPorts))
{
}

QString WindowsPortMap::devicePath(int port) const
{
    if (port < 1 || port > kMaxComPort)
        return {};
    return u"\\\\.\\COM%1"_s.arg(port);
}

bool WindowsPortMap::present(int port) const
{
    if (port < 1 || port > kMaxComPort)
        return false;
    return m_listPorts().contains(u"COM%1"_s.arg(port), Qt::CaseInsensitive);
}

QList<int> WindowsPortMap::presentPorts() const
{
    // One look at the registry for all numbers.
    QList<int> ports;
    for (const QString &name : m_listPorts()) {
        if (const int n = comNumber(name); n != 0 && !ports.contains(n))
            ports.append(n);
    }
    std::sort(ports.begin(), ports.end());
    return ports;
}

bool WindowsPortMap::reserved(int) const
{
    return false;
}

} // namespace vex

#endif // Q_OS_WIN
