#include "settings/regfileformat.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QtEndian>

#include <optional>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

constexpr QStringView kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr QStringView kHeader4 = u"REGEDIT4";
constexpr auto kLineEnd = u"\r\n";
// regedit breaks a hex line once it reaches this many characters.
constexpr qsizetype kHexLineLimit = 77;

bool sameName(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A quoted name or string in export escaping; `pos` is at the opening quote
// and ends after the closing one. Only \\ and \" are escapes; any other
// backslash is taken as it is, as hand-written paths often have them.
std::optional<QString> parseQuoted(QStringView line, qsizetype &pos)
{
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString text;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            ++pos;
            return text;
        }
        if (c == u'\\' && pos + 1 < line.size() && (line[pos + 1] == u'\\' || line[pos + 1] == u'"'))
            ++pos;
        text += line[pos];
    }
    return std::nullopt;  // no closing quote: the line was cut off
}

std::optional<QByteArray> parseHexBytes(QStringView list)
{
    QByteArray bytes;
    list = list.trimmed();
    if (list.isEmpty())
        return bytes;
    const auto items = list.split(u',');
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QStringView item = items[i].trimmed();
        if (item.isEmpty() && i == items.size() - 1 && i > 0)
            break;  // a trailing comma
        bool ok = false;
        const uint byte = item.toUInt(&ok, 16);
        if (!ok || item.size() > 2)
            return std::nullopt;
        bytes.append(char(byte));
    }
    return bytes;
}

enum class DataKind { Value, Delete, Invalid };

struct ParsedData
{
    DataKind kind = DataKind::Invalid;
    quint32 type = RegNone;
    QByteArray data;
};

ParsedData parseData(const QString &name, QStringView data)
{
    ParsedData result;
    if (data == u"-") {
        result.kind = DataKind::Delete;
        return result;
    }
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        const auto text = parseQuoted(data, pos);
        if (!text || !data.sliced(pos).trimmed().isEmpty())
            return result;
        const RegValue value = stringValue(name, *text);
        result = {DataKind::Value, value.type, value.data};
        return result;
    }
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.sliced(6).trimmed();
        bool ok = false;
        const uint number = digits.toUInt(&ok, 16);
        if (!ok || digits.isEmpty() || digits.size() > 8)
            return result;
        const RegValue value = dwordValue(name, qint32(number));
        result = {DataKind::Value, value.type, value.data};
        return result;
    }
    if (!data.startsWith(u"hex", Qt::CaseInsensitive))
        return result;
    QStringView rest = data.sliced(3);
    quint32 type = RegBinary;
    if (rest.startsWith(u'(')) {
        const qsizetype close = rest.indexOf(u')');
        if (close < 0)
            return result;
        bool ok = false;
        type = rest.sliced(1, close - 1).toUInt(&ok, 16);
        if (!ok)
            return result;
        rest = rest.sliced(close + 1);
    }
    if (!rest.startsWith(u':'))
        return result;
    const auto bytes = parseHexBytes(rest.sliced(1));
    if (!bytes)
        return result;
    result = {DataKind::Value, type, *bytes};
    return result;
}

// A line that continues hex data is indented hex; one that starts a value or
// a key means the continuation was lost, and that line stands on its own.
bool looksLikeContinuation(QStringView line)
{
    const QStringView t = line.trimmed();
    return !(t.startsWith(u'"') || t.startsWith(u'@') || t.startsWith(u'['));
}

QString escapeQuoted(const QString &text)
{
    QString out = text;
    out.replace(u'\\', u"\\\\"_s);
    out.replace(u'"', u"\\\""_s);
    return u'"' + out + u'"';
}

void appendHexData(QString &line, const QByteArray &data)
{
    qsizetype lineLength = line.size();
    for (qsizetype i = 0; i < data.size(); ++i) {
        line += QString::number(uchar(data[i]), 16).rightJustified(2, u'0');
        if (i == data.size() - 1)
            break;
        line += u',';
        lineLength += 3;
        if (lineLength >= kHexLineLimit) {
            line += u"\\\r\n  "_s;
            lineLength = 2;
        }
    }
}

// A REG_SZ that reads back exactly as written between quotes.
bool fitsBetweenQuotes(const RegValue &value)
{
    const QString text = stringFromRegData(value.data);
    if (text.contains(u'\r') || text.contains(u'\n'))
        return false;
    return stringValue(value.name, text).data == value.data;
}

