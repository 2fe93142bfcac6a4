// A compound file's workbook stream, followed just far enough to find the
// number-carrying cell records. Every read is checked against the bytes
// there are; a chain that loops or leaves the file ends the reading.
#include "office/xlsnumbers.h"

#include <QList>

#include <algorithm>
#include <cstring>

namespace vex {

namespace {

constexpr quint32 kEndOfChain = 0xFFFFFFFE;

class Bytes
{
public:
    explicit Bytes(const QByteArray &data)
        : m_data(data)
    {
    }
    bool has(qint64 offset, qint64 length) const
    {
        return offset >= 0 && length >= 0 && offset + length <= m_data.size();
    }
    quint32 u8(qint64 at) const { return has(at, 1) ? uchar(m_data[at]) : 0; }
    quint32 u16(qint64 at) const { return u8(at) | u8(at + 1) << 8; }
    quint32 u32(qint64 at) const { return u16(at) | u16(at + 2) << 16; }
    double f64(qint64 at) const
    {
        quint64 bits = quint64(u32(at)) | quint64(u32(at + 4)) << 32;
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    QByteArray mid(qint64 at, qint64 length) const { return has(at, length) ? m_data.mid(at, length) : QByteArray(); }
    qint64 size() const { return m_data.size(); }

private:
    const QByteArray &m_data;
};

class CompoundFile
{
public:
    explicit CompoundFile(const QByteArray &file)
        : m_file(file)
        , m_bytes(m_file)
    {
        if (!file.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) || file.size() < 512)
            return;
        const quint32 shift = m_bytes.u16(0x1E);
        const quint32 miniShift = m_bytes.u16(0x20);
        if ((shift != 9 && shift != 12) || miniShift != 6)
            return;
        m_sectorSize = 1 << shift;
        QList<quint32> fatSectors;
        for (int i = 0; i < 109; ++i)
            fatSectors.append(m_bytes.u32(0x4C + 4 * i));
        quint32 dif = m_bytes.u32(0x44);
        for (quint32 n = 0; n < m_bytes.u32(0x48) && dif < kEndOfChain && n < 1000; ++n) {
            const qint64 at = sectorOffset(dif);
            // A sector outside the file ends the table: its count may claim
            // thousands, and each would add a sector's worth of entries.
            if (!m_bytes.has(at, m_sectorSize))
                break;
            const int perSector = m_sectorSize / 4 - 1;
            for (int i = 0; i < perSector; ++i)
                fatSectors.append(m_bytes.u32(at + 4 * i));
            dif = m_bytes.u32(at + 4 * perSector);
        }
        // No more table sectors than the file has sectors.
        const quint32 fatCount = std::min<quint32>({m_bytes.u32(0x2C), quint32(fatSectors.size()), fileSectors()});
        for (quint32 i = 0; i < fatCount; ++i) {
            const qint64 at = sectorOffset(fatSectors.at(i));
            if (!m_bytes.has(at, m_sectorSize))
                return;
            for (int k = 0; k < m_sectorSize / 4; ++k)
                m_fat.append(m_bytes.u32(at + 4 * k));
        }
        m_directory = chain(m_fat, m_bytes.u32(0x30), m_sectorSize, fileSectors(), [this](quint32 s) {
            return m_bytes.mid(sectorOffset(s), m_sectorSize);
        });
        const QByteArray miniFatBytes = chain(m_fat, m_bytes.u32(0x3C), m_sectorSize, fileSectors(), [this](quint32 s) {
            return m_bytes.mid(sectorOffset(s), m_sectorSize);
        });
        for (qsizetype i = 0; i + 4 <= miniFatBytes.size(); i += 4)
            m_miniFat.append(Bytes(miniFatBytes).u32(i));
        m_miniCutoff = m_bytes.u32(0x38);
        m_valid = m_directory.size() >= 128;
    }

