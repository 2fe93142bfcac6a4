// The program's results and backup driven by lines on stdin, for the kill
// test: every command is acknowledged on stdout only after it returned.
//
//   load<TAB>path                                   -> ok<TAB>n
//   enter<TAB>class<TAB>number<TAB>run<TAB>ms<TAB>penalty -> ok<TAB>n
//   dump                                            -> dump<TAB>base64 of the protocol
//
// At start it answers "Ja" when the backup asks to be taken back and prints
// ready<TAB>1 (taken back) or ready<TAB>0. Around every backup write it puts
// 'w' and 'W' on stderr, so the test knows a kill fell into a write.

#include "backup/backupstore.h"
#include "reports/protocolfile.h"
#include "reports/protocoltext.h"
#include "results/competition.h"
#include "results/ranking.h"
#include "results/recording.h"
#include "results/startnumbers.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <unistd.h>

#include <cstdio>
#include <string>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

class ReportingReplacer final : public FileReplacer
{
public:
    bool replace(const QString &path, QByteArrayView bytes) override
    {
        (void)!::write(STDERR_FILENO, "w", 1);
        const bool done = m_real.replace(path, bytes);
        (void)!::write(STDERR_FILENO, "W", 1);
        return done;
    }

private:
    DurableFileReplacer m_real;
};

void reply(const QByteArray &line)
{
    const QByteArray out = line + '\n';
    (void)!::write(STDOUT_FILENO, out.constData(), size_t(out.size()));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString folder = app.arguments().value(1);
    ReportingReplacer replacer;
    BackupStore store(folder, replacer);
    Competition competition;
    auto backUp = [&] {
        if (const auto error = store.write(formatProtocolText(competition)))
            std::fprintf(stderr, "%s\n", qPrintable(*error));
        store.pruneHistory();
    };

    bool recovered = false;
    if (store.needsRecovery()) {
        store.recovered();
        recovered = ReadProtocolText(competition, store.backupPath()).complete;
        backUp();
    }
    reply("ready\t" + QByteArray(recovered ? "1" : "0"));

    int done = 0;
    std::string line;
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, n);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QList<QByteArray> f = pending.first(end).split('\t');
            pending.remove(0, end + 1);
            const QByteArray &command = f.value(0);
            if (command == "load") {
                ReadProtocolText(competition, QString::fromUtf8(f.value(1)));
                backUp();
            } else if (command == "enter" && f.size() == 6) {
                ResultPage &page = *competition.page(f.at(1).toInt());
                RunEntry entry;
                entry.startNumber = QString::fromUtf8(f.at(2));
                const int row = FindRowByStartNumber(page, entry.startNumber);
                entry.name = page.cell(row, ColName);
                entry.club = page.cell(row, ColClub);
                entry.run = f.at(3).toInt();
                entry.runTimeMs = f.at(4).toInt();
                entry.penaltySeconds = f.at(5).toInt();
                enterRun(page, entry);
                RankPage(page, true);
                backUp();
            } else if (command == "dump") {
                reply("dump\t" + formatProtocolText(competition).toBase64());
                continue;
            } else {
                reply("error\tunknown command");
                continue;
            }
            reply("ok\t" + QByteArray::number(++done));
        }
    });
    return app.exec();
}
