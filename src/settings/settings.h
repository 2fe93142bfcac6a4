#pragma once

#include <QString>
#include <QtGlobal>

namespace vex {

// The main window never gets smaller than its designed minimum. The store
// hands back stored bounds as they are; the window applies this clamp when it
// takes Width and Height, so a stored 500 × 300 opens as 808 × 522.
inline constexpr int kMinWindowWidth = 808;
inline constexpr int kMinWindowHeight = 522;

// Everything the program keeps between runs. Read once at start-up, written
// once at an orderly shutdown; in between the fields are changed in memory by
// the settings dialog, the club check box and the file dialogs.
//
// Colours are Windows colour values: red in the low byte, green in the
// second, blue in the third. Fields marked "carried" are only read and written
// back, so a value set by hand survives a run of the program unchanged.
struct Settings
{
    // Main window bounds in pixels (see kMinWindowWidth / kMinWindowHeight).
    int Left = 324;
    int Top = 116;
    int Width = 808;
    int Height = 544;

    bool Sound = true;       // the start of a run plays the start sound
    int Port = 0;            // n of "COM"n for the light barriers, 0 = none; 0..255
    int Alg = 0;             // contact logic: 0 = "Ein", 1 = "Aus"
    int FilterInd = 1;       // file type of the save dialog, counted from 1
    int Monitor = 0;         // screen of the second-monitor display, from 0
    bool Klass = false;      // carried
    int StartLock = 10000;   // ms the finish barrier stays locked after a start
    int Wait = 3000;         // carried
    int LsCFG = 0;           // carried
    bool AutoEin = false;    // a stopped time is entered automatically
    int FilterIndO = 1;      // file type of the open dialog, counted from 1
    int AutoEinS = 5000;     // ms before the automatic entry
    bool Manuell = true;     // carried
    QString Title = QStringLiteral("Vexilor");  // competition title
    int Kontakt = 0;         // carried
    int LaufCount = 1;       // carried
    bool Bonus = false;      // carried
    int Multi = 5;           // carried
    int Adel = 2;            // carried
    int ZeitStandart = 60;   // carried
    int ZeitMax = 120;       // carried
    bool ZFCalc = true;      // carried
    // Subtitle of the reports; may hold several lines separated by CR LF.
    QString Title2 = QStringLiteral("in Musterstadt am 25.11.2007");
    QString Katego = QStringLiteral("Small");  // carried
    double Dist = 180.0;     // carried
    double Skor = 3.0;       // carried
    bool AutoRang = true;    // ranking is on
    bool EditRes = true;     // carried

    quint32 ColorText = 0x00FFFFFF;   // white: start number, driver name, display title
    quint32 ColorZeit = 0x0000FF00;   // lime: significant digits of the running time
    quint32 ColorBZeit = 0x0042DEDE;  // RGB 222, 222, 66: significant digits of the best time
    quint32 ColorFon = 0x00CA7135;    // RGB 53, 113, 202: leading digits without a value yet

    bool cbClub = true;      // the club column is shown
    int ExcelX = 0;          // column of the Excel start cell, from 0 (0 = A)
    int ExcelY = 6;          // row of the Excel start cell, from 1
    // Whole seconds a run takes at least: a stop sooner after the start is a
    // false contact or a slip of the finger and is ignored; 0 = no minimum.
    int MinLauf = 0;

    // Kept after the values above, whose order older files follow.
    bool Live = false;       // the live results page is served on the network
    int LivePort = 8080;     // its TCP port
    bool LiveCode = true;    // its QR code in a corner of the spectators' display while it is on

    // The regulation of the event ("Wertung").
    int WertLaeufe = 2;      // scoring runs: 2, 3 or 4
    int WertZaehlt = 2;      // of which the best this many count (2...WertLaeufe)
    int WertGleich = 0;      // equal totals: 0 = "gleicher Platz", 1 = "besserer Einzellauf"
    int WertStrafMax = 0;    // penalty seconds counted per run at most; 0 = no cap
    int TeamZaehlt = 3;      // the best this many drivers of a team count
    // Points per class place for the team ranking, place 1 first.
    QString TeamPunkte = QStringLiteral("50, 45, 40, 36, 32, 29, 26, 24, 22, 20, 18, 16, 14, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1");
    int UrkundenPlaetze = 3; // certificates for places 1...this of each class
    QString UrkundenBild;    // background image of the certificates (PNG or JPEG), empty for none

    // The results on the club's web space ("Ergebnisse ins Internet"). The
    // password is never kept here.
    bool Inet = false;
    QString InetAdresse;     // ftp://, ftps://, sftp:// or https:// (WebDAV)
    QString InetOrdner;      // folder on the server
    QString InetBenutzer;
    int InetIntervall = 15;  // seconds between two uploads at least
    int InetInhalt = 15;     // what goes up: 1 page, 2 results.json, 4 protocol text, 8 season page
    int InetNamen = 1;       // 0 full names, 1 first name and initial, 2 start numbers only
    QString InetVertrauen;   // the fingerprint of the server's key or certificate the operator confirmed
    // Where the event takes place, printed beside the date on the certificates.
    QString Ort;
    // Captions of the signature lines on the certificates and the result
    // list, left and right; an empty caption has no line.
    QString Unterschrift1 = QStringLiteral("Fahrtleiter");
    QString Unterschrift2 = QStringLiteral("Zeitnahme");
    // The source of start and finish: 0 the light barriers on the modem
    // lines of Port, 1 a timer's serial output on TimerPort.
    int Quelle = 0;
    QString TimerPort;       // "COM3" or a device path (Linux); empty: none
    int TimerBaud = 9600;
    // The display board at the finish; TafelZeigt sums BoardShows.
    QString TafelPort;       // as TimerPort; empty: no board
    int TafelBaud = 2400;
    int TafelZeigt = 7;

    bool operator==(const Settings &) const = default;
};

// The start cell of the workbook import lies on a sheet: columns A to XFD
// (0 to 16383), rows 1 to 1048576, as the workbook formats have them. A
// hand-edited store may hold anything, and a column far beyond overflowed
// the import's cell arithmetic.
inline constexpr int kLastSheetColumn = 16383;
inline constexpr int kLastSheetRow = 1048576;
void keepStartCellOnSheet(Settings &settings);

// The second-monitor display needs an existing screen: an index beyond the
// screens present, or a negative one from a hand-edited store, becomes 0.
void checkMonitorIndex(Settings &settings, int screenCount);

struct Regulation;
struct TeamRules;
// The regulation the settings describe, brought into range.
Regulation regulationOf(const Settings &settings);
// Writes a regulation into the record's "Wertung" values.
void setRegulationFields(Settings &settings, const Regulation &regulation);
// The team rules; a points table that can't be read is the default one.
TeamRules teamRulesOf(const Settings &settings);

} // namespace vex
