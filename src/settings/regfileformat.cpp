#include "settings/regfileformat.h"

#include "text/windows1252.h"

#include <QHash>
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

namespace {

// Keys and values by case-folded name, so that a file of many thousands of
// keys or values is read in one pass. Deleted entries leave a gap that is
// dropped at the end, as indexes must not move while the file is read.
class ExportBuilder
{
public:
    // The key of that path, appended when it is new.
    qsizetype key(const QString &path)
    {
        const QString folded = path.toCaseFolded();
        if (const auto it = m_keyIndex.constFind(folded); it != m_keyIndex.cend())
            return *it;
        m_keys.append(Key{RegKey{path, {}}, {}, false});
        m_keyIndex.insert(folded, m_keys.size() - 1);
        return m_keys.size() - 1;
    }
    void deleteKey(const QString &path)
    {
        if (const auto it = m_keyIndex.constFind(path.toCaseFolded()); it != m_keyIndex.cend()) {
            m_keys[*it].deleted = true;
            m_keyIndex.erase(it);
        }
    }
    // Replaces a value of the same name in its place, or appends it.
    void set(qsizetype keyIndex, RegValue value)
    {
        Key &key = m_keys[keyIndex];
        const qsizetype at = key.find(value.name);
        if (at >= 0) {
            key.key.values[at] = std::move(value);
            return;
        }
        key.key.values.append(std::move(value));
        key.indexLast();
    }
    void deleteValue(qsizetype keyIndex, const QString &name)
    {
        Key &key = m_keys[keyIndex];
        const qsizetype at = key.find(name);
        if (at < 0)
            return;
        if (!key.valueIndex.isEmpty())
            key.valueIndex.remove(name.toCaseFolded());
        key.key.values[at].type = kDeleted;
    }
    QList<RegKey> take()
    {
        QList<RegKey> keys;
        keys.reserve(m_keys.size());
        for (Key &key : m_keys) {
            if (key.deleted)
                continue;
            key.key.values.removeIf([](const RegValue &v) { return v.type == kDeleted; });
            keys.append(std::move(key.key));
        }
        return keys;
    }

private:
    // No registry type has this number.
    static constexpr quint32 kDeleted = 0xFFFFFFFF;

    // Most keys hold a few values, searched in a row; a key with many gets
    // an index by name.
    static constexpr qsizetype kIndexFrom = 16;

    struct Key
    {
        RegKey key;
        QHash<QString, qsizetype> valueIndex;
        bool deleted = false;

        qsizetype find(const QString &name) const
        {
            if (!valueIndex.isEmpty())
                return valueIndex.value(name.toCaseFolded(), -1);
            for (qsizetype i = 0; i < key.values.size(); ++i) {
                if (key.values[i].type != kDeleted && sameName(key.values[i].name, name))
                    return i;
            }
            return -1;
        }
        void indexLast()
        {
            const qsizetype n = key.values.size();
            if (n < kIndexFrom)
                return;
            if (valueIndex.isEmpty()) {
                for (qsizetype i = 0; i < n; ++i) {
                    if (key.values[i].type != kDeleted)
                        valueIndex.insert(key.values[i].name.toCaseFolded(), i);
                }
                return;
            }
            valueIndex.insert(key.values[n - 1].name.toCaseFolded(), n - 1);
        }
    };
    QList<Key> m_keys;
    QHash<QString, qsizetype> m_keyIndex;
};

} // namespace

QList<RegKey> parseRegExport(QStringView text)
{
    return readRegExport(text).keys;
}

RegExport readRegExport(QStringView text)
{
    RegExport result;
    ExportBuilder builder;
    qsizetype current = -1;  // the open key, -1 while outside a usable key
    const auto lines = text.split(u'\n');

    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(kHeader5) || line.startsWith(kHeader4)) {
            result.headerFound = true;
            continue;
        }

        if (line.startsWith(u'[')) {
            current = -1;
            if (!line.endsWith(u']')) {
                ++result.unreadableLines;
                continue;
            }
            QString path = line.sliced(1, line.size() - 2).trimmed().toString();
            if (path.startsWith(u'-')) {
                builder.deleteKey(path.sliced(1));
                continue;
            }
            current = builder.key(path);
            continue;
        }

        QString name;
        qsizetype pos = 0;
        if (line.startsWith(u'@')) {
            pos = 1;
        } else if (auto quoted = parseQuoted(line, pos)) {
            name = *quoted;
        } else {
            ++result.unreadableLines;  // not a value line, or its name was cut off
            continue;
        }
        QStringView rest = line.sliced(pos).trimmed();
        if (!rest.startsWith(u'=')) {
            ++result.unreadableLines;
            continue;
        }
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
            if (cutOff) {
                ++result.unreadableLines;
                continue;
            }
        }

        if (current < 0) {
            ++result.unreadableLines;
            continue;
        }
        const ParsedData parsed = parseData(name, data);
        if (parsed.kind == DataKind::Value)
            builder.set(current, RegValue{name, parsed.type, parsed.data});
        else if (parsed.kind == DataKind::Delete)
            builder.deleteValue(current, name);
        else
            ++result.unreadableLines;
    }
    result.keys = builder.take();
    return result;
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
    const QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE)(view.sliced(2));
    if (view.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringDecoder::Utf16BE)(view.sliced(2));
    if (view.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(view.sliced(3));
    // UTF-16 that lost its mark still starts with a letter of the header,
    // its other byte zero.
    if (view.size() >= 2 && view[0] != 0 && view[1] == 0)
        return QStringDecoder(QStringDecoder::Utf16LE)(view);
    if (view.size() >= 2 && view[0] == 0 && view[1] != 0)
        return QStringDecoder(QStringDecoder::Utf16BE)(view);
    // A file made by hand (REGEDIT4, an editor's Latin-1 text) is Windows-1252
    // unless it is valid UTF-8.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(view);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(view);
}

QByteArray encodeRegFile(const QString &text)
{
    QStringEncoder toUtf16(QStringEncoder::Utf16LE);
    return QByteArray("\xFF\xFE") + QByteArray(toUtf16(text));
}

} // namespace vex
