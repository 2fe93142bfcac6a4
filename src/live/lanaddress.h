#pragma once

#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>
#include <QString>

namespace vex {

// One address of one network interface, as the system lists them.
struct InterfaceAddress
{
    QString name;      // "wlan0", "{GUID}" on Windows
    QString humanName; // "WLAN", "vEthernet (Default Switch)"
    QNetworkInterface::InterfaceType type = QNetworkInterface::Unknown;
    QNetworkInterface::InterfaceFlags flags;
    QHostAddress ip;
};

// The address a phone in the same network types to reach this machine: an
// IPv4 address of an interface that is up, not loopback or link-local. The
// Wi-Fi or Ethernet adapter of a private network comes first; the adapters of
// virtual machines, containers and VPNs, which Windows laptops often carry,
// come last, as no phone can reach them. Empty when there is none.
QString chooseLanAddress(const QList<InterfaceAddress> &addresses);

// The choice among this machine's interfaces.
QString lanAddress();

} // namespace vex
