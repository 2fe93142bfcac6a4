#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

namespace vex {

// A file as it goes up: its name in the target folder and its bytes.
struct PublishFile
{
    QString name;
    QByteArray bytes;
};

// Which step failed, in the order a connection takes them.
enum class UploadStage { None, Name, Connection, Trust, Login, Folder, Writing };

struct UploadResult
{
    UploadStage stage = UploadStage::None; // None: every file is up
    QString message;  // German, for the status bar and the log
    // An unknown or changed key or certificate: its fingerprint, for the
    // operator to confirm.
    QString offered;
    bool changed = false; // the server shows another key than the one confirmed

    bool ok() const { return stage == UploadStage::None; }
};

} // namespace vex

Q_DECLARE_METATYPE(vex::UploadResult)
