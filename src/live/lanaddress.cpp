#include "live/lanaddress.h"

using namespace Qt::StringLiterals;

namespace vex {

namespace {

bool isPrivate(const QHostAddress &a)
{
    return a.isInSubnet(QHostAddress(u"10.0.0.0"_s), 8) || a.isInSubnet(QHostAddress(u"172.16.0.0"_s), 12)
        || a.isInSubnet(QHostAddress(u"192.168.0.0"_s), 16);
}

// Adapters that lead to a virtual machine, a container or a tunnel, by the
// names their makers and the systems give them.
bool isVirtual(const InterfaceAddress &a)
{
    if (a.type == QNetworkInterface::Virtual)
        return true;
    static const QStringList kMarks = {u"virtual"_s, u"vmware"_s, u"vbox"_s, u"hyper-v"_s, u"vethernet"_s,
                                       u"wsl"_s, u"docker"_s, u"virbr"_s, u"veth"_s, u"br-"_s, u"tun"_s,
                                       u"tap"_s, u"vpn"_s, u"zerotier"_s, u"tailscale"_s, u"npcap"_s,
                                       u"loopback"_s};
    const QString names = (a.name + u' ' + a.humanName).toLower();
    return std::any_of(kMarks.begin(), kMarks.end(), [&](const QString &m) { return names.contains(m); });
}

// Higher is likelier the address a phone in the same room reaches.
int score(const InterfaceAddress &a)
{
    const bool physical = a.type == QNetworkInterface::Wifi || a.type == QNetworkInterface::Ethernet;
    return (isVirtual(a) ? 0 : 4) + (isPrivate(a.ip) ? 2 : 0) + (physical ? 1 : 0);
}

} // namespace

QString chooseLanAddress(const QList<InterfaceAddress> &addresses)
{
    const InterfaceAddress *best = nullptr;
    for (const InterfaceAddress &a : addresses) {
        if (!a.flags.testFlag(QNetworkInterface::IsUp) || !a.flags.testFlag(QNetworkInterface::IsRunning)
            || a.flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        if (a.ip.protocol() != QAbstractSocket::IPv4Protocol || a.ip.isLoopback() || a.ip.isLinkLocal())
            continue;
        if (!best || score(a) > score(*best))
            best = &a;
    }
    return best ? best->ip.toString() : QString();
}

QString lanAddress()
{
    QList<InterfaceAddress> all;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : nic.addressEntries())
            all.append({nic.name(), nic.humanReadableName(), nic.type(), nic.flags(), entry.ip()});
    }
    return chooseLanAddress(all);
}

} // namespace vex
