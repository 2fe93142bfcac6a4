#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vex {

// A word-processor document written as RTF: Windows-1252 text, \uN escapes
// for characters beyond it, TABs and paragraphs. Word processors open it
// under a .doc name too.
class RtfDocument
{
public:
    RtfDocument();
    // A document that goes on from an RTF file: inserted text lands at its
    // end. Nothing when the bytes are no RTF.
    static std::optional<RtfDocument> fromRtf(const QByteArray &bytes);

    // CR LF (or a lone CR or LF) ends a paragraph; TAB is a tab stop.
    void insert(QStringView text);
    QByteArray toRtf() const;

private:
    QByteArray m_head;
    QByteArray m_body;
};

// The RTF text of plain text, escaped.
QByteArray rtfEscaped(QStringView text);

} // namespace vex
