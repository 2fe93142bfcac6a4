#pragma once

#include "publish/publishfiles.h"
#include "publish/publishtarget.h"
#include "publish/uploadresult.h"
#include "timing/tickclock.h"
#include "timing/timers.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

class QThread;

namespace vex {

class LiveFeed;
class PublishScheduler;
class Race;
class UploadWorker;
struct Settings;

// The settings of publishing, as one value.
struct PublishOptions
{
    bool enabled = false;
    QString address; // the URL as typed
    QString folder;
    QString user;
    QString trusted;
    int intervalMs = 15000;
    int content = ContentAll;
    NameStyle style = NameStyle::FirstNameInitial;

    bool operator==(const PublishOptions &) const = default;
};
PublishOptions publishOptionsOf(const Settings &settings);

// The results on the club's web space while the event runs: one more
// observer of the race, which it only reads. The files are made and sent on
// a thread of its own; the race's thread hands over snapshots and is told
// how it went, and never waits for the network.
class ResultsPublisher : public QObject
{
    Q_OBJECT
public:
    // clock: the wall-clock time the status shows; the system's by default.
    ResultsPublisher(const Race &race, const QString &appTitle, const TickSource &ticks, Timers &timers,
                     QObject *parent = nullptr);
    ~ResultsPublisher() override;

    void setOptions(const PublishOptions &options);
    const PublishOptions &options() const { return m_options; }
    // Kept in memory only.
    void setPassword(const QString &password);
    bool hasPassword() const { return !m_password.isEmpty(); }
    const QString &password() const { return m_password; }
    // The season's standings as a page in each NameStyle; empty: no season open.
    void setSeasonPages(const std::array<QByteArray, 3> &pages);
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // Everything goes up now (or right after the upload under way).
    void publishNow();
    // Tries the settings given (not yet taken) and answers with tested.
    void testConnection(const PublishOptions &options, const QString &password);

    // The line for the status bar; empty while publishing is off.
    const QString &statusText() const { return m_status; }
    bool statusIsFailure() const { return m_failure; }

Q_SIGNALS:
    void statusChanged(const QString &text, bool failure);
    void tested(const vex::UploadResult &result);
    // Each upload's start and end, for the log and for measurements.
    void uploadStarted();
    void uploadFinished(const vex::UploadResult &result, int sentFiles);

private:
    void startUpload();
    void takeUploaded(const UploadResult &result, int sentFiles);
    void setStatus(const QString &text, bool failure);
    std::optional<PublishTarget> target(const PublishOptions &options, const QString &password, QString *error) const;

    LiveFeed *m_feed = nullptr;
    PublishScheduler *m_scheduler = nullptr;
    QThread *m_thread = nullptr;
    UploadWorker *m_worker = nullptr;
    PublishOptions m_options;
    QString m_password;
    PublishSnapshot m_snapshot;
    bool m_everything = true; // the next upload sends every file
    std::function<QDateTime()> m_clock;
    QString m_status;
    bool m_failure = false;
};

} // namespace vex
