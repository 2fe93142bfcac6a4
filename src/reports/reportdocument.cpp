#include "reports/reportdocument.h"

#include "reports/reportpages.h"
#include "reports/textcodec.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextOption>

using namespace Qt::StringLiterals;

namespace vex {

void loadReportDocument(QTextDocument &document, const QByteArray &page)
{
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    QString html = decodeWindows1252(page);
    static const QRegularExpression headerWidth(u"<th width=\\d+%>"_s, QRegularExpression::CaseInsensitiveOption);
    html.replace(headerWidth, u"<th>"_s);
    document.setHtml(html);
}

QString resultListStatus(bool official, QTime postedAt)
{
    if (!official)
        return u"vorläufig"_s;
    return u"offiziell, ausgehängt um "_s + postedAt.toString(u"HH:mm"_s);
}

std::optional<QString> writeResultListPdf(const QByteArray &page, const QString &path)
{
    const QString failed = u"Die Ergebnisliste konnte nicht als PDF gespeichert werden: "_s + path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(300);
        writer.setTitle(QFileInfo(path).completeBaseName());
        writer.setCreator(u"Vexilor"_s);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        QTextDocument document;
        loadReportDocument(document, page);
        if (!paintReportPages(document, writer)) {
            file.cancelWriting();
            return failed;
        }
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return failed;
    return std::nullopt;
}

} // namespace vex