QString formatValue(const RegValue &value)
{
    QString line = value.name.isEmpty() ? u"@"_s : escapeQuoted(value.name);
    line += u'=';
    if (value.type == RegSz && fitsBetweenQuotes(value)) {
        line += escapeQuoted(stringFromRegData(value.data));
    } else if (value.type == RegDword && value.data.size() == 4) {
        const quint32 number = qFromLittleEndian<quint32>(value.data.constData());
        line += u"dword:"_s + QString::number(number, 16).rightJustified(8, u'0');
    } else {
        line += value.type == RegBinary ? u"hex:"_s
                                        : u"hex("_s + QString::number(value.type, 16) + u"):"_s;
        appendHexData(line, value.data);
    }
    return line;
}

} // namespace

const RegValue *RegKey::find(QStringView name) const
{
    for (const RegValue &value : values) {
        if (sameName(value.name, name))
            return &value;
    }
    return nullptr;
}

void RegKey::set(RegValue value)
{
    for (RegValue &existing : values) {
        if (sameName(existing.name, value.name)) {
            existing = std::move(value);
            return;
        }
    }
    values.append(std::move(value));
}

RegValue dwordValue(const QString &name, qint32 value)
{
    QByteArray data(4, '\0');
    qToLittleEndian<qint32>(value, data.data());
    return {name, RegDword, data};
}

RegValue stringValue(const QString &name, const QString &text, quint32 type)
{
    QStringEncoder toUtf16(QStringEncoder::Utf16LE);
    QByteArray data = toUtf16(text);
    data.append(2, '\0');
    return {name, type, data};
}

QString stringFromRegData(const QByteArray &data)
{
    QStringDecoder fromUtf16(QStringDecoder::Utf16LE);
    QString text = fromUtf16(QByteArrayView(data).first(data.size() & ~qsizetype(1)));
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return text;
}

QList<RegKey> parseRegExport(QStringView text)
{
    QList<RegKey> keys;
    qsizetype current = -1;  // index into keys, -1 while outside a usable key
    const auto lines = text.split(u'\n');

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(kHeader5) || line.startsWith(kHeader4))
            continue;

        if (line.startsWith(u'[')) {
            current = -1;
            if (!line.endsWith(u']'))
                continue;
            QString path = line.sliced(1, line.size() - 2).trimmed().toString();
            const bool deleted = path.startsWith(u'-');
            if (deleted)
                path.remove(0, 1);
            qsizetype found = -1;
            for (qsizetype k = 0; k < keys.size(); ++k) {
                if (sameName(keys[k].path, path))
                    found = k;
            }
            if (deleted) {
                if (found >= 0)
                    keys.removeAt(found);
                continue;
            }
            if (found < 0) {
                keys.append(RegKey{path, {}});
                found = keys.size() - 1;
            }
            current = found;
            continue;
        }

        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else if (auto quoted = parseQuoted(line, pos)) {
            name = *quoted;
        } else {
            continue;  // not a value line, or its name was cut off
        }
        QStringView rest = line.sliced(pos).trimmed();
        if (!rest.startsWith(u'='))
            continue;
        QString data = rest.sliced(1).trimmed().toString();

        if (data.startsWith(u"hex", Qt::CaseInsensitive)) {
            bool cutOff = false;
            while (data.endsWith(u'\\')) {
                data.chop(1);
                if (i + 1 >= lines.size() || !looksLikeContinuation(lines[i + 1])) {
                    cutOff = true;
                    break;
                }
                data += lines[++i].trimmed();
            }
            if (cutOff)
                continue;
        }

        if (current < 0)
            continue;
        const ParsedData parsed = parseData(name, data);
        RegKey &key = keys[current];
        if (parsed.kind == DataKind::Value) {
            key.set(RegValue{name, parsed.type, parsed.data});
        } else if (parsed.kind == DataKind::Delete) {
            key.values.removeIf([&](const RegValue &v) { return sameName(v.name, name); });
        }
    }
    return keys;
}

QString formatRegExport(const QList<RegKey> &keys)
{
    QString text = kHeader5.toString() + kLineEnd + kLineEnd;
    for (const RegKey &key : keys) {
        text += u'[' + key.path + u']' + kLineEnd;
        for (const RegValue &value : key.values)
            text += formatValue(value) + kLineEnd;
        text += kLineEnd;
    }
    return text;
}

QString decodeRegFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder fromUtf16(QStringDecoder::Utf16LE);
        return fromUtf16(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(QByteArrayView(bytes).sliced(3));
    return QString::fromUtf8(bytes);
}

QByteArray encodeRegFile(const QString &text)
{
    QStringEncoder toUtf16(QStringEncoder::Utf16LE);
    return QByteArray("\xFF\xFE") + QByteArray(toUtf16(text));
}

} // namespace vex
