#pragma once

#include "live/livelimits.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <span>

namespace vex {

// Who holds a place on the live server, as far as the server can see it.
struct PlaceHolder
{
    bool requestComplete = false; // has had at least one whole request answered
    bool sendsOther = false;      // sent something besides pongs and a close
    bool updateUnwritten = false; // something for it still waits to be written
    bool answeredPing = false;    // a viewer whose page has answered a ping: a browser, there
    quint64 arrival = 0;          // order of arrival: smaller came first
};

// When every place is taken, a newcomer still gets in and one of the
// holders gives way: whatever our own page would never do marks a holder
// first, then one not yet shown to be a browser that answers pings (a
// viewer is pinged soon after it comes, so this is the newest few and the
// pages between their polls), and an honest viewer only when nobody else is
// left.
// The index into holders; -1 when there are none.
int placeToGiveUp(std::span<const PlaceHolder> holders);

// Whether a holder that gave way showed something our page never does (an
// honest viewer that was merely the oldest didn't).
bool gaveWayForCause(const PlaceHolder &holder);

// Addresses that lately held a place for cause. While every place is taken,
// a newcomer from one of them doesn't push anybody out: it would be the
// same device coming back, and each of its returns would cost another
// viewer's place and the server's time.
class SuspectAddresses
{
public:
    static constexpr int kKeptMs = 30000;

    void mark(const QString &address, quint32 now) { m_since.insert(address, now); }
    bool isSuspect(const QString &address, quint32 now) const;
    // Forgets marks older than kKeptMs.
    void forgetOld(quint32 now);

private:
    QHash<QString, quint32> m_since;
};

// How long a connection may take over its first request: short while the
// server is nearly full, so half-sent requests can't keep viewers out.
int firstRequestMs(const LiveLimits &limits, int connections);

// A WebSocket is opened only by our own page: an Origin naming another host
// than the request's Host is a foreign web page. Tools send no Origin.
bool originAllowed(QByteArrayView origin, QByteArrayView host);

} // namespace vex
