// The Windows line device against a scripted port in place of the Win32
// calls, and the port map on a given list of ports.

#include "serial/comerrors.h"
#include "serial/modemstatus.h"
#include "serial/winlinedevice.h"
#include "serial/winportmap.h"

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;
using namespace vex;
using Outcome = LineDevice::WaitOutcome;

namespace {

// What meets each WaitCommEvent. Ready: an event it finds at once; Edge,
// Unplug: what ends it once it waits; Interrupt: another thread interrupts it,
// Late: and it completes just as it is taken back. First: the interrupt comes
// before the call.
struct Step
{
    enum Kind { Ready, Edge, Refuse, Unplug, Interrupt, Late, First } kind = Edge;
    DWORD events = 0, lines = 0, code = 0;
};

// The port is scripted; the events, the wait for them and the error numbers
// are the system's own.
struct FakeComm
{
    DWORD lines = 0, mask = 0, failCode = 0;
    QByteArray failCall;
    QList<Step> steps;
    std::function<void()> interruptFromOutside;
    QString opened;
    DCB dcb{};
    QList<DWORD> escapes;
    OVERLAPPED *pending = nullptr;
    DWORD *pendingEvents = nullptr, doneCode = 0;
    bool done = false, misuse = false; // a call the system would refuse or never return from
    Step waiting;
    int openHandles = 0, clockReads = 100, clockAtStatus = -1;

    bool fails(const char *call) { return SetLastError(failCode), failCall == call; }
    void complete(DWORD events, DWORD newLines, DWORD code)
    {
        *pendingEvents = events;
        lines = newLines, done = true, doneCode = code;
        SetEvent(pending->hEvent);
    }
};
FakeComm *comm = nullptr;
const HANDLE kPort = reinterpret_cast<HANDLE>(0x100);

const Win32CommApi kFakeApi{
    [](LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES, DWORD, DWORD flags, HANDLE) -> HANDLE {
        if (comm->fails("CreateFileW"))
            return INVALID_HANDLE_VALUE;
        comm->opened = QString::fromWCharArray(path) + u" %1 %2 %3"_s.arg(access, 0, 16).arg(share).arg(flags, 0, 16);
        return ++comm->openHandles, kPort;
    },
    [](HANDLE h) -> BOOL { return --comm->openHandles, comm->misuse |= h != kPort && !CloseHandle(h), TRUE; },
    [](HANDLE, LPDCB dcb) -> BOOL { return !comm->fails("GetCommState") && (*dcb = comm->dcb, true); },
    [](HANDLE, LPDCB dcb) -> BOOL { return !comm->fails("SetCommState") && (comm->dcb = *dcb, true); },
    [](HANDLE, DWORD f) -> BOOL { return !comm->fails("EscapeCommFunction") && (comm->escapes << f, true); },
    [](HANDLE, DWORD m) -> BOOL { return !comm->fails("SetCommMask") && (comm->mask = m, true); },
    [](HANDLE, LPDWORD events, LPOVERLAPPED overlapped) -> BOOL {
        comm->misuse |= comm->pending != nullptr;
        // A device that waits on past the script is refused rather than left hanging.
        const Step s = comm->steps.isEmpty() ? Step{Step::Refuse, 0, 0, ERROR_NO_MORE_ITEMS} : comm->steps.takeFirst();
        if (s.kind == Step::Ready || s.kind == Step::Refuse) {
            *events = s.events, comm->lines = s.kind == Step::Ready ? s.lines : comm->lines;
            return SetLastError(s.code), s.kind == Step::Ready;
        }
        comm->pending = overlapped, comm->pendingEvents = events, comm->done = false, comm->waiting = s;
        ResetEvent(overlapped->hEvent);
        if (s.kind == Step::Edge || s.kind == Step::Unplug)
            comm->complete(s.events, s.lines, s.code);
        else
            comm->interruptFromOutside();
        return SetLastError(ERROR_IO_PENDING), FALSE;
    },
    [](HANDLE, LPOVERLAPPED overlapped, LPDWORD, BOOL wait) -> BOOL {
        comm->misuse |= overlapped != comm->pending || (wait && !comm->done);
        if (!comm->done)
            return SetLastError(ERROR_IO_INCOMPLETE), FALSE;
        comm->pending = nullptr;
        return SetLastError(comm->doneCode), comm->doneCode == 0;
    },
    [](HANDLE, LPDWORD lines) -> BOOL {
        comm->clockAtStatus = comm->clockReads;
        return !comm->fails("GetCommModemStatus") && (*lines = comm->lines, true);
    },
    [](HANDLE, LPDWORD errors, LPCOMSTAT) -> BOOL { return *errors = 0, TRUE; },
    [](LPSECURITY_ATTRIBUTES a, BOOL manual, BOOL initial, LPCWSTR) -> HANDLE {
        return comm->fails("CreateEventW") ? nullptr : (++comm->openHandles, CreateEventW(a, manual, initial, nullptr));
    },
    &SetEvent,
    &ResetEvent,
    &WaitForMultipleObjects,
    [](HANDLE) -> BOOL {
        const Step aborted{Step::Unplug, 0, comm->lines, ERROR_OPERATION_ABORTED};
        const Step s = comm->waiting.kind == Step::Late ? comm->waiting : aborted;
        if (comm->pending && !comm->done)
            comm->complete(s.events, s.lines, s.code);
        return TRUE;
    },
    &GetLastError,
};

class FakeClock final : public ContactClock
{
public:
    ContactStamp now() const override { return {quint32(++comm->clockReads), comm->clockReads * 1000LL}; }
};

} // namespace

Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(LineSettings)

