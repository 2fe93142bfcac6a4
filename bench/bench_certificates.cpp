// The prize-giving's paper: 300 certificates (ten classes, thirty places
// each) over a club's background photo into one PDF, which has to be done in
// well under the five seconds an operator waits for it; and the result list
// as PDF. The baseline is painting the same pages' texts into an image, which
// is the least any PDF of them costs.

#include "reports/certificates.h"
#include "reports/htmlreport.h"
#include "reports/reportdocument.h"
#include "results/competition.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

constexpr int kClasses = 10;
constexpr int kPlaces = 30;

void fill(Competition &c)
{
    QStringList classes;
    for (int k = 0; k < kClasses; ++k) {
        ResultPage &page = *c.page(k);
        page.setCaption(u"K%1"_s.arg(k + 1));
        classes.append(page.caption());
        page.setRowCount(kPlaces + 1);
        for (int i = 1; i <= kPlaces; ++i) {
            QStringList r(kColumnCount);
            r[ColStNr] = QString::number(i);
            r[ColName] = u"Fahrerin %1, Vorname"_s.arg(i);
            r[ColClub] = u"MSC Musterstadt"_s;
            r[ColTotal] = u"1:%1,00"_s.arg(20 + i);
            r[ColPlace] = QString::number(i);
            page.setRow(i, r);
        }
    }
    c.setClasses(classes);
}

double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Competition c;
    fill(c);
    QTemporaryDir dir;
    // A photo-like background of A4 at 150 dpi.
    QImage photo(1240, 1754, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 7 + y) & 0xff, (y * 3) & 0xff, (x ^ y) & 0xff));
    const QString image = dir.filePath(u"grund.jpg"_s);
    photo.save(image, "JPEG", 85);
    const QList<Certificate> certificates = certificatesOf(c, kPlaces);
    const CertificateInfo info{u"Clubmeisterschaft 2026"_s, u"Kart-Slalom\r\nin Musterstadt"_s, u"25.11.2026"_s, image,
                               u"Musterstadt"_s, {u"Fahrtleiter"_s, u"Zeitnahme"_s}};

    QElapsedTimer t;
    t.start();
    const auto error = writeCertificatesPdf(dir.filePath(u"Urkunden.pdf"_s), certificates, info);
    const double pdf = seconds(t);
    if (error) {
        std::printf("certificates failed: %s\n", qPrintable(*error));
        return 1;
    }
    const qint64 size = QFileInfo(dir.filePath(u"Urkunden.pdf"_s)).size();

    CertificateInfo plain = info;
    plain.backgroundPath.clear();
    t.restart();
    (void)writeCertificatesPdf(dir.filePath(u"Ohne.pdf"_s), certificates, plain);
    const double withoutImage = seconds(t);

    // Baseline: the same texts painted into one small image per page.
    t.restart();
    QImage page(595, 842, QImage::Format_RGB32);
    for (const Certificate &cert : certificates) {
        page.fill(Qt::white);
        QPainter p(&page);
        for (const QString &text : {info.title, cert.className, cert.name, cert.club, cert.total, info.date})
            p.drawText(QRect(0, 0, 595, 60), Qt::AlignCenter, text);
    }
    const double baseline = seconds(t);

    HtmlReportInfo report;
    report.title = info.title;
    report.status = resultListStatus(true, QTime(14, 35));
    t.restart();
    (void)writeResultListPdf(buildHtmlReport(c, report), dir.filePath(u"Ergebnisliste.pdf"_s));
    const double list = seconds(t);

    std::printf("%lld certificates as one PDF with a background photo: %.2f s (limit 5 s), %.1f MB; "
                "without the photo %.2f s; texts painted into images %.2f s = %.1fx\n",
                qint64(certificates.size()), pdf, double(size) / 1e6, withoutImage, baseline,
                baseline > 0 ? pdf / baseline : 0.0);
    std::printf("result list of %d x %d drivers as PDF: %.2f s\n", kClasses, kPlaces, list);
    return pdf < 5.0 ? 0 : 1;
}
