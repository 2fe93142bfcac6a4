#pragma once

#include "serial/contactstamp.h"

#include <QList>
#include <QString>

namespace vex {

// The highest COM number the settings can name (they keep it in a byte).
constexpr int kMaxComPort = 255;

// How the component asks for the port to be set up. Only the lines matter to
// this program; the framing values are passed on so the device is in a
// defined state.
struct LineSettings
{
    int baudRate = 9600;
    int dataBits = 8;          // 5..8
    char parity = 'N';         // N, O, E, M, S
    int stopBits = 1;          // 1 or 2 (1.5 is set as 2)
    bool xonXoff = false;
    bool enableDtr = true;
};

// Why open() failed, and the system's error number behind it.
struct LineOpenError
{
    enum class Stage { None, Open, Configure };
    Stage stage = Stage::None;
    int code = 0;

    explicit operator bool() const { return stage != Stage::None; }
};

// Edges per input line. A contact that closed and opened again between two
// looks at the lines left its levels as they were but counts two.
struct LineEdges
{
    int cts = 0;
    int dsr = 0;
    int dcd = 0;

    bool operator==(const LineEdges &) const = default;
};

// One wake-up of the waiting thread, whole: what the contact logic decides
// on, so it never has to look at the lines again when it runs later.
struct LineChange
{
    quint32 events = 0;  // EvCts | EvDsr | EvRlsd bits of the lines with edges
    ContactStamp stamp;  // read the moment the wait returned
    quint32 status = 0;  // the lines after the edges (MsCtsOn ... MsRlsdOn)
    LineEdges edges;     // counted since the last wake-up
    // Found by comparing the lines with the last look rather than by the
    // system waking the thread: stamped when the comparison was made.
    bool byComparison = false;
};

// The serial port seen through its modem lines only: open a port, hold DTR
// and RTS on, wait for changes of CTS, DSR and DCD, read the lines, close.
// open(), close() and modemStatus() run on the GUI thread; waitForChange() on
// the waiting thread; interruptWait() from the GUI thread while the other
// thread may be blocked in waitForChange().
class LineDevice
{
public:
    enum class WaitOutcome { Changed, Interrupted, Failed };

    virtual ~LineDevice() = default;

    // Whether port COMn (n = 1..kMaxComPort) exists and may be offered.
    virtual bool portPresent(int port) = 0;
    // The COM numbers present, ascending.
    virtual QList<int> presentPorts();

    // Opens and sets up port COMn, all before any waiting starts. On failure
    // nothing stays open.
    virtual LineOpenError open(int port, const LineSettings &settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Blocks until one of the watched lines changed, then stamps the moment
    // with the clock before anything else and reads the lines and their edges
    // as one consistent look. A change that came and went while nobody waited
    // is still reported, with its edges. Returns Interrupted once
    // interruptWait() was called (also when it was called just before), and
    // Failed with the system's error number when the device is gone.
    virtual WaitOutcome waitForChange(const ContactClock &clock, LineChange &change, int &errorCode) = 0;
    // Makes the current or next waitForChange() return Interrupted. May have
    // to be called repeatedly until the waiting thread has left.
    virtual void interruptWait() = 0;
    // While a contact can act (a run is armed, or the barriers are being
    // tested), a change must be stamped within a millisecond whatever its
    // timing against the waiting thread; otherwise a looser bound saves the
    // machine's sleep. From any thread; kept across open() and close().
    virtual void setArmed(bool) {}

    // The current modem-status word (MsCtsOn ... MsRlsdOn); clears a pending
    // line error first where the system keeps one.
    virtual quint32 modemStatus() = 0;
};

} // namespace vex
