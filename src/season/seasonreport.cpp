#include "season/seasonreport.h"

#include "office/automation.h"
#include "office/excelexchange.h"
#include "office/workbookdata.h"
#include "reports/savefile.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString placeText(const StandingRow &row)
{
    return row.place > 0 ? QString::number(row.place) + u'.' : QString();
}

void appendTable(QString &out, const SeasonReport &report, const ClassStandings &cs, bool teams)
{
    const QStringList headers = standingsHeaders(report, teams);
    out += u"<table class=\"st\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">\n<thead><tr>"_s;
    for (const QString &h : headers)
        out += u"<th>"_s + esc(h).replace(u"\n"_s, u"<br>"_s) + u"</th>"_s;
    out += u"</tr></thead>\n"_s;
    const int eventCount = int(report.events.size());
    for (qsizetype i = 0; i < cs.rows.size(); ++i) {
        const StandingRow &r = cs.rows.at(i);
        out += u"<tr><td align=\"right\">"_s + placeText(r) + u"</td><td>"_s + esc(r.driver.name)
            + (r.driver.birthYear ? u" ("_s + QString::number(r.driver.birthYear) + u')' : QString()) + u"</td>"_s;
        if (!teams)
            out += u"<td>"_s + esc(r.driver.club) + u"</td>"_s;
        for (int e = 0; e < eventCount; ++e) {
            const std::optional<EventScore> &s = r.events.value(e);
            const QString t = esc(scoreText(s));
            out += s && s->struck ? u"<td align=\"right\" class=\"x\"><s>"_s + t + u"</s></td>"_s
                                  : u"<td align=\"right\">"_s + t + u"</td>"_s;
        }
        out += u"<td align=\"right\"><b>"_s + QString::number(r.sum) + u"</b></td><td align=\"right\">"_s
            + QString::number(r.starts) + u"</td></tr>\n"_s;
        if (!teams && cs.qualified > 0 && i + 1 == cs.qualified) {
            out += u"<tr><td class=\"q\" bgcolor=\"#fde2e2\" colspan=\""_s + QString::number(headers.size())
                + u"\"><font color=\"#b00000\"><b>"_s + esc(qualificationLineText(cs)) + u"</b></font></td></tr>\n"_s;
        }
    }
    out += u"</table>\n"_s;
}

} // namespace

QStringList standingsHeaders(const SeasonReport &report, bool teams)
{
    QStringList h{u"Platz"_s, teams ? u"Mannschaft"_s : u"Fahrer/in"_s};
    if (!teams)
        h.append(u"Ortsclub"_s);
    for (qsizetype e = 0; e < report.events.size(); ++e)
        h.append(eventColumnTitle(report.events.at(e), int(e) + 1));
    h.append(u"Punkte"_s);
    h.append(u"Starts"_s);
    return h;
}

QString scoreText(const std::optional<EventScore> &score)
{
    if (!score)
        return u"–"_s;
    const QString points = QString::number(score->points);
    return score->struck ? u'(' + points + u')' : points;
}

QString qualificationLineText(const ClassStandings &standings)
{
    // Drivers sharing the last qualifying place all go on, so the line names
    // both the place and how many that are.
    const int lastPlace = standings.qualified > 0 ? standings.rows.value(standings.qualified - 1).place : 0;
    return u"Qualifiziert für die nächste Runde: %1 Fahrer bis Platz %2"_s.arg(standings.qualified).arg(lastPlace);
}

QStringList eventLines(const SeasonReport &report)
{
    QStringList lines;
    for (qsizetype i = 0; i < report.events.size(); ++i) {
        const SeasonEvent &e = report.events.at(i);
        QString line = QString::number(i + 1) + u". "_s + e.name;
        if (e.date.isValid())
            line += u", "_s + e.date.toString(u"dd.MM.yyyy"_s);
        lines.append(line);
    }
    return lines;
}

QByteArray buildSeasonHtml(const SeasonReport &report)
{
    QString out;
    out += u"<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"utf-8\">\n<title>"_s + esc(report.title)
        + u"</title>\n<style>\nbody {font-family: Arial, sans-serif}\n"
          u"table.st {border-collapse: collapse; margin-bottom: 12px}\n"
          u"table.st th {background: #91B5FF; text-align: center}\n"
          u"td.x {color: #808080}\ntd.q {text-align: center; font-size: small}\n</style></head>\n<body>\n"_s;
    out += u"<h2>"_s + esc(report.title) + u"</h2>\n<h4>Veranstaltungen</h4>\n<p>"_s;
    out += esc(eventLines(report).join(u'\n')).replace(u"\n"_s, u"<br>\n"_s);
    out += u"</p>\n<p><small>"_s + esc(rulesSummary(report.rules, int(report.events.size())))
        + u" · in Klammern: Streichergebnis</small></p>\n"_s;
    if (!report.leftOut.isEmpty()) {
        out += u"<p><font color=\"#b00000\">Nicht gewertet:<br>\n"_s;
        for (const QString &why : report.leftOut)
            out += esc(why) + u"<br>\n"_s;
        out += u"</font></p>\n"_s;
    }
    for (const ClassStandings &cs : report.standings.classes) {
        out += u"<h4><i>KLASSE: "_s + esc(cs.name) + u"</i></h4>\n"_s;
        appendTable(out, report, cs, false);
    }
    if (!report.standings.teams.rows.isEmpty()) {
        out += u"<h4><i>Mannschaften</i></h4>\n"_s;
        appendTable(out, report, report.standings.teams, true);
    }
    out += u"<p align=\"right\"><small>Erstellt mit Vexilor</small></p>\n</body></html>\n"_s;
    return out.toUtf8();
}

