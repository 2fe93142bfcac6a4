#include "reports/htmlreport.h"

#include "reports/savefile.h"
#include "reports/textcodec.h"
#include "results/competition.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr QStringView kLineEnd = u"\r\n";

enum class LineBreaks { AsBreak, AsBlank };

// Markup characters become entities, characters the page's code page can't
// hold become numeric references, and line breaks either <br> or a blank.
QString escaped(const QString &text, LineBreaks breaks = LineBreaks::AsBreak)
{
    QString out;
    out.reserve(text.size() + 8);
    const QString lineBreak = breaks == LineBreaks::AsBreak ? u"<br>"_s : u" "_s;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'&': out.append(u"&amp;"); continue;
        case u'<': out.append(u"&lt;"); continue;
        case u'>': out.append(u"&gt;"); continue;
        case u'"': out.append(u"&quot;"); continue;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out.append(lineBreak);
            continue;
        case u'\n': out.append(lineBreak); continue;
        default: break;
        }
        char32_t cp = c.unicode();
        qsizetype units = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(c, text[i + 1]);
            units = 2;
        }
        if (c.isSurrogate() && units == 1)
            out.append(u'?');
        else if (fitsWindows1252(cp))
            out.append(QStringView(text).sliced(i, units));
        else
            out.append(u"&#"_s + QString::number(quint32(cp)) + u';');
        i += units - 1;
    }
    return out;
}

void appendLine(QString &out, QStringView line)
{
    out.append(line);
    out.append(kLineEnd);
}

void appendLine(QString &out, const QString &line)
{
    appendLine(out, QStringView(line));
}

