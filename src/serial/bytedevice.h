#pragma once

#include "serial/contactstamp.h"
#include "serial/linedevice.h"

#include <QByteArray>
#include <QString>

namespace vex {

// A serial port as a stream of bytes at 8N1: a timer's output in, a display
// board's input out. The port is named as the operator set it: "COM3", or
// (where the system has them) a device path such as a /dev/serial/by-id name.
// open(), close() and present() run on the GUI thread; read() on a reading
// thread and write() on a writing thread, both at once; the interrupts from
// the GUI thread while those may be blocked.
class ByteDevice
{
public:
    enum class Outcome { Done, Interrupted, Failed };

    virtual ~ByteDevice() = default;

    // Whether the named port is there to be opened (a plugged adapter).
    virtual bool present(const QString &port) = 0;
    // Opens and sets up the port raw at the rate, 8N1, no flow control. On
    // failure nothing stays open.
    virtual LineOpenError open(const QString &port, int baudRate) = 0;
    // Only once neither thread is inside read() or write().
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Blocks until bytes came, stamps the moment with the clock before
    // anything else, and hands them over (all that are waiting).
    virtual Outcome read(const ContactClock &clock, QByteArray &bytes, ContactStamp &stamp, int &errorCode) = 0;
    // Sends all of the bytes and returns once they are on the wire, as far
    // as the device can tell, and no sooner than the line's rate allows:
    // nothing waits in the system's buffer behind the caller's back.
    virtual Outcome write(const QByteArray &bytes, int &errorCode) = 0;
    // Makes the current or next read() / write() return Interrupted.
    virtual void interruptRead() = 0;
    virtual void interruptWrite() = 0;
};

// The COM number a port text names ("COM3", "com3"), 0 when it is no COM
// name.
int comNumberOf(const QString &port);

// The time the bytes take on a line at 8N1, in microseconds.
qint64 wireMicros(qsizetype bytes, int baudRate);

} // namespace vex