std::optional<QString> writeSeasonPdf(const SeasonReport &report, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return writeErrorText(path);
    {
        QPdfWriter pdf(&file);
        pdf.setTitle(report.title);
        pdf.setCreator(u"Vexilor"_s);
        pdf.setResolution(300);
        const auto orientation = report.events.size() > 6 ? QPageLayout::Landscape : QPageLayout::Portrait;
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(12, 12, 12, 12),
                                      QPageLayout::Millimeter));
        QTextDocument document;
        document.setHtml(QString::fromUtf8(buildSeasonHtml(report)));
        document.print(&pdf);
    }
    if (!file.commit())
        return writeErrorText(path);
    return std::nullopt;
}

std::optional<QString> writeSeasonWorkbook(const SeasonReport &report, const QString &path)
{
    WorkbookData book;
    book.author = kWorkbookAuthor;
    book.title = report.title;
    book.subject = u"Meisterschaft"_s;
    QStringList names;
    const auto addSheet = [&](const ClassStandings &cs, bool teams) {
        WorksheetData sheet;
        sheet.name = sheetNameForClass(cs.name, names);
        names.append(sheet.name);
        int row = 1;
        const auto text = [&sheet](int r, int c, const QString &t, bool bold = false) {
            WorkbookCell &cell = sheet.cell(r, c);
            cell.kind = WorkbookCell::Kind::Text;
            cell.text = t;
            cell.bold = bold;
        };
        const auto num = [&sheet](int r, int c, int n, bool bold = false) {
            WorkbookCell &cell = sheet.cell(r, c);
            cell.kind = WorkbookCell::Kind::Number;
            cell.number = n;
            cell.bold = bold;
        };
        text(row++, 1, report.title, true);
        text(row++, 1, teams ? u"Mannschaften"_s : u"KLASSE: "_s + cs.name, true);
        for (const QString &line : eventLines(report))
            text(row++, 1, line);
        text(row++, 1, rulesSummary(report.rules, int(report.events.size())) + u" · in Klammern: Streichergebnis"_s);
        ++row;
        const QStringList headers = standingsHeaders(report, teams);
        for (qsizetype c = 0; c < headers.size(); ++c)
            text(row, int(c) + 1, QString(headers.at(c)).replace(u'\n', u' '), true);
        ++row;
        for (qsizetype i = 0; i < cs.rows.size(); ++i) {
            const StandingRow &r = cs.rows.at(i);
            int c = 1;
            if (r.place > 0)
                num(row, c, r.place);
            ++c;
            text(row, c++, r.driver.birthYear ? r.driver.name + u" ("_s + QString::number(r.driver.birthYear) + u')'
                                              : r.driver.name);
            if (!teams)
                text(row, c++, r.driver.club);
            for (qsizetype e = 0; e < report.events.size(); ++e, ++c) {
                const std::optional<EventScore> &s = r.events.value(e);
                if (s && !s->struck)
                    num(row, c, s->points);
                else
                    text(row, c, scoreText(s));
            }
            num(row, c++, r.sum, true);
            num(row, c++, r.starts);
            ++row;
            if (!teams && cs.qualified > 0 && i + 1 == cs.qualified)
                text(row++, 1, u"———  "_s + qualificationLineText(cs) + u"  ———"_s, true);
        }
        sheet.columnWidths.insert(1, 28);
        sheet.columnWidths.insert(2, teams ? 10 : 22);
        book.sheets.append(std::move(sheet));
    };
    for (const ClassStandings &cs : report.standings.classes)
        addSheet(cs, false);
    if (!report.standings.teams.rows.isEmpty())
        addSheet(report.standings.teams, true);
    if (book.sheets.isEmpty())
        addSheet(ClassStandings{u"Meisterschaft"_s, {}, 0}, false);
    try {
        writeXlsxFile(book, path);
    } catch (const AutomationError &e) {
        return e.message();
    }
    return std::nullopt;
}

} // namespace vex
