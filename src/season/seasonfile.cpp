#include "season/seasonfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr QByteArrayView kMagic = "[Vexilor-Meisterschaft]";
constexpr qint64 kMaxSeasonFileBytes = 4 * 1024 * 1024;

QString clean(const QString &text)
{
    // A value is one line of fields: line breaks and TABs inside are blanks.
    QString out = text;
    for (QChar &c : out) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return out;
}

QString keyFields(const DriverKey &k)
{
    return clean(k.name) + u'\t' + clean(k.club) + u'\t' + QString::number(k.birthYear);
}

std::optional<DriverKey> keyFrom(const QStringList &fields, qsizetype at)
{
    if (fields.size() < at + 3)
        return std::nullopt;
    bool ok = false;
    const int year = fields.at(at + 2).toInt(&ok);
    if (!ok || year < 0)
        return std::nullopt;
    return DriverKey{fields.at(at), fields.at(at + 1), year};
}

QString countingText(const SeasonRules &r)
{
    switch (r.counting) {
    case SeasonRules::Counting::All: return u"alle"_s;
    case SeasonRules::Counting::BestN: return u"beste "_s + QString::number(r.bestN);
    case SeasonRules::Counting::Percent: return QString::number(r.countPercent) + u" %"_s;
    }
    return u"alle"_s;
}

QString qualificationText(const SeasonRules &r)
{
    switch (r.qualification) {
    case SeasonRules::Qualification::None: return u"keine"_s;
    case SeasonRules::Qualification::Count: return QString::number(r.qualifyCount);
    case SeasonRules::Qualification::Percent: return QString::number(r.qualifyPercent) + u" %"_s;
    }
    return u"keine"_s;
}

std::optional<int> number(QStringView text, int low, int high)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

bool readCounting(const QString &v, SeasonRules &r)
{
    if (v == u"alle") {
        r.counting = SeasonRules::Counting::All;
        return true;
    }
    if (v.startsWith(u"beste ")) {
        const auto n = number(QStringView(v).sliced(6), 1, 1000);
        if (!n)
            return false;
        r.counting = SeasonRules::Counting::BestN;
        r.bestN = *n;
        return true;
    }
    if (v.endsWith(u'%')) {
        const auto n = number(QStringView(v).chopped(1), 1, 100);
        if (!n)
            return false;
        r.counting = SeasonRules::Counting::Percent;
        r.countPercent = *n;
        return true;
    }
    return false;
}

bool readQualification(const QString &v, SeasonRules &r)
{
    if (v == u"keine") {
        r.qualification = SeasonRules::Qualification::None;
        return true;
    }
    if (v.endsWith(u'%')) {
        const auto n = number(QStringView(v).chopped(1), 1, 100);
        if (!n)
            return false;
        r.qualification = SeasonRules::Qualification::Percent;
        r.qualifyPercent = *n;
        return true;
    }
    const auto n = number(v, 1, 100000);
    if (!n)
        return false;
    r.qualification = SeasonRules::Qualification::Count;
    r.qualifyCount = *n;
    return true;
}

} // namespace

QByteArray formatSeasonFile(const SeasonDefinition &s, const QDir &folder)
{
    QString out;
    const auto line = [&out](const QString &key, const QString &value) {
        out += key + u'=' + value + u"\r\n"_s;
    };
    out += QString::fromLatin1(kMagic) + u"\r\n"_s;
    line(u"Titel"_s, clean(s.title));
    line(u"Punkte"_s, s.rules.points.toText());
    line(u"Wertung"_s, countingText(s.rules));
    line(u"Mindeststarts"_s, QString::number(s.rules.minStarts));
    line(u"Qualifikation"_s, qualificationText(s.rules));
    line(u"Mannschaft"_s, QString::number(s.rules.teamDrivers));
    for (const SeasonEvent &e : s.events) {
        QString path = folder.relativeFilePath(e.path);
        if (path.startsWith(u"../"))
            path = QDir::cleanPath(e.path);
        line(u"Veranstaltung"_s, (e.date.isValid() ? e.date.toString(Qt::ISODate) : QString()) + u'\t'
                                     + clean(e.name) + u'\t' + clean(path));
    }
    for (const DriverMerge &m : s.merges)
        line(u"Zusammengeführt"_s, keyFields(m.from) + u'\t' + keyFields(m.into));
    for (const DriverPair &p : s.declined)
        line(u"Verschieden"_s, keyFields(p.a) + u'\t' + keyFields(p.b));
    return out.toUtf8();
}