class TestWinLineDevice : public QObject
{
    Q_OBJECT

    FakeComm m_comm;
    WindowsPortMap m_ports{[] { return QStringList{u"COM3"_s}; }};

private Q_SLOTS:
    void init()
    {
        m_comm = FakeComm{};
        comm = &m_comm;
        // The driver as another program left it: with every handshake the barriers must not have.
        m_comm.dcb.fOutxCtsFlow = m_comm.dcb.fOutxDsrFlow = m_comm.dcb.fDsrSensitivity = m_comm.dcb.fAbortOnError = 1;
        m_comm.dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        m_comm.dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    }

    void open_data()
    {
        QTest::addColumn<QByteArray>("failCall");
        QTest::addColumn<int>("stage"); // of the failure, with the failing call's error as its code
        QTest::addColumn<LineSettings>("settings");
        // Baud, data bits, parity, stop bits, XON/XOFF, DTR control, then the lines raised.
        QTest::addColumn<QList<int>>("port");
        auto ok = [](const char *name) -> QTestData & { return QTest::newRow(name) << QByteArray() << 0; };
        const int on = DTR_CONTROL_ENABLE;
        ok("9600 8N1") << LineSettings{} << QList<int>{9600, 8, NOPARITY, ONESTOPBIT, 0, on, SETDTR, SETRTS};
        ok("4800 7E2 XON/XOFF") << LineSettings{4800, 7, 'E', 2, true, true}
                                << QList<int>{4800, 7, EVENPARITY, TWOSTOPBITS, 1, on, SETDTR, SETRTS};
        ok("5S2 is 5S1.5") << LineSettings{9600, 5, 'S', 2}
                           << QList<int>{9600, 5, SPACEPARITY, ONE5STOPBITS, 0, on, SETDTR, SETRTS};
        ok("DTR left off") << LineSettings{9600, 8, 'N', 1, false, false}
                           << QList<int>{9600, 8, NOPARITY, ONESTOPBIT, 0, DTR_CONTROL_DISABLE, SETRTS};
        const int atOpen = int(LineOpenError::Stage::Open), atSetUp = int(LineOpenError::Stage::Configure);
        for (const char *call : {"CreateFileW", "GetCommState", "SetCommState", "EscapeCommFunction", "SetCommMask",
                                 "CreateEventW", "GetCommModemStatus"})
            QTest::newRow(call) << QByteArray(call) << (qstrcmp(call, "CreateFileW") ? atSetUp : atOpen)
                                << LineSettings{} << QList<int>{};
    }
    void open()
    {
        QFETCH(QByteArray, failCall);
        QFETCH(int, stage);
        QFETCH(LineSettings, settings);
        QFETCH(QList<int>, port);
        m_comm.failCall = failCall;
        m_comm.failCode = ERROR_ACCESS_DENIED + DWORD(failCall.size());
        m_comm.lines = MS_CTS_ON | MS_RING_ON;
        WinLineDevice device(m_ports, kFakeApi);
        const LineOpenError error = device.open(3, settings);
        QCOMPARE((QList<int>{int(error.stage), error.code}), (QList<int>{stage, stage ? int(m_comm.failCode) : 0}));
        QCOMPARE(device.isOpen(), !stage);
        QCOMPARE(m_comm.openHandles, stage ? 0 : 3); // on failure nothing stays open
        QVERIFY(!m_comm.misuse);
        if (stage)
            return;
        QCOMPARE(m_comm.opened, u"\\\\.\\COM3 c0000000 0 40000000"_s); // exclusive, overlapped
        const DCB &d = m_comm.dcb;
        QList<int> actual{int(d.BaudRate), d.ByteSize, d.Parity, d.StopBits, int(d.fOutX & d.fInX), int(d.fDtrControl)};
        for (DWORD function : m_comm.escapes)
            actual << int(function);
        QCOMPARE(actual, port);
        QCOMPARE(int(d.fParity), port[2] != NOPARITY ? 1 : 0);
        QCOMPARE((QList<int>{int(d.fBinary), int(d.fOutxCtsFlow), int(d.fOutxDsrFlow), int(d.fDsrSensitivity),
                             int(d.fAbortOnError), int(d.fRtsControl)}),
                 (QList<int>{1, 0, 0, 0, 0, RTS_CONTROL_ENABLE}));
        QCOMPARE(m_comm.mask, DWORD(EV_CTS | EV_DSR | EV_RLSD));
        QCOMPARE(device.modemStatus(), quint32(MsCtsOn | MsRingOn));
        device.close();
        QVERIFY(m_comm.openHandles == 0 && !m_comm.misuse);
    }

