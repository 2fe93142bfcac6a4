#include "publish/resultspublisher.h"

#include "live/livefeed.h"
#include "publish/publishscheduler.h"
#include "publish/uploadworker.h"
#include "settings/settings.h"

#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcPublish, "vexilor.publish")

namespace vex {

PublishOptions publishOptionsOf(const Settings &s)
{
    PublishOptions o;
    o.enabled = s.Inet;
    o.address = s.InetAdresse;
    o.folder = s.InetOrdner;
    o.user = s.InetBenutzer;
    o.trusted = s.InetVertrauen;
    o.intervalMs = std::clamp(s.InetIntervall, 5, 3600) * 1000;
    o.content = s.InetInhalt & ContentAll;
    o.style = s.InetNamen == 0 ? NameStyle::Full : s.InetNamen == 2 ? NameStyle::StartNumberOnly
                                                                      : NameStyle::FirstNameInitial;
    return o;
}

ResultsPublisher::ResultsPublisher(const Race &race, const QString &appTitle, const TickSource &ticks,
                                   Timers &timers, QObject *parent)
    : QObject(parent)
    , m_feed(new LiveFeed(race, appTitle, this))
    , m_scheduler(new PublishScheduler(ticks, timers, this))
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    qRegisterMetaType<UploadResult>();
    qRegisterMetaType<UploadJob>();
    qRegisterMetaType<PublishTarget>();
    m_thread = new QThread(this);
    m_thread->setObjectName(u"Internet"_s);
    m_worker = new UploadWorker;
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &UploadWorker::uploaded, this, &ResultsPublisher::takeUploaded, Qt::QueuedConnection);
    connect(m_worker, &UploadWorker::tested, this, &ResultsPublisher::tested, Qt::QueuedConnection);
    m_thread->start();

    connect(m_feed, &LiveFeed::resultsReady, this, [this](LiveResultsPtr results) {
        m_snapshot.results = std::move(results);
        if (m_options.enabled)
            m_scheduler->changed();
    });
    // The run alone changes nothing published but results.json's line about
    // the course; it goes along with the next change of the results.
    connect(m_feed, &LiveFeed::courseReady, this, [this](const LiveCourse &course) { m_snapshot.course = course; });
    connect(m_scheduler, &PublishScheduler::due, this, &ResultsPublisher::startUpload);
    m_feed->publishNow();
}

ResultsPublisher::~ResultsPublisher()
{
    m_worker->abort();
    m_thread->quit();
    m_thread->wait();
}

void ResultsPublisher::setOptions(const PublishOptions &options)
{
    if (options == m_options)
        return;
    const bool wasOn = m_options.enabled;
    m_options = options;
    m_scheduler->setIntervalMs(options.intervalMs);
    m_everything = true;
    if (!options.enabled) {
        m_scheduler->stop();
        setStatus({}, false);
        return;
    }
    if (!wasOn)
        setStatus(u"Internet: wird veröffentlicht …"_s, false);
    // After the snapshot of the same settings (a new title) has come: the
    // feed takes it on a zero timer started before this one.
    QTimer::singleShot(0, this, [this] {
        if (m_options.enabled)
            m_scheduler->publishNow();
    });
}

void ResultsPublisher::setPassword(const QString &password)
{
    if (password == m_password)
        return;
    m_password = password;
    if (m_options.enabled)
        m_scheduler->publishNow();
}

void ResultsPublisher::setSeasonPages(const std::array<QByteArray, 3> &pages)
{
    m_snapshot.seasonPages = pages;
    if (m_options.enabled && (m_options.content & ContentSeason))
        m_scheduler->changed();
}

void ResultsPublisher::publishNow()
{
    if (!m_options.enabled)
        return;
    m_everything = true;
    m_scheduler->publishNow();
}

std::optional<PublishTarget> ResultsPublisher::target(const PublishOptions &options, const QString &password,
                                                      QString *error) const
{
    TargetParse parsed = parsePublishTarget(options.address, options.folder);
    if (!parsed.target) {
        *error = parsed.error;
        return std::nullopt;
    }
    parsed.target->user = options.user;
    parsed.target->password = password;
    parsed.target->trusted = options.trusted;
    return parsed.target;
}

void ResultsPublisher::startUpload()
{
    QString error;
    std::optional<PublishTarget> t = target(m_options, m_password, &error);
    if (t && m_password.isEmpty()) {
        t.reset();
        error = u"Passwort fehlt (Einstellungen, Seite „Internet“)"_s;
    }
    if (!t) {
        // Nothing to retry until the settings change.
        m_scheduler->finished(true);
        m_scheduler->stop();
        setStatus(u"Internet: "_s + error, true);
        return;
    }
    UploadJob job{*t, m_snapshot, m_options.content, m_options.style, m_everything};
    m_everything = false;
    Q_EMIT uploadStarted();
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, job] { worker->upload(job); }, Qt::QueuedConnection);
}

void ResultsPublisher::takeUploaded(const UploadResult &result, int sentFiles)
{
    m_scheduler->finished(result.ok());
    if (m_options.enabled) {
        if (result.ok()) {
            setStatus(u"Internet: letzte Übertragung "_s + m_clock().toString(u"HH:mm:ss"_s), false);
            qCInfo(lcPublish) << "uploaded" << sentFiles << "files";
        } else {
            const int pause = PublishScheduler::retryPauseMs(m_scheduler->failuresInRow()) / 1000;
            const int wait = std::max(pause, m_options.intervalMs / 1000);
            setStatus(u"Internet: %1 – neuer Versuch in %2 s"_s.arg(result.message).arg(wait), true);
            qCWarning(lcPublish).noquote() << "upload failed:" << result.message;
        }
    }
    Q_EMIT uploadFinished(result, sentFiles);
}

void ResultsPublisher::testConnection(const PublishOptions &options, const QString &password)
{
    QString error;
    const std::optional<PublishTarget> t = target(options, password, &error);
    if (!t) {
        UploadResult r;
        r.stage = UploadStage::Name;
        r.message = error;
        QMetaObject::invokeMethod(this, [this, r] { Q_EMIT tested(r); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, target = *t] { worker->test(target); },
                              Qt::QueuedConnection);
}

void ResultsPublisher::setStatus(const QString &text, bool failure)
{
    if (text == m_status && failure == m_failure)
        return;
    m_status = text;
    m_failure = failure;
    Q_EMIT statusChanged(text, failure);
}

} // namespace vex
