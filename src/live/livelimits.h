#pragma once

#include <QtGlobal>

namespace vex {

// What the live server grants a client on the network: the page is read-only
// and small, so anything a client sends beyond a request head and a pong is
// refused, and no client can hold the server's memory or its places.
struct LiveLimits
{
    int maxViewers = 200;      // WebSocket viewers at once
    int maxConnections = 400;  // all connections: every viewer's page loads and its fallback beside it
    int maxPerAddress = 20;    // from one device, so it can't take every place
    int requestMs = 10000;     // a connection must send a whole request within this
    int crowdedRequestMs = 2000; // ... its first one, while more than 3/4 of the connections are taken
    int stalledWriteMs = 30000; // a response the client doesn't read for this long is given up
    int pingEveryMs = 10000;   // a viewer is pinged this often ...
    int pongMs = 30000;        // ... and let go when it hasn't answered for this long
    int closingMs = 2000;      // a connection being closed may take this long to go
    int sweepMs = 1000;        // how often the limits in time are looked at (0: only when asked)
    int acceptPauseMs = 100;   // no new connection is taken for this long after one failed (no descriptors)
    qsizetype maxMessage = 1024;   // a WebSocket message from a client, in bytes
    int maxFramesPerSecond = 10;   // WebSocket frames from a client in one second
    qint64 maxBacklog = 1024 * 1024; // a viewer with more than this unread is too slow and let go
};

} // namespace vex
