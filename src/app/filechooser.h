#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace vex {

// A file the operator chose in a file dialog, with the file-type entry that
// was selected (counted from 1).
struct FileChoice
{
    QString path;
    int filterIndex = 1;
};

struct FileDialogRequest
{
    QString caption;
    QString folder;
    QString fileName;
    QStringList filters; // "Textdatei (*.txt)" ...
    int filterIndex = 1;
    QString defaultSuffix;
};

// The open and save dialogs of the main window; tests answer them without a
// window.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    virtual std::optional<FileChoice> chooseSave(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual std::optional<FileChoice> chooseOpen(QWidget *parent, const FileDialogRequest &request) = 0;
};

// Qt's own file dialog, in German through Qt's translations.
class DialogFileChooser final : public FileChooser
{
public:
    std::optional<FileChoice> chooseSave(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<FileChoice> chooseOpen(QWidget *parent, const FileDialogRequest &request) override;
};

} // namespace vex