    // The stream of that name in the root storage, or nothing.
    QByteArray stream(const QString &name) const
    {
        if (!m_valid)
            return {};
        const Bytes directory(m_directory);
        const QByteArray rootStream = chain(m_fat, directory.u32(0x74), m_sectorSize, fileSectors(), [this](quint32 s) {
            return m_bytes.mid(sectorOffset(s), m_sectorSize);
        });
        for (qint64 at = 0; at + 128 <= m_directory.size(); at += 128) {
            const quint32 nameBytes = std::min<quint32>(directory.u16(at + 0x40), 64);
            if (directory.u8(at + 0x42) != 2 || nameBytes < 2)
                continue;
            const QByteArray raw = m_directory.mid(at, nameBytes - 2);
            const QString entry = QString::fromUtf16(reinterpret_cast<const char16_t *>(raw.constData()), raw.size() / 2);
            if (entry != name)
                continue;
            const quint32 start = directory.u32(at + 0x74);
            const quint32 size = directory.u32(at + 0x78);
            QByteArray bytes;
            if (size < m_miniCutoff) {
                const Bytes mini(rootStream);
                bytes = chain(m_miniFat, start, 64, quint32(rootStream.size() / 64),
                              [&mini](quint32 s) { return mini.mid(qint64(s) * 64, 64); });
            } else {
                bytes = chain(m_fat, start, m_sectorSize, fileSectors(),
                              [this](quint32 s) { return m_bytes.mid(sectorOffset(s), m_sectorSize); });
            }
            return bytes.size() >= qsizetype(size) ? bytes.left(size) : QByteArray();
        }
        return {};
    }

private:
    qint64 sectorOffset(quint32 sector) const { return (qint64(sector) + 1) * m_sectorSize; }
    quint32 fileSectors() const { return quint32(m_bytes.size() / m_sectorSize); }

    template<typename Read>
    static QByteArray chain(const QList<quint32> &fat, quint32 start, int sectorSize, quint32 sectors, Read read)
    {
        QByteArray bytes;
        // A chain can't be longer than the table, nor visit more sectors
        // than there are; a longer one loops.
        const qsizetype limit = std::min<qsizetype>(fat.size(), sectors);
        for (qsizetype steps = 0; start < kEndOfChain && start < quint32(fat.size()); ++steps) {
            if (steps >= limit)
                return {};
            const QByteArray sector = read(start);
            if (sector.size() != sectorSize)
                return {};
            bytes += sector;
            start = fat.at(start);
        }
        return start == kEndOfChain ? bytes : QByteArray();
    }

    const QByteArray &m_file;
    Bytes m_bytes;
    bool m_valid = false;
    int m_sectorSize = 512;
    quint32 m_miniCutoff = 4096;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_directory;
};

double rkValue(quint32 rk)
{
    double value = 0;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

QString sheetName(const Bytes &record, qint64 at, qint64 end)
{
    const quint32 count = record.u8(at);
    const bool wide = record.u8(at + 1) & 1;
    const QByteArray chars = record.mid(at + 2, std::min<qint64>(qint64(count) * (wide ? 2 : 1), end - at - 2));
    if (wide)
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(chars.constData()), chars.size() / 2);
    return QString::fromLatin1(chars);
}

} // namespace

XlsNumbers readXlsNumbers(const QByteArray &file)
{
    const CompoundFile compound(file);
    QByteArray stream = compound.stream(QStringLiteral("Workbook"));
    if (stream.isEmpty())
        stream = compound.stream(QStringLiteral("Book"));
    const Bytes biff(stream);
    QHash<quint32, QString> sheetAt;
    XlsNumbers numbers;
    QHash<quint32, double> *sheet = nullptr;
    for (qint64 at = 0; biff.has(at, 4);) {
        const quint32 type = biff.u16(at);
        const qint64 length = biff.u16(at + 2);
        const qint64 data = at + 4;
        if (!biff.has(data, length))
            break;
        const auto keep = [&sheet](quint32 row, quint32 column, double value) {
            if (sheet)
                sheet->insert(row << 16 | column, value);
        };
        switch (type) {
        case 0x0085: // BOUNDSHEET
            if (length >= 8)
                sheetAt.insert(biff.u32(data), sheetName(biff, data + 6, data + length));
            break;
        case 0x0809: // BOF
            sheet = sheetAt.contains(quint32(at)) ? &numbers[sheetAt.value(quint32(at))] : nullptr;
            break;
        case 0x000A: // EOF
            sheet = nullptr;
            break;
        case 0x0203: // NUMBER
            if (length >= 14)
                keep(biff.u16(data), biff.u16(data + 2), biff.f64(data + 6));
            break;
        case 0x027E: // RK
            if (length >= 10)
                keep(biff.u16(data), biff.u16(data + 2), rkValue(biff.u32(data + 6)));
            break;
        case 0x00BD: // MULRK
            for (qint64 k = 0; 4 + 6 * (k + 1) + 2 <= length; ++k)
                keep(biff.u16(data), biff.u16(data + 2) + quint32(k), rkValue(biff.u32(data + 4 + 6 * k + 2)));
            break;
        case 0x0006: // FORMULA: a number unless its last two bytes are 0xFFFF
            if (length >= 14 && biff.u16(data + 12) != 0xFFFF)
                keep(biff.u16(data), biff.u16(data + 2), biff.f64(data + 6));
            break;
        default:
            break;
        }
        at = data + length;
    }
    return numbers;
}

} // namespace vex
