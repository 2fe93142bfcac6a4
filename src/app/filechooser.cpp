#include "app/filechooser.h"

#include <QDir>
#include <QFileDialog>

namespace vex {

namespace {

std::optional<FileChoice> run(QWidget *parent, const FileDialogRequest &request, bool save)
{
    QFileDialog dialog(parent, request.caption);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("OpenDialog1"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDirectory(request.folder);
    dialog.setNameFilters(request.filters);
    const int index = qBound(1, request.filterIndex, int(request.filters.size()));
    if (!request.filters.isEmpty())
        dialog.selectNameFilter(request.filters.at(index - 1));
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    FileChoice choice;
    choice.path = dialog.selectedFiles().constFirst();
    choice.filterIndex = int(request.filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (choice.filterIndex < 1)
        choice.filterIndex = 1;
    return choice;
}

} // namespace

std::optional<FileChoice> DialogFileChooser::chooseSave(QWidget *parent, const FileDialogRequest &request)
{
    return run(parent, request, true);
}

std::optional<FileChoice> DialogFileChooser::chooseOpen(QWidget *parent, const FileDialogRequest &request)
{
    return run(parent, request, false);
}

} // namespace vex