std::optional<SeasonDefinition> parseSeasonFile(QByteArrayView bytes, const QDir &folder, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<SeasonDefinition> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString text = QString::fromUtf8(bytes);
    QStringList lines = text.split(u'\n');
    if (lines.isEmpty() || lines.first().trimmed() != QString::fromLatin1(kMagic))
        return fail(u"Die Datei ist keine Meisterschaft von Vexilor."_s);
    SeasonDefinition s;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString l = lines.at(i);
        if (l.endsWith(u'\r'))
            l.chop(1);
        if (l.trimmed().isEmpty())
            continue;
        const qsizetype eq = l.indexOf(u'=');
        if (eq <= 0)
            return fail(u"Zeile %1 ist unlesbar."_s.arg(i + 1));
        const QString key = l.first(eq);
        const QString value = l.sliced(eq + 1);
        bool ok = true;
        if (key == u"Titel") {
            s.title = value;
        } else if (key == u"Punkte") {
            const auto table = PlacePoints::parse(value);
            ok = table.has_value();
            if (table)
                s.rules.points = *table;
        } else if (key == u"Wertung") {
            ok = readCounting(value.trimmed(), s.rules);
        } else if (key == u"Mindeststarts") {
            const auto n = number(value, 0, 1000);
            ok = n.has_value();
            s.rules.minStarts = n.value_or(0);
        } else if (key == u"Qualifikation") {
            ok = readQualification(value.trimmed(), s.rules);
        } else if (key == u"Mannschaft") {
            const auto n = number(value, 1, 1000);
            ok = n.has_value();
            s.rules.teamDrivers = n.value_or(3);
        } else if (key == u"Veranstaltung") {
            const QStringList f = value.split(u'\t');
            ok = f.size() == 3 && !f.at(2).isEmpty();
            if (ok) {
                const QDate date = QDate::fromString(f.at(0), Qt::ISODate);
                ok = f.at(0).isEmpty() || date.isValid();
                s.events.append({QDir::cleanPath(folder.absoluteFilePath(f.at(2))), f.at(1), date});
            }
        } else if (key == u"Zusammengeführt" || key == u"Verschieden") {
            const QStringList f = value.split(u'\t');
            const auto a = keyFrom(f, 0);
            const auto b = keyFrom(f, 3);
            ok = a && b && f.size() == 6;
            if (ok && key == u"Zusammengeführt")
                s.merges.append({*a, *b});
            else if (ok)
                s.declined.append({*a, *b});
        }
        if (!ok)
            return fail(u"Der Wert in Zeile %1 ist unlesbar: %2"_s.arg(i + 1).arg(l.left(200)));
    }
    return s;
}

std::optional<SeasonDefinition> readSeasonFile(const QString &path, QString *error)
{
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = u"Die Meisterschaft „%1“ lässt sich nicht öffnen."_s.arg(name);
        return std::nullopt;
    }
    if (file.size() > kMaxSeasonFileBytes) {
        if (error)
            *error = u"„%1“ ist zu groß für eine Meisterschaft."_s.arg(name);
        return std::nullopt;
    }
    QString why;
    auto s = parseSeasonFile(file.readAll(), QFileInfo(path).absoluteDir(), &why);
    if (!s && error)
        *error = u"„%1“: %2"_s.arg(name, why);
    return s;
}

std::optional<QString> writeSeasonFile(const SeasonDefinition &season, const QString &path)
{
    QSaveFile file(path);
    const QByteArray bytes = formatSeasonFile(season, QFileInfo(path).absoluteDir());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return u"Die Meisterschaft konnte nicht gespeichert werden: %1"_s.arg(path);
    return std::nullopt;
}

} // namespace vex