void appendHead(QString &out, const HtmlReportInfo &info)
{
    appendLine(out, u"<HTML>");
    appendLine(out, u"<HEAD>");
    appendLine(out, u"<!-- Vexilor software -->");
    appendLine(out, u"<TITLE>"_s + escaped(info.title, LineBreaks::AsBlank) + u"</TITLE>");
    appendLine(out, u"<META name=keywords content=\"slalom, Zeitenprotokoll, vexilor, stopuhr, "_s
                        + escaped(info.appTitle, LineBreaks::AsBlank) + u"\">");
    appendLine(out, u"<META name=description content=\"Vexilor Zeitenprotokoll f\u00fcr Kart-Slalom\">");
    appendLine(out, u"<META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">");
    appendLine(out, u"<META name=\"Webdesign\" content=\"Vexilor\">");
    appendLine(out, u"</HEAD>");
    appendLine(out, u"<STYLE type=text/css>");
    appendLine(out, u" body {font-family: Arial}");
    appendLine(out, u" pre  {padding-left: 36px}");
    appendLine(out, u".de   {line-height: 4px; width: 28px}");
    appendLine(out, u"</STYLE>");
    appendLine(out, u"<BODY bgcolor=#FFFFFF text=#000000>");
    const QString status = info.status.isEmpty() ? QString() : u" – "_s + escaped(info.status);
    appendLine(out, u"<H2>"_s + escaped(info.title) + u"<Br>" + escaped(info.title2)
                        + u"</H2><H4>Ergebnisse" + status + u"</H4>");
    if (!info.objectionDeadline.trimmed().isEmpty())
        appendLine(out, u"<P><B>Einspruchsfrist bis "_s + escaped(info.objectionDeadline.trimmed()) + u"</B></P>");
}

void appendSignatures(QString &out, const HtmlReportInfo &info)
{
    QStringList captions;
    for (const QString &c : info.signatures) {
        if (!c.trimmed().isEmpty())
            captions.append(c.trimmed());
    }
    if (captions.isEmpty())
        return;
    appendLine(out, u"<table border=0 cellpadding=12 width=100%><tr>");
    for (const QString &caption : captions)
        appendLine(out, u"<td align=center><br><br><br>______________________________<br>"_s + escaped(caption) + u"</td>");
    appendLine(out, u"</tr></table>");
}

void appendClassTable(QString &out, const QString &classEntry, const ResultPage &page,
                      const QList<int> &columns, const HtmlReportInfo &info)
{
    appendLine(out, u"<H4><I>KLASSE: "_s + escaped(classEntry) + u"</I></H4>");
    appendLine(out, u"<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#808080 "
                    u"border=1 cellpadding=4 width=100%>");
    appendLine(out, u"<colgroup valign=top><col align=right><col align=left><col align=left>"
                    u"<col align=right><col align=right>");
    appendLine(out, u"<col align=right><col align=right><col align=right><col align=right>"
                    u"<col align=right>");
    appendLine(out, u"<col align=right><col align=right><col align=right>");
    appendLine(out, u"<col align=center><col align=right></colgroup>");
    appendLine(out, u"<thead align=left bgcolor=#91B5FF>");
    appendLine(out, u"<tr>");
    for (const int c : columns) {
        // The further runs are as wide as run 2.
        const int share = c < kColumnCount ? info.columnWidthPercent.at(std::size_t(c))
                                           : info.columnWidthPercent.at(std::size_t(scoringRunOfTimeColumn(c) > 0 ? ColRun2 : ColRun2Penalty));
        appendLine(out, u"<th width="_s + QString::number(share) + u"%>" + escaped(page.displayText(0, c)));
    }
    appendLine(out, u"</tr></thead>");
    const bool strikes = page.regulation().strikesRuns();
    for (int r = 1; r < page.rows(); ++r) {
        out.append(u"<tr>");
        for (const int c : columns) {
            out.append(u"<td>");
            const int run = strikes ? scoringRunOfTimeColumn(c) : 0;
            if (run > 0 && !isBlankCell(page.cell(r, c)) && page.isStruckRun(r, run))
                out.append(u"<s>"_s + escaped(page.markedText(r, c)) + u"</s>");
            else
                out.append(escaped(page.markedText(r, c)));
        }
        appendLine(out, u"</tr>");
    }
    appendLine(out, u"</table>");
}

void appendAwards(QString &out, const HtmlReportInfo &info)
{
    if (!info.dayBest.isEmpty())
        appendLine(out, u"<H4><I>Tagesbestzeit: "_s + escaped(info.dayBest) + u"</I></H4>");
    for (const QString &line : info.fastest)
        appendLine(out, u"<H4><I>"_s + escaped(line) + u"</I></H4>");
    if (info.teamRows.size() < 2)
        return;
    appendLine(out, u"<H4><I>Mannschaftswertung</I></H4>");
    appendLine(out, u"<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#808080 "
                    u"border=1 cellpadding=4 width=100%>");
    appendLine(out, u"<thead align=left bgcolor=#91B5FF>");
    out.append(u"<tr>");
    for (const QString &title : info.teamRows.first())
        out.append(u"<th>"_s + escaped(title));
    appendLine(out, u"</tr></thead>");
    for (qsizetype r = 1; r < info.teamRows.size(); ++r) {
        out.append(u"<tr>");
        for (const QString &cell : info.teamRows.at(r))
            out.append(u"<td>"_s + escaped(cell));
        appendLine(out, u"</tr>");
    }
    appendLine(out, u"</table>");
}

void appendFooter(QString &out, const HtmlReportInfo &info)
{
    appendLine(out, u"<p align=right><font color=#F5F5F5 size=2>Erstellt mit dem Programm &quot;"_s
                        + escaped(info.appTitle, LineBreaks::AsBlank) + u"&quot;.<br>");
    appendLine(out, u"</font><br><div style=\"width:100%; filter:Shadow(color=#000000, direction=315)\" "
                    u"align=right><a href=\"#\"><font size=6 color=\"#FF0000\">Ve</font><font size=6>"
                    u"<font color=#00CC00>xi</font><font color=#F0DE00>lor</font></font></a></div>"
                    u"</body></html>");
}

} // namespace

QList<int> htmlColumns(bool clubShown, int scoringRuns)
{
    // The training run (grid columns 3 and 4) never appears in the page.
    QList<int> columns{ColPlace, ColStNr, ColName, ColClub, ColRun1,
                       ColRun1Penalty, ColRun2, ColRun2Penalty};
    for (int run = 3; run <= std::min(scoringRuns, kMaxScoringRuns); ++run)
        columns << timeColumn(run) << penaltyColumn(run);
    columns << ColTotal;
    if (!clubShown)
        columns.removeOne(ColClub);
    return columns;
}

QByteArray buildHtmlReport(const Competition &competition, const HtmlReportInfo &info)
{
    QString out;
    appendHead(out, info);
    const qsizetype n = std::min<qsizetype>(competition.classes().size(), Competition::pageCount());
    for (int k = 0; k < n; ++k) {
        const ResultPage &page = *competition.page(k);
        appendClassTable(out, competition.classes().at(k), page, htmlColumns(info.clubShown, page.shownRuns()), info);
    }
    appendAwards(out, info);
    appendSignatures(out, info);
    appendFooter(out, info);
    return encodeWindows1252(out);
}

std::optional<QString> WriteHtmlReport(const Competition &competition, const HtmlReportInfo &info,
                                       const QString &path)
{
    return saveFileWhole(path, buildHtmlReport(competition, info));
}

} // namespace vex