    void waits_data()
    {
        QTest::addColumn<DWORD>("lines");
        QTest::addColumn<QList<Step>>("steps");
        // Per call: the outcome, then the event bits and the lines in hex and the edges of CTS/DSR/DCD, or
        // the error.
        QTest::addColumn<QStringList>("expected");
        using S = Step;
        auto row = [](const char *name, DWORD lines, QList<Step> steps, QStringList expected) {
            QTest::newRow(name) << lines << steps << expected;
        };
        const QString ctsOn = u"changed 8 10 1/0/0"_s, interrupted = u"interrupted"_s;
        row("start contact closes", 0, {S{S::Edge, EV_CTS, MS_CTS_ON}}, {ctsOn});
        row("finish contact opens", MS_RLSD_ON, {S{S::Edge, EV_RLSD, 0}}, {u"changed 20 0 0/0/1"_s});
        row("pulse came and went", 0, {S{S::Edge, EV_CTS, 0}}, {u"changed 8 0 2/0/0"_s});
        row("two lines at once", MS_DSR_ON, {S{S::Edge, EV_CTS | EV_DSR, MS_CTS_ON | MS_DSR_ON}},
            {u"changed 18 30 1/2/0"_s});
        row("edge while nobody waited", 0, {S{S::Ready, EV_RLSD, MS_RLSD_ON}}, {u"changed 20 80 0/0/1"_s});
        row("levels carry over", 0, {S{S::Edge, EV_CTS, MS_CTS_ON}, S{S::Edge, EV_CTS, 0}},
            {ctsOn, u"changed 8 0 1/0/0"_s});
        // The contact moved back before the lines were read: its second edge
        // comes once more with the next wait, and is no second pulse.
        row("pulse, then its echo", 0, {S{S::Edge, EV_CTS, 0}, S{S::Ready, EV_CTS, 0}, S{S::Edge, EV_RLSD, MS_RLSD_ON}},
            {u"changed 8 0 2/0/0"_s, u"changed 20 80 0/0/1"_s});
        row("pulse, then the line moves on", 0, {S{S::Edge, EV_CTS, 0}, S{S::Ready, EV_CTS, MS_CTS_ON}},
            {u"changed 8 0 2/0/0"_s, ctsOn});
        row("empty event word", 0, {S{S::Edge}, S{S::Edge, EV_CTS, MS_CTS_ON}}, {ctsOn});
        row("interrupt before the wait", 0, {S{S::First}, S{S::Edge, EV_CTS, MS_CTS_ON}}, {interrupted, ctsOn});
        row("interrupt during the wait", 0, {S{S::Interrupt}, S{S::Edge, EV_CTS, MS_CTS_ON}}, {interrupted, ctsOn});
        row("wait completes as it is interrupted", 0, {S{S::Late, EV_CTS, MS_CTS_ON}}, {interrupted, ctsOn});
        row("unplugged: access denied", 0, {S{S::Unplug, 0, 0, ERROR_ACCESS_DENIED}}, {u"failed 5"_s});
        row("unplugged: aborted", 0, {S{S::Unplug, 0, 0, ERROR_OPERATION_ABORTED}}, {u"failed 995"_s});
        row("wait refused", 0, {S{S::Refuse, 0, 0, ERROR_BAD_COMMAND}}, {u"failed 22"_s});
    }
    void waits()
    {
        QFETCH(DWORD, lines);
        QFETCH(QList<Step>, steps);
        QFETCH(QStringList, expected);
        m_comm.lines = lines;
        WinLineDevice device(m_ports, kFakeApi);
        FakeClock clock;
        QVERIFY(!device.open(3, {}));
        m_comm.steps = steps;
        m_comm.interruptFromOutside = [&] { device.interruptWait(); };
        QStringList outcomes;
        for (qsizetype call = 0; call < expected.size(); ++call) {
            if (m_comm.steps.value(0).kind == Step::First) {
                m_comm.steps.removeFirst();
                device.interruptWait();
            }
            LineChange c;
            int code = 0;
            const Outcome outcome = device.waitForChange(clock, c, code);
            QVERIFY2(!m_comm.misuse && !m_comm.pending, "a wait left in flight");
            if (outcome == Outcome::Changed) {
                outcomes << u"changed %1 %2 %3/%4/%5"_s.arg(c.events, 0, 16).arg(c.status, 0, 16).arg(c.edges.cts)
                                .arg(c.edges.dsr).arg(c.edges.dcd);
                QCOMPARE(int(c.stamp.tick), m_comm.clockAtStatus); // stamped before the lines were read
            } else {
                outcomes << (outcome == Outcome::Failed ? u"failed %1"_s.arg(code) : u"interrupted"_s);
            }
        }
        QCOMPARE(outcomes, expected);
        QVERIFY(m_comm.steps.isEmpty());
    }

