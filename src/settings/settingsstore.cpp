#include "settings/settingsstore.h"

#include <QtEndian>

#include <algorithm>
#include <array>
#include <iterator>
#include <variant>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The port number is kept in a byte.
struct PortNumber
{
    int Settings::*member;
};

using Member = std::variant<int Settings::*, PortNumber, bool Settings::*, quint32 Settings::*,
                            QString Settings::*, double Settings::*>;

struct Field
{
    QStringView name;
    Member member;
};

// Reading order.
const std::array<Field, 68> kFields{{
    {u"Left", &Settings::Left},
    {u"Top", &Settings::Top},
    {u"Width", &Settings::Width},
    {u"Height", &Settings::Height},
    {u"Sound", &Settings::Sound},
    {u"Port", PortNumber{&Settings::Port}},
    {u"Alg", &Settings::Alg},
    {u"FilterInd", &Settings::FilterInd},
    {u"Monitor", &Settings::Monitor},
    {u"Klass", &Settings::Klass},
    {u"StartLock", &Settings::StartLock},
    {u"Wait", &Settings::Wait},
    {u"LsCFG", &Settings::LsCFG},
    {u"AutoEin", &Settings::AutoEin},
    {u"FilterIndO", &Settings::FilterIndO},
    {u"AutoEinS", &Settings::AutoEinS},
    {u"Manuell", &Settings::Manuell},
    {u"Title", &Settings::Title},
    {u"Kontakt", &Settings::Kontakt},
    {u"LaufCount", &Settings::LaufCount},
    {u"Bonus", &Settings::Bonus},
    {u"Multi", &Settings::Multi},
    {u"Adel", &Settings::Adel},
    {u"ZeitStandart", &Settings::ZeitStandart},
    {u"ZeitMax", &Settings::ZeitMax},
    {u"ZFCalc", &Settings::ZFCalc},
    {u"Title2", &Settings::Title2},
    {u"Katego", &Settings::Katego},
    {u"Dist", &Settings::Dist},
    {u"Skor", &Settings::Skor},
    {u"AutoRang", &Settings::AutoRang},
    {u"EditRes", &Settings::EditRes},
    {u"ColorText", &Settings::ColorText},
    {u"ColorZeit", &Settings::ColorZeit},
    {u"ColorBZeit", &Settings::ColorBZeit},
    {u"ColorFon", &Settings::ColorFon},
    {u"cbClub", &Settings::cbClub},
    {u"ExcelX", &Settings::ExcelX},
    {u"ExcelY", &Settings::ExcelY},
    {u"Live", &Settings::Live},
    {u"LivePort", &Settings::LivePort},
    {u"LiveCode", &Settings::LiveCode},
    {u"MinLauf", &Settings::MinLauf},
    {u"WertLaeufe", &Settings::WertLaeufe},
    {u"WertZaehlt", &Settings::WertZaehlt},
    {u"WertGleich", &Settings::WertGleich},
    {u"WertStrafMax", &Settings::WertStrafMax},
    {u"TeamZaehlt", &Settings::TeamZaehlt},
    {u"TeamPunkte", &Settings::TeamPunkte},
    {u"UrkundenPlaetze", &Settings::UrkundenPlaetze},
    {u"UrkundenBild", &Settings::UrkundenBild},
    {u"Inet", &Settings::Inet},
    {u"InetAdresse", &Settings::InetAdresse},
    {u"InetOrdner", &Settings::InetOrdner},
    {u"InetBenutzer", &Settings::InetBenutzer},
    {u"InetIntervall", &Settings::InetIntervall},
    {u"InetInhalt", &Settings::InetInhalt},
    {u"InetNamen", &Settings::InetNamen},
    {u"InetVertrauen", &Settings::InetVertrauen},
    {u"Ort", &Settings::Ort},
    {u"Unterschrift1", &Settings::Unterschrift1},
    {u"Unterschrift2", &Settings::Unterschrift2},
    {u"Quelle", &Settings::Quelle},
    {u"TimerPort", &Settings::TimerPort},
    {u"TimerBaud", &Settings::TimerBaud},
    {u"TafelPort", &Settings::TafelPort},
    {u"TafelBaud", &Settings::TafelBaud},
    {u"TafelZeigt", &Settings::TafelZeigt},
}};

