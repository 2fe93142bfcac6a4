#pragma once

#include "office/automation.h"
#include "office/rtfdocument.h"

#include <optional>

namespace vex {

class DocumentOpener;

// The word-processor server of this program: one document built from the
// inserted texts and saved as RTF. A maximised server shows what it saves by
// handing the file to the desktop's word processor.
class LocalWordBasic final : public WordBasic
{
public:
    explicit LocalWordBasic(DocumentOpener *opener);

    void AppMaximize() override;
    void AppMinimize() override;
    void FileOpen(const QString &path) override;
    void FileNew() override;
    void Insert(const QString &text) override;
    void FileSaveAs(const QString &path) override;
    void AppClose() override;

private:
    RtfDocument &document();

    DocumentOpener *m_opener;
    bool m_shown = false;
    std::optional<RtfDocument> m_document;
};

} // namespace vex
