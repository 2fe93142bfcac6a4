#pragma once

#include <QList>
#include <QString>

#include <optional>

class QPagedPaintDevice;

namespace vex {

class Competition;

// One driver's certificate.
struct Certificate
{
    QString className;
    int place = 0;
    QString startNumber;
    QString name;
    QString club;
    QString total;
};

// What every certificate of the day carries besides the driver's own.
struct CertificateInfo
{
    QString title;    // the competition's title
    QString subtitle; // may hold several lines (CR LF)
    QString date;     // as printed, e.g. "25.11.2026"
    // A PNG or JPEG filling the page behind the text; none when empty.
    QString backgroundPath;
};

// The certificates of places 1...places of each class, classes in class-list
// order, each class's drivers as ranked (shared places each get theirs).
// Only drivers with a total and a place count: a disqualified driver or one
// without a total gets none.
QList<Certificate> certificatesOf(const Competition &competition, int places);

// Paints one A4 page per certificate onto a PDF writer or a printer the
// caller has set up. Nothing on success, the operator's message otherwise
// (a background image that can't be read, a device that fails).
std::optional<QString> paintCertificates(QPagedPaintDevice &device, const QList<Certificate> &certificates,
                                         const CertificateInfo &info);

// All certificates as one PDF file; the file is replaced only by a complete
// new one. An empty list writes nothing and says so.
std::optional<QString> writeCertificatesPdf(const QString &path, const QList<Certificate> &certificates,
                                            const CertificateInfo &info);

} // namespace vex
