#pragma once

#include <QDir>
#include <QLocale>
#include <QString>
#include <QTime>

namespace vex {

// The version the windows show: the caption suffix and the about window's line.
inline QString designedCaption() { return QStringLiteral("1.2"); }
inline QString versionText() { return QStringLiteral("Version 1.2 (9.06.2008)"); }
inline QString productName() { return QStringLiteral("Vexilor"); }

// What the program calls itself and where it finds its companion files. All of
// it follows from the program file, so a copy renamed to "Test" keeps its own
// caption, help file and settings key next to the original.
struct AppIdentity
{
    QString title;          // file name without extension: "Vexilor"
    QString caption;        // title + " 1.2"
    QString programFolder;  // absolute, with a trailing '/'
    QString wordTemplate;   // programFolder + "Protokollvorlage.doc"
    QString startSound;     // programFolder + "start.wav", empty when absent
    QString stopSound;      // programFolder + "stopp.wav", empty when absent
    QString logoFile;       // "logo.jpg" in the current directory, not the program folder

    // The program passes QCoreApplication::applicationFilePath(); the sound
    // files are looked up once, now.
    static AppIdentity fromExecutable(const QString &executablePath,
                                      const QString &currentDir = QDir::currentPath());
};

// Hint of the automatic-entry switch: the delay in seconds with one decimal and
// the locale's decimal separator ("Automatische Eintragung in 5,0 Sekunden").
QString autoEntryHint(int delayMs, const QLocale &locale = QLocale());

// The time of day as the clock of the top bar shows it: the locale's long time
// format (hours, minutes and seconds, with AM/PM where the locale has it)
// without the time zone that Qt's long format adds.
QString longTimeText(const QTime &time, const QLocale &locale = QLocale());

} // namespace vex
