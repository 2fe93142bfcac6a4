#include "reports/certificates.h"

#include "results/competition.h"
#include "results/genderbest.h"
#include "timing/timetext.h"
#include "results/runcell.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QRegularExpression>
#include <QPdfWriter>
#include <QSaveFile>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

int placeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok && value > 0 ? value : 0;
}

// Lines of text centred across the page, each in its own size, from a top
// given in parts of the page height.
struct PageWriter
{
    QPainter &painter;
    QRectF page;

    void line(const QString &text, double top, double pointSize, bool bold = false, bool italic = false)
    {
        if (text.isEmpty())
            return;
        QFont font(u"Liberation Sans"_s);
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(pointSize);
        font.setBold(bold);
        font.setItalic(italic);
        painter.setFont(font);
        const double height = page.height() * 0.08;
        const QRectF box(page.left() + page.width() * 0.08, page.top() + page.height() * top,
                         page.width() * 0.84, height);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
    }
};

// Lines to sign on, each with its caption beneath: one in the middle, two
// at the left and the right.
void paintSignatures(QPainter &painter, const QRectF &page, const QStringList &captions)
{
    QStringList shown;
    for (const QString &c : captions) {
        if (!c.trimmed().isEmpty())
            shown.append(c.trimmed());
    }
    if (shown.isEmpty())
        return;
    QFont font(u"Liberation Sans"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(11);
    painter.setFont(font);
    const double width = page.width() * 0.32;
    const double lineY = page.top() + page.height() * 0.88;
    const QList<double> centres = shown.size() == 1 ? QList<double>{0.5} : QList<double>{0.27, 0.73};
    painter.save();
    painter.setPen(QPen(Qt::black, std::max(1.0, page.width() / 1200.0)));
    for (qsizetype i = 0; i < std::min<qsizetype>(shown.size(), 2); ++i) {
        const double centre = page.left() + page.width() * centres.at(i);
        painter.drawLine(QPointF(centre - width / 2, lineY), QPointF(centre + width / 2, lineY));
        const QRectF box(centre - width / 2, lineY + page.height() * 0.005, width, page.height() * 0.04);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, shown.at(i));
    }
    painter.restore();
}

void paintOne(QPainter &painter, const QRectF &page, const QImage &background, const Certificate &c,
              const CertificateInfo &info)
{
    if (!background.isNull())
        painter.drawImage(page, background);
    painter.setPen(Qt::black);
    PageWriter w{painter, page};
    w.line(info.title, 0.10, 26, true);
    QString subtitle = info.subtitle;
    subtitle.replace(u"\r\n"_s, u"\n"_s);
    w.line(subtitle, 0.17, 14);
    w.line(u"URKUNDE"_s, 0.28, 40, true);
    w.line(u"Klasse "_s + c.className, 0.40, 18);
    w.line(c.honour.isEmpty() ? u"%1. Platz"_s.arg(c.place) : c.honour, 0.47, c.honour.isEmpty() ? 36 : 30, true);
    w.line(c.name, 0.58, 26, true);
    w.line(c.club, 0.65, 16, false, true);
    if (!c.total.isEmpty())
        w.line((c.honour.isEmpty() ? u"Gesamtzeit: "_s : u"Laufzeit: "_s) + c.total, 0.72, 16);
    w.line(placeAndDate(info.place, info.date), 0.79, 12);
    paintSignatures(painter, page, info.signatures);
}

} // namespace

QString certificateName(const QString &listName)
{
    const QString name = listName.trimmed();
    if (name.count(u',') != 1)
        return name;
    const qsizetype comma = name.indexOf(u',');
    const QString family = name.left(comma).trimmed();
    QString given = name.mid(comma + 1).trimmed();
    if (family.isEmpty() || given.isEmpty())
        return name;
    static const QRegularExpression year(u"\\s*(\\(\\s*\\d{4}\\s*\\))$"_s);
    const QRegularExpressionMatch m = year.match(given);
    if (m.hasMatch() && m.capturedStart() > 0)
        return given.left(m.capturedStart()) + u' ' + family + u' ' + m.captured(1);
    return given + u' ' + family;
}

