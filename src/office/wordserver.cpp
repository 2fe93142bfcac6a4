#include "office/wordserver.h"

#include "office/documentopener.h"
#include "reports/savefile.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

LocalWordBasic::LocalWordBasic(DocumentOpener *opener)
    : m_opener(opener)
{
}

void LocalWordBasic::AppMaximize()
{
    m_shown = true;
}

void LocalWordBasic::AppMinimize()
{
    m_shown = false;
}

void LocalWordBasic::FileOpen(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AutomationError(u"Die Datei „%1“ kann nicht geöffnet werden."_s.arg(path));
    // Only RTF can be read here; a document of another format still gives
    // a report, on an empty page.
    m_document = RtfDocument::fromRtf(file.readAll()).value_or(RtfDocument());
}

void LocalWordBasic::FileNew()
{
    m_document.emplace();
}

void LocalWordBasic::Insert(const QString &text)
{
    document().insert(text);
}

void LocalWordBasic::FileSaveAs(const QString &path)
{
    // Written whole or not at all: a full disk must not leave a cut-off
    // document in place of the last good one.
    if (saveFileWhole(path, document().toRtf()))
        throw AutomationError(u"Das Dokument „%1“ kann nicht gespeichert werden."_s.arg(path));
    if (m_shown && m_opener)
        m_opener->openDocument(QFileInfo(path).absoluteFilePath());
}

void LocalWordBasic::AppClose()
{
    m_document.reset();
}

RtfDocument &LocalWordBasic::document()
{
    if (!m_document)
        throw AutomationError(u"Es ist kein Dokument geöffnet."_s);
    return *m_document;
}

} // namespace vex
