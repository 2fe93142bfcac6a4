#include "crashdriver.h"

#include "files/racefiles.h"
#include "race/race.h"
#include "reports/protocoltext.h"

#include <QCoreApplication>

#include <thread>

#include <unistd.h>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace vex::crashdriver {

namespace {

void reply(const QByteArray &line)
{
    const QByteArray out = line + '\n';
    (void)!::write(STDOUT_FILENO, out.constData(), size_t(out.size()));
}

// One run from start to entry, as F5, F5, F9 and F10 make it.
void enterRun(Race &race, Ticks &ticks, const QList<QByteArray> &f)
{
    race.chooseClass(f.at(1).toInt());
    race.typeStartNumber(QString::fromUtf8(f.at(2)));
    race.chooseRun(f.at(3).toInt());
    race.start(ticks.value);
    ticks.value += quint32(f.at(4).toInt());
    race.stop(ticks.value);
    race.setPenalty(f.at(5).toInt());
    race.enter();
    race.next();
    ticks.value += 1000;
}

QByteArray protocolOf(RaceFiles &files)
{
    QByteArray bytes;
    files.exportWith([&bytes](const Competition &c) {
        bytes = formatProtocolText(c);
        return std::optional<QString>();
    });
    return bytes;
}

} // namespace

bool ReportingReplacer::replace(const QString &path, QByteArrayView bytes)
{
    (void)!::write(STDERR_FILENO, "w", 1);
    const bool done = m_real.replace(path, bytes);
    (void)!::write(STDERR_FILENO, "W", 1);
    return done;
}

int run(bool asked, RaceFiles &files, Ticks &ticks, const std::function<void(const QString &)> &open)
{
    Race &race = files.race();
#ifdef Q_OS_WIN
    // Lines end in \n alone, as the test reads them.
    _setmode(STDOUT_FILENO, _O_BINARY);
    _setmode(STDERR_FILENO, _O_BINARY);
    _setmode(STDIN_FILENO, _O_BINARY);
#endif
    reply("ready\t" + QByteArray(asked ? "1" : "0"));
    int done = 0;
    QByteArray pending;
    const auto handle = [&](const QByteArray &chunk) {
        pending.append(chunk);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QList<QByteArray> f = pending.first(end).split('\t');
            pending.remove(0, end + 1);
            const QByteArray &command = f.value(0);
            if (command == "load" && f.size() == 2) {
                open(QString::fromUtf8(f.at(1)));
            } else if (command == "enter" && f.size() == 6) {
                enterRun(race, ticks, f);
            } else if (command == "undo") {
                race.undo();
            } else if (command == "redo") {
                race.redo();
            } else if (command == "dump") {
                reply("dump\t" + protocolOf(files).toBase64());
                continue;
            } else {
                reply("error\tunknown command");
                continue;
            }
            reply("ok\t" + QByteArray::number(++done));
        }
    };
    // The commands are read on a thread of their own and handed to the event
    // loop whole: not every system's event loop can watch a pipe.
    std::thread([&handle] {
        char buffer[4096];
        for (;;) {
            const auto n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
                return;
            }
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [&handle, chunk = QByteArray(buffer, n)] { handle(chunk); },
                Qt::QueuedConnection);
        }
    }).detach();
    return QCoreApplication::exec();
}

} // namespace vex::crashdriver
