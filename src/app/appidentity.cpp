#include "app/appidentity.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString existingOrEmpty(const QString &path)
{
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

AppIdentity AppIdentity::fromExecutable(const QString &executablePath, const QString &currentDir)
{
    const QFileInfo exe(executablePath);
    AppIdentity id;
    // Only a trailing ".exe" goes: "Vexilor.exe" and a bare "Vexilor" both
    // give "Vexilor", while "vexilor-1.2" keeps its dot and its settings.
    id.title = exe.fileName();
    static constexpr QStringView exeSuffix = u".exe";
    if (id.title.size() > exeSuffix.size() && id.title.endsWith(exeSuffix, Qt::CaseInsensitive))
        id.title.chop(exeSuffix.size());
    id.caption = id.title + u' ' + designedCaption();
    id.programFolder = exe.absolutePath();
    if (!id.programFolder.endsWith(u'/'))
        id.programFolder += u'/';
    id.wordTemplate = id.programFolder + u"Protokollvorlage.doc"_s;
    id.startSound = existingOrEmpty(id.programFolder + u"start.wav"_s);
    id.stopSound = existingOrEmpty(id.programFolder + u"stopp.wav"_s);
    id.logoFile = QDir(currentDir).absoluteFilePath(u"logo.jpg"_s);
    return id;
}

QString autoEntryHint(int delayMs, const QLocale &locale)
{
    // Like printf's %1.1f: no thousands grouping, only the separator is local.
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return u"Automatische Eintragung in %1 Sekunden"_s.arg(plain.toString(delayMs / 1000.0, 'f', 1));
}

QString longTimeText(const QTime &time, const QLocale &locale)
{
    // Drop the zone letters outside quoted literals; what is left is the
    // operator's familiar clock format.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString withoutZone;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        withoutZone += c;
    }
    return locale.toString(time, withoutZone.simplified());
}

} // namespace vex
