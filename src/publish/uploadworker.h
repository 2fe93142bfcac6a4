#pragma once

#include "publish/curlupload.h"
#include "publish/publishfiles.h"
#include "publish/publishtarget.h"

#include <QHash>
#include <QObject>

namespace vex {

// What one upload takes with it to the upload thread.
struct UploadJob
{
    PublishTarget target;
    PublishSnapshot snapshot;
    int content = ContentAll;
    NameStyle style = NameStyle::FirstNameInitial;
    bool everything = false; // send files the server already holds as well
};

// Lives on the upload thread: makes the files from a snapshot and sends
// those that differ from what this target last got. Blocks only its own
// thread.
class UploadWorker : public QObject
{
    Q_OBJECT
public:
    UploadWorker() = default;

    // Ends a transfer under way; called from another thread at the end.
    void abort() { m_curl.abort(); }

    void upload(const vex::UploadJob &job);
    void test(const vex::PublishTarget &target);

Q_SIGNALS:
    // sentFiles: how many files went up; the others were there already.
    void uploaded(const vex::UploadResult &result, int sentFiles);
    void tested(const vex::UploadResult &result);

private:
    CurlUpload m_curl;
    PublishTarget m_lastTarget;
    QHash<QString, QByteArray> m_sent; // name -> hash of the bytes the target holds
};

} // namespace vex

Q_DECLARE_METATYPE(vex::UploadJob)
