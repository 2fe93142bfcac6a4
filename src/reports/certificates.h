#pragma once

#include <QList>
#include <QString>
#include <QStringList>

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
    // In place of the place: "Schnellstes Mädchen" or "Schnellster Junge",
    // with the run's time as total.
    QString honour;
};

// What every certificate of the day carries besides the driver's own.
struct CertificateInfo
{
    QString title;    // the competition's title
    QString subtitle; // may hold several lines (CR LF)
    QString date;     // as printed, e.g. "25.11.2026"
    // A PNG or JPEG filling the page behind the text; none when empty.
    QString backgroundPath;
    QString place;    // where the event took place, before the date
    // Captions of the signature lines, left to right; a blank one has no line.
    QStringList signatures;
};

// The name as a certificate prints it: "Christ, Carla" becomes "Carla
// Christ"; a year in brackets stays at the end ("Berg, Anna (2013)" is
// "Anna Berg (2013)"). A name without exactly one comma between two parts
// is printed as the list gives it.
QString certificateName(const QString &listName);

// The line with place and date at the foot of a certificate:
// "Musterstadt, 25.11.2026", or either alone.
QString placeAndDate(const QString &place, const QString &date);

// The certificates of places 1...places of each class, classes in class-list
// order, each class's drivers as ranked (shared places each get theirs).
// Only drivers with a total and a place count: a disqualified driver or one
// without a total gets none.
QList<Certificate> certificatesOf(const Competition &competition, int places);
// The certificates of the fastest girl and the fastest boy, those found.
QList<Certificate> fastestCertificates(const Competition &competition);

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