QString placeAndDate(const QString &place, const QString &date)
{
    const QString p = place.trimmed();
    const QString d = date.trimmed();
    if (p.isEmpty() || d.isEmpty())
        return p + d;
    return p + u", "_s + d;
}

QList<Certificate> certificatesOf(const Competition &competition, int places)
{
    QList<Certificate> list;
    const int pages = int(std::clamp<qsizetype>(competition.classes().size(), 1, Competition::pageCount()));
    for (int k = 0; k < pages; ++k) {
        const ResultPage &page = *competition.page(k);
        QList<Certificate> ofClass;
        for (int row = 1; row < page.rows(); ++row) {
            const QString total = page.cell(row, ColTotal).trimmed();
            const int place = placeNumber(page.cell(row, ColPlace));
            if (place < 1 || place > places || readRunCell(total).kind != RunCell::Time)
                continue;
            ofClass.append({page.caption().trimmed(), place, page.cell(row, ColStNr).trimmed(),
                            certificateName(page.cell(row, ColName)), page.cell(row, ColClub).trimmed(), total, {}});
        }
        std::stable_sort(ofClass.begin(), ofClass.end(),
                         [](const Certificate &a, const Certificate &b) { return a.place < b.place; });
        list += ofClass;
    }
    return list;
}

QList<Certificate> fastestCertificates(const Competition &competition)
{
    QList<Certificate> list;
    for (const Gender g : {Gender::Girl, Gender::Boy}) {
        const DayBest best = findFastest(competition, g);
        if (!best.found)
            continue;
        Certificate c;
        c.className = best.className;
        c.startNumber = best.startNumber;
        c.name = certificateName(best.name);
        c.club = best.club;
        c.total = MsToText(best.ms);
        c.honour = fastestTitle(g);
        list.append(c);
    }
    return list;
}

std::optional<QString> paintCertificates(QPagedPaintDevice &device, const QList<Certificate> &certificates,
                                         const CertificateInfo &info)
{
    QImage background;
    if (!info.backgroundPath.isEmpty()) {
        QImageReader reader(info.backgroundPath);
        const QByteArray format = reader.format().toLower();
        if (format != "png" && format != "jpeg" && format != "jpg")
            return u"Das Hintergrundbild ist kein PNG- oder JPEG-Bild: "_s + info.backgroundPath;
        // A picture far larger than a page at print resolution only slows
        // the printing down; it is scaled to one.
        reader.setAutoTransform(true);
        background = reader.read();
        if (background.isNull())
            return u"Das Hintergrundbild kann nicht gelesen werden: "_s + info.backgroundPath;
        if (background.width() > 2480 || background.height() > 3508)
            background = background.scaled(2480, 3508, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter;
    if (!painter.begin(&device))
        return u"Die Urkunden können nicht gedruckt werden."_s;
    const QRectF page(0, 0, device.width(), device.height());
    for (qsizetype i = 0; i < certificates.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return u"Die Urkunden können nicht gedruckt werden."_s;
        }
        paintOne(painter, page, background, certificates.at(i), info);
    }
    if (!painter.end())
        return u"Die Urkunden können nicht gedruckt werden."_s;
    return std::nullopt;
}

std::optional<QString> writeCertificatesPdf(const QString &path, const QList<Certificate> &certificates,
                                            const CertificateInfo &info)
{
    if (certificates.isEmpty())
        return u"Es gibt noch keine Plätze, für die Urkunden gedruckt werden könnten."_s;
    const QString failed = u"Die Urkunden konnten nicht als PDF gespeichert werden: "_s + path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed;
    std::optional<QString> error;
    {
        QPdfWriter writer(&file);
        writer.setResolution(150);
        writer.setTitle(u"Urkunden"_s);
        writer.setCreator(u"Vexilor"_s);
        error = paintCertificates(writer, certificates, info);
    }
    if (error) {
        file.cancelWriting();
        return error;
    }
    if (file.error() != QFileDevice::NoError || !file.commit())
        return failed;
    return std::nullopt;
}

} // namespace vex
