#include "publish/uploadworker.h"

#include <QCryptographicHash>

namespace vex {

void UploadWorker::upload(const UploadJob &job)
{
    if (!(job.target == m_lastTarget) || job.everything) {
        m_sent.clear();
        m_lastTarget = job.target;
    }
    const QList<PublishFile> all = publishFiles(job.snapshot, job.content, job.style);
    QList<PublishFile> changed;
    QList<QByteArray> hashes;
    for (const PublishFile &file : all) {
        const QByteArray hash = QCryptographicHash::hash(file.bytes, QCryptographicHash::Sha256);
        if (m_sent.value(file.name) == hash)
            continue;
        changed.append(file);
        hashes.append(hash);
    }
    const UploadResult result = m_curl.upload(job.target, changed);
    if (result.ok()) {
        for (qsizetype k = 0; k < changed.size(); ++k)
            m_sent.insert(changed.at(k).name, hashes.at(k));
    } else {
        // What arrived before the failure isn't known: all of it goes again.
        m_sent.clear();
    }
    Q_EMIT uploaded(result, int(changed.size()));
}

void UploadWorker::test(const PublishTarget &target)
{
    Q_EMIT tested(m_curl.test(target));
}

} // namespace vex