// Writing order, which differs from the reading order; saved files follow it.
constexpr std::array<QStringView, 68> kSaveOrder{
    u"Left", u"Top", u"Width", u"Height", u"Port", u"Alg", u"Sound", u"FilterInd", u"Monitor",
    u"Title", u"Klass", u"LsCFG", u"Wait", u"StartLock", u"AutoEin", u"Manuell", u"FilterIndO",
    u"AutoEinS", u"Kontakt", u"LaufCount", u"Bonus", u"Multi", u"Adel", u"ZeitStandart",
    u"ZeitMax", u"ZFCalc", u"Title2", u"Katego", u"Dist", u"Skor", u"AutoRang", u"EditRes",
    u"ColorText", u"ColorZeit", u"ColorBZeit", u"ColorFon", u"cbClub", u"ExcelX", u"ExcelY",
    u"Live", u"LivePort", u"LiveCode", u"MinLauf", u"WertLaeufe", u"WertZaehlt", u"WertGleich", u"WertStrafMax",
    u"TeamZaehlt", u"TeamPunkte", u"UrkundenPlaetze", u"UrkundenBild",
    u"Inet", u"InetAdresse", u"InetOrdner", u"InetBenutzer", u"InetIntervall", u"InetInhalt",
    u"InetNamen", u"InetVertrauen",
    u"Ort", u"Unterschrift1", u"Unterschrift2",
    u"Quelle", u"TimerPort", u"TimerBaud", u"TafelPort", u"TafelBaud", u"TafelZeigt",
};

const Field &fieldNamed(QStringView name)
{
    const auto it = std::find_if(kFields.begin(), kFields.end(),
                                 [&](const Field &f) { return f.name == name; });
    Q_ASSERT(it != kFields.end());
    return *it;
}

// Reads one value into the record; false leaves the field as it was.
struct FieldReader
{
    SettingsBackend &backend;
    Settings &settings;
    QString name;

    bool operator()(int Settings::*member) const
    {
        const auto read = backend.readDword(name);
        if (read.ok())
            settings.*member = read.value;
        return read.ok();
    }
    bool operator()(PortNumber port) const
    {
        const auto read = backend.readDword(name);
        if (read.ok())
            settings.*port.member = read.value & 0xFF;
        return read.ok();
    }
    bool operator()(bool Settings::*member) const
    {
        const auto read = backend.readDword(name);
        if (read.ok())
            settings.*member = read.value != 0;
        return read.ok();
    }
    bool operator()(quint32 Settings::*member) const
    {
        const auto read = backend.readDword(name);
        if (read.ok())
            settings.*member = quint32(read.value);
        return read.ok();
    }
    bool operator()(QString Settings::*member) const
    {
        const auto read = backend.readString(name);
        if (read.ok())
            settings.*member = read.value;
        return read.ok();
    }
    bool operator()(double Settings::*member) const
    {
        const auto read = backend.readBinary(name);
        if (!read.ok() || read.value.size() != sizeof(double))
            return false;
        settings.*member = qFromLittleEndian<double>(read.value.constData());
        return true;
    }
};

struct FieldWriter
{
    SettingsBackend &backend;
    const Settings &settings;
    QString name;

    bool operator()(int Settings::*member) const { return backend.writeDword(name, settings.*member); }
    bool operator()(PortNumber port) const { return backend.writeDword(name, settings.*port.member & 0xFF); }
    bool operator()(bool Settings::*member) const { return backend.writeDword(name, settings.*member ? 1 : 0); }
    bool operator()(quint32 Settings::*member) const
    {
        return backend.writeDword(name, qint32(settings.*member));
    }
    bool operator()(QString Settings::*member) const { return backend.writeString(name, settings.*member); }
    bool operator()(double Settings::*member) const
    {
        QByteArray bytes(sizeof(double), '\0');
        qToLittleEndian<double>(settings.*member, bytes.data());
        return backend.writeBinary(name, bytes);
    }
};

QString failedToSet(QStringView name)
{
    return u"Failed to set data for '%1'"_s.arg(name);
}

} // namespace

QString settingsKeyPath(const QString &appTitle)
{
    return u"Software\\Orrendal\\"_s + appTitle;
}

SettingsStore::SettingsStore(SettingsBackend &backend, QString keyPath)
    : m_backend(backend)
    , m_keyPath(std::move(keyPath))
{
}

LoadResult SettingsStore::load(Settings &settings)
{
    LoadResult result;
    if (!m_backend.openForReading(m_keyPath))
        return result;
    result.keyFound = true;
    for (const Field &field : kFields) {
        if (std::visit(FieldReader{m_backend, settings, field.name.toString()}, field.member))
            ++result.valuesRead;
        else
            result.failedValues.append(field.name.toString());
    }
    m_backend.closeKey();
    keepStartCellOnSheet(settings);
    return result;
}

std::optional<QString> SettingsStore::save(const Settings &settings)
{
    if (!m_backend.openForWriting(m_keyPath))
        return std::nullopt;
    std::optional<QString> failedName;
    for (QStringView name : kSaveOrder) {
        const Field &field = fieldNamed(name);
        if (!std::visit(FieldWriter{m_backend, settings, name.toString()}, field.member)) {
            failedName = name.toString();
            break;
        }
    }
    // The values before a failed one are kept, as the registry keeps them; a
    // backend that stores nothing at all has failed at the first value.
    if (!m_backend.closeKey())
        failedName = kSaveOrder.front().toString();
    if (failedName)
        return failedToSet(*failedName);
    return std::nullopt;
}

} // namespace vex
