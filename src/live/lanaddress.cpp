#include "live/lanaddress.h"

#include <QNetworkInterface>

namespace vex {

namespace {

bool isPrivate(const QHostAddress &a)
{
    return a.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8)
        || a.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12)
        || a.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

} // namespace

QString lanAddress()
{
    QString other;
    for (const QNetworkInterface &nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::IsRunning)
            || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : nic.addressEntries()) {
            const QHostAddress a = entry.ip();
            if (a.protocol() != QAbstractSocket::IPv4Protocol || a.isLoopback() || a.isLinkLocal())
                continue;
            if (isPrivate(a))
                return a.toString();
            if (other.isEmpty())
                other = a.toString();
        }
    }
    return other;
}

} // namespace vex
