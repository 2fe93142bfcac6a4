#include "live/liveplaces.h"

#include "timing/tickclock.h"

#include <QByteArray>
#include <QUrl>

#include <tuple>

namespace vex {

int placeToGiveUp(std::span<const PlaceHolder> holders)
{
    // The smallest rank gives way: each flag our page never shows puts a
    // holder ahead of the ones without it, and age decides among equals.
    auto rank = [](const PlaceHolder &h) {
        return std::tuple(h.requestComplete, !h.sendsOther, !h.updateUnwritten, h.answeredPing, h.arrival);
    };
    int chosen = -1;
    for (int i = 0; i < int(holders.size()); ++i) {
        if (chosen < 0 || rank(holders[std::size_t(i)]) < rank(holders[std::size_t(chosen)]))
            chosen = i;
    }
    return chosen;
}

bool gaveWayForCause(const PlaceHolder &holder)
{
    return !holder.requestComplete || holder.sendsOther || holder.updateUnwritten;
}

bool SuspectAddresses::isSuspect(const QString &address, quint32 now) const
{
    const auto it = m_since.constFind(address);
    return it != m_since.cend() && elapsedMs(it.value(), now) < kKeptMs;
}

void SuspectAddresses::forgetOld(quint32 now)
{
    m_since.removeIf([now](const auto &entry) { return elapsedMs(entry.value(), now) >= kKeptMs; });
}

int firstRequestMs(const LiveLimits &limits, int connections)
{
    return 4 * connections > 3 * limits.maxConnections ? limits.crowdedRequestMs : limits.requestMs;
}

namespace {

// host:port, lower case, with the scheme's port when none is named.
QString authority(const QString &host, int port)
{
    return host.toLower() + u':' + QString::number(port);
}

} // namespace

bool originAllowed(QByteArrayView origin, QByteArrayView host)
{
    if (origin.isEmpty())
        return true;
    const QUrl from(QString::fromLatin1(origin.toByteArray()), QUrl::StrictMode);
    const bool secure = from.scheme() == u"https";
    if (!from.isValid() || (from.scheme() != u"http" && !secure) || from.host().isEmpty())
        return false;
    // The Host header is an authority alone; read as a URL it is parsed
    // the same way as the Origin's, IPv6 brackets included.
    const QUrl to(QStringLiteral("http://") + QString::fromLatin1(host.toByteArray()), QUrl::StrictMode);
    if (!to.isValid() || to.host().isEmpty() || !to.path().isEmpty() || !to.userInfo().isEmpty())
        return false;
    const int defaultPort = secure ? 443 : 80;
    return authority(from.host(), from.port(defaultPort)) == authority(to.host(), to.port(defaultPort));
}

} // namespace vex