    void portMap()
    {
        QStringList listed{u"COM1"_s, u"com4"_s, u"COM12"_s, u"COM17"_s, u"COM0"_s, u"COM"_s};
        WindowsPortMap map([&] { return listed; });
        QList<int> found;
        for (int n = 0; n <= 256; ++n) {
            if (map.present(n))
                found << n;
            QVERIFY(!map.reserved(n));
        }
        // USB adapters often get COM17 and above.
        QCOMPARE(found, (QList<int>{1, 4, 12, 17}));
        QCOMPARE(map.presentPorts(), found);
        QCOMPARE((QStringList{map.devicePath(0), map.devicePath(12), map.devicePath(17), map.devicePath(256)}),
                 (QStringList{QString(), u"\\\\.\\COM12"_s, u"\\\\.\\COM17"_s, QString()}));
        listed.clear(); // the adapter pulled: the list is read again
        QVERIFY(!map.present(1));
    }

    void errorText()
    {
        const QString text = systemErrorText(ERROR_ACCESS_DENIED); // the system's line break trimmed off
        QVERIFY2(!text.isEmpty() && text != u"5"_s && text == text.trimmed(), qPrintable(text));
        QCOMPARE(systemErrorText(0x3FFFFFF0), u"1073741808"_s);
    }
};

QTEST_GUILESS_MAIN(TestWinLineDevice)
#include "test_winlinedevice.moc"
