#include "app/cfgdialog.h"

#include "app/algcombo.h"
#include "app/cfgtimingpart.h"
#include "app/cfgexchange.h"
#include "app/publishsettingspage.h"
#include "app/windowplacement.h"
#include "results/regulation.h"
#include "results/placepoints.h"
#include "display/wincolor.h"
#include "widgets/colourbox.h"

#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// A lock time in milliseconds must fit a signed 32-bit interval.
constexpr int kMaxLockSeconds = 2147483;

const QStringList kContacts{u"1+4"_s, u"4+6"_s, u"7+8"_s, u"7+9"_s};

QColor systemColourDialog(const QColor &current, QWidget *parent)
{
    return QColorDialog::getColor(current, parent, u"Farbe"_s);
}

QString systemImageDialog(const QString &current, QWidget *parent)
{
    return QFileDialog::getOpenFileName(parent, u"Hintergrundbild der Urkunden"_s, current,
                                        u"Bilder (*.png *.jpg *.jpeg)"_s);
}

QList<QRect> desktopScreens()
{
    QList<QRect> bounds;
    for (const QScreen *screen : QGuiApplication::screens())
        bounds << screen->geometry();
    return bounds;
}

QLabel *label(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

template<typename T>
T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

quint32 *colourField(Settings &s, int box)
{
    switch (box) {
    case 0:
        return &s.ColorText;
    case 1:
        return &s.ColorZeit;
    case 2:
        return &s.ColorBZeit;
    default:
        return &s.ColorFon;
    }
}

} // namespace

TCFGDialog::TCFGDialog(QWidget *parent, const QList<int> &ports)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
    , m_chooseColour(systemColourDialog)
    , m_screens(desktopScreens)
    , m_chooseImage(systemImageDialog)
{
    setObjectName(u"CFGDialog"_s);
    setWindowTitle(u"Einstellungen"_s);
    buildControls();
    setPorts(ports);
    resize(520, 420);
}

void TCFGDialog::buildControls()
{
    eTitel = named(new QLineEdit(this), u"eTitel"_s);
    Memo1 = named(new QPlainTextEdit(this), u"Memo1"_s);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);
    Memo1->setAccessibleName(u"Untertitel"_s);

    // Light barriers.
    auto *barriers = named(new QGroupBox(u" Lichtschranke/n - Kontakte "_s, this), u"GroupBox1"_s);
    cbPort = named(new QComboBox(barriers), u"cbPort"_s);
    cbAlg = named(new AlgComboBox(barriers), u"cbAlg"_s);
    cbLSstart = named(new QComboBox(barriers), u"cbLSstart"_s);
    cbLSstart->addItems(kContacts);
    cbLSstart->setCurrentIndex(2); // 7+8
    cbLSstop = named(new QComboBox(barriers), u"cbLSstop"_s);
    cbLSstop->addItems(kContacts);
    cbLSstop->setCurrentIndex(0); // 1+4
    seLockTime = named(new QSpinBox(barriers), u"seLockTime"_s);
    seLockTime->setRange(0, kMaxLockSeconds);
    QLabel *algLabel = label(u"Algorithmus:"_s, cbAlg, barriers);
    QLabel *startLabel = label(u"Start - Kontakt:"_s, cbLSstart, barriers);
    QLabel *stopLabel = label(u"Ziel -  Kontakt:"_s, cbLSstop, barriers);
    m_contactLabels = {algLabel, startLabel, stopLabel};
    auto *b = new QGridLayout(barriers);
    b->addWidget(label(u"Anschluss:"_s, cbPort, barriers), 0, 0);
    b->addWidget(cbPort, 0, 1);
    b->addWidget(algLabel, 1, 0);
    b->addWidget(cbAlg, 1, 1);
    b->addWidget(startLabel, 2, 0);
    b->addWidget(cbLSstart, 2, 1);
    b->addWidget(stopLabel, 3, 0);
    b->addWidget(cbLSstop, 3, 1);
    auto *lockText = label(u"Nach dem START automatische LS Sperre"_s, seLockTime, barriers);
    lockText->setWordWrap(true);
    b->addWidget(lockText, 4, 0, 1, 2);
    auto *lockRow = new QHBoxLayout;
    lockRow->addWidget(seLockTime, 1);
    lockRow->addWidget(new QLabel(u"Sek."_s, barriers));
    b->addLayout(lockRow, 5, 0, 1, 2);
    seMinLauf = named(new QSpinBox(barriers), u"seMinLauf"_s);
    seMinLauf->setRange(0, 3599);
    seMinLauf->setSpecialValueText(u"aus"_s);
    seMinLauf->setToolTip(u"Ein Zielkontakt oder Stopp früher nach dem Start wird nicht gezählt"_s);
    auto *minRow = new QHBoxLayout;
    minRow->addWidget(label(u"Mindestlaufzeit"_s, seMinLauf, barriers));
    minRow->addWidget(seMinLauf, 1);
    minRow->addWidget(new QLabel(u"Sek."_s, barriers));
    b->addLayout(minRow, 6, 0, 1, 2);
    b->setRowStretch(7, 1);

    // Display colours, with their previews on black.
    auto *colours = named(new QGroupBox(u" Display Farben "_s, this), u"GroupBox2"_s);
    auto *previewGround = named(new QFrame(colours), u"Shape1"_s);
    QPalette black = previewGround->palette();
    black.setColor(QPalette::Window, Qt::black);
    previewGround->setPalette(black);
    previewGround->setAutoFillBackground(true);
    auto *previews = new QVBoxLayout(previewGround);
    QFont previewFont(u"Arial"_s);
    previewFont.setBold(true);
    previewFont.setPixelSize(16);
    const QStringList captions{u"Text:"_s, u"Zeit:"_s, u"Bestzeit:"_s, u"Sonst:"_s};
    const QStringList samples{u"Text"_s, u"0,00"_s, u"59.59,99"_s, u"00.0"_s};
    auto *c = new QGridLayout(colours);
    for (int i = 0; i < 4; ++i) {
        ColourBox *box = named(new ColourBox(colours), u"oColorCombo%1"_s.arg(i + 1));
        oColorCombo[std::size_t(i)] = box;
        connect(box, &ColourBox::popupRequested, this, [this, i] { oColorComboChange(i); });
        c->addWidget(label(captions.at(i), box, colours), i, 0);
        c->addWidget(box, i, 1);
        QLabel *preview = named(new QLabel(samples.at(i), previewGround), u"LabColor%1"_s.arg(i + 1));
        preview->setFont(previewFont);
        LabColor[std::size_t(i)] = preview;
        previews->addWidget(preview);
    }
    c->addWidget(previewGround, 0, 2, 4, 1);
    c->setColumnStretch(1, 1);

    cbMonitor = named(new QComboBox(this), u"cbMonitor"_s);
    m_monitorLabel = label(u"TV / Zusatzmonitor:"_s, cbMonitor, this);
    eExcel = named(new QLineEdit(this), u"eExcel"_s);
    eExcel->setMaxLength(3);
    eExcel->setValidator(new ExcelCellValidator(eExcel));
    eExcel->setMaximumWidth(60);

    OKBtn = named(new QPushButton(u"OK"_s, this), u"OKBtn"_s);
    OKBtn->setDefault(true);
    BitBtnCancel = named(new QPushButton(u"Abbrechen"_s, this), u"BitBtnCancel"_s);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbPort, &QComboBox::currentIndexChanged, this, &TCFGDialog::cbPortChange);

    tabs = named(new QTabWidget(this), u"tabs"_s);
    auto *general = new QWidget(tabs);
    tabs->addTab(general, u"Allgemein"_s);
    tabs->addTab(buildRegulationPart(), u"Wertung"_s);
    publishPage = named(new PublishSettingsPage(tabs), u"publishPage"_s);
    tabs->addTab(publishPage, u"Internet"_s);
    // The password goes to the publisher only with OK.
    connect(this, &QDialog::accepted, publishPage, &PublishSettingsPage::takePassword);
    timingPart = new TimingDevicesPart(tabs);
    tabs->addTab(timingPart, u"Zeitmessung"_s);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(tabs, 1);

    auto *grid = new QGridLayout(general);
    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(label(u"Titel:"_s, eTitel, this));
    titleRow->addWidget(eTitel, 1);
    grid->addLayout(titleRow, 0, 0);
    grid->addWidget(Memo1, 0, 1, 2, 1);
    grid->addWidget(barriers, 1, 0, 2, 1);
    grid->addWidget(colours, 2, 1);
    auto *monitorRow = new QHBoxLayout;
    monitorRow->addWidget(m_monitorLabel);
    monitorRow->addWidget(cbMonitor, 1);
    grid->addLayout(monitorRow, 3, 0, 1, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(label(u"Startnummern beginnen in Excel ab: "_s, eExcel, this));
    bottom->addWidget(eExcel);
    bottom->addStretch(1);
    bottom->addWidget(OKBtn);
    bottom->addWidget(BitBtnCancel);
    outer->addLayout(bottom);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
}

QWidget *TCFGDialog::buildRegulationPart()
{
    auto *part = named(new QWidget(this), u"Wertung"_s);
    auto *runs = named(new QGroupBox(u" Wertungsläufe "_s, part), u"GroupWertung"_s);
    cbWertLaeufe = named(new QComboBox(runs), u"cbWertLaeufe"_s);
    cbWertLaeufe->addItems({u"2"_s, u"3"_s, u"4"_s});
    cbWertZaehlt = named(new QComboBox(runs), u"cbWertZaehlt"_s);
    cbWertGleich = named(new QComboBox(runs), u"cbWertGleich"_s);
    cbWertGleich->addItems({u"gleicher Platz"_s, u"besserer Einzellauf"_s});
    cbWertGleich->setToolTip(u"Bei gleicher Gesamtzeit: gleicher Platz, oder der bessere Einzellauf entscheidet"_s);
    seWertStrafMax = named(new QSpinBox(runs), u"seWertStrafMax"_s);
    seWertStrafMax->setRange(0, 9999);
    seWertStrafMax->setSpecialValueText(u"keine"_s);
    seWertStrafMax->setSuffix(u" Sek."_s);
    auto *r = new QFormLayout(runs);
    r->addRow(label(u"Wertungsläufe:"_s, cbWertLaeufe, runs), cbWertLaeufe);
    r->addRow(label(u"Davon zählen:"_s, cbWertZaehlt, runs), cbWertZaehlt);
    r->addRow(label(u"Gleiche Gesamtzeit:"_s, cbWertGleich, runs), cbWertGleich);
    r->addRow(label(u"Strafsekunden je Lauf höchstens:"_s, seWertStrafMax, runs), seWertStrafMax);
    connect(cbWertLaeufe, &QComboBox::currentIndexChanged, this, [this] {
        fillCountingRuns(cbWertZaehlt->currentData().toInt());
    });

    auto *teams = named(new QGroupBox(u" Mannschaftswertung (nach Team bzw. Ortsclub) "_s, part), u"GroupTeams"_s);
    teams->setToolTip(u"Die Teams nennt die Spalte „Team“ der Startliste; wer dort keines hat, fährt für seinen Ortsclub."_s);
    seTeamZaehlt = named(new QSpinBox(teams), u"seTeamZaehlt"_s);
    seTeamZaehlt->setRange(1, 99);
    seTeamZaehlt->setPrefix(u"die besten "_s);
    seTeamZaehlt->setSuffix(u" Fahrer/innen"_s);
    eTeamPunkte = named(new QLineEdit(teams), u"eTeamPunkte"_s);
    eTeamPunkte->setToolTip(u"Punkte für Platz 1, 2, 3 … der Klasse, durch Kommas getrennt; weitere Plätze 0"_s);
    lblTeamPunkte = named(new QLabel(teams), u"lblTeamPunkte"_s);
    QPalette red = lblTeamPunkte->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    lblTeamPunkte->setPalette(red);
    auto *t = new QFormLayout(teams);
    t->addRow(label(u"Es zählen:"_s, seTeamZaehlt, teams), seTeamZaehlt);
    t->addRow(label(u"Punkte je Platz:"_s, eTeamPunkte, teams), eTeamPunkte);
    t->addRow(QString(), lblTeamPunkte);
    connect(eTeamPunkte, &QLineEdit::textChanged, this, &TCFGDialog::checkPointsTable);

    auto *awards = named(new QGroupBox(u" Urkunden "_s, part), u"GroupUrkunden"_s);
    seUrkundenPlaetze = named(new QSpinBox(awards), u"seUrkundenPlaetze"_s);
    seUrkundenPlaetze->setRange(1, 99);
    seUrkundenPlaetze->setPrefix(u"Platz 1 bis "_s);
    eUrkundenBild = named(new QLineEdit(awards), u"eUrkundenBild"_s);
    eUrkundenBild->setPlaceholderText(u"kein Hintergrundbild"_s);
    bUrkundenBild = named(new QPushButton(u"…"_s, awards), u"bUrkundenBild"_s);
    bUrkundenBild->setToolTip(u"Hintergrundbild wählen (PNG oder JPEG)"_s);
    connect(bUrkundenBild, &QPushButton::clicked, this, [this] {
        if (!m_chooseImage)
            return;
        const QString chosen = m_chooseImage(eUrkundenBild->text(), this);
        if (!chosen.isEmpty())
            eUrkundenBild->setText(chosen);
    });
    auto *a = new QFormLayout(awards);
    a->addRow(label(u"Urkunden für:"_s, seUrkundenPlaetze, awards), seUrkundenPlaetze);
    auto *imageRow = new QHBoxLayout;
    imageRow->addWidget(eUrkundenBild, 1);
    imageRow->addWidget(bUrkundenBild);
    a->addRow(label(u"Hintergrundbild:"_s, eUrkundenBild, awards), imageRow);
    eOrt = named(new QLineEdit(awards), u"eOrt"_s);
    eOrt->setToolTip(u"Ort der Veranstaltung, vor dem Datum der Urkunden"_s);
    eUnterschrift1 = named(new QLineEdit(awards), u"eUnterschrift1"_s);
    eUnterschrift2 = named(new QLineEdit(awards), u"eUnterschrift2"_s);
    for (QLineEdit *caption : {eUnterschrift1, eUnterschrift2}) {
        caption->setPlaceholderText(u"keine Unterschrift"_s);
        caption->setToolTip(u"Unter der Linie zum Unterschreiben, auf Urkunden und Ergebnisliste"_s);
    }
    a->addRow(label(u"Ort:"_s, eOrt, awards), eOrt);
    a->addRow(label(u"Unterschrift links:"_s, eUnterschrift1, awards), eUnterschrift1);
    a->addRow(label(u"Unterschrift rechts:"_s, eUnterschrift2, awards), eUnterschrift2);

    auto *layout = new QVBoxLayout(part);
    layout->addWidget(runs);
    layout->addWidget(teams);
    layout->addWidget(awards);
    layout->addStretch(1);
    fillCountingRuns(2);
    return part;
}

void TCFGDialog::fillCountingRuns(int counting)
{
    const int runs = cbWertLaeufe->currentIndex() + 2;
    const QSignalBlocker block(cbWertZaehlt);
    cbWertZaehlt->clear();
    for (int n = 2; n < runs; ++n)
        cbWertZaehlt->addItem(u"die besten %1"_s.arg(n), n);
    cbWertZaehlt->addItem(u"alle"_s, runs);
    const int at = cbWertZaehlt->findData(std::clamp(counting, 2, runs));
    cbWertZaehlt->setCurrentIndex(at < 0 ? cbWertZaehlt->count() - 1 : at);
}

void TCFGDialog::checkPointsTable()
{
    const bool valid = PlacePoints::parse(eTeamPunkte->text()).has_value();
    lblTeamPunkte->setText(valid ? QString() : u"Bitte nur Zahlen ab 0, durch Kommas getrennt."_s);
    OKBtn->setEnabled(valid);
}

void TCFGDialog::setPorts(const QList<int> &ports)
{
    const QString chosen = cbPort->currentText();
    cbPort->clear();
    cbPort->addItems(PortEntries(ports));
    cbPort->setCurrentIndex(std::max(0, int(cbPort->findText(chosen))));
    timingPart->setPorts(ports);
}

void TCFGDialog::loadSettings(const Settings &s)
{
    publishPage->loadSettings(s);
    const int port = cbPort->findText(u"COM"_s + QString::number(s.Port));
    cbPort->setCurrentIndex(s.Port > 0 && port > 0 ? port : 0);
    // Any other logic (no contact acts) is neither entry, and stays what it
    // is until the operator picks one.
    cbAlg->setCurrentIndex(s.Alg == 0 || s.Alg == 1 ? s.Alg : -1);
    m_algShown = cbAlg->currentIndex();
    cbPortChange();

    eTitel->setText(s.Title);
    Settings copy = s;
    for (int i = 0; i < 4; ++i) {
        m_loadedColours[std::size_t(i)] = *colourField(copy, i);
        oColorCombo[std::size_t(i)]->setColour(fromWinColor(*colourField(copy, i)));
    }
    eExcel->setText(ExcelCellText(s.ExcelX, s.ExcelY));
    m_excelShown = eExcel->text();
    seLockTime->setValue(std::max(0, s.StartLock) / 1000);
    m_lockShown = seLockTime->value();
    seMinLauf->setValue(std::max(0, s.MinLauf));
    QString subtitle = s.Title2;
    subtitle.replace(u"\r\n"_s, u"\n"_s);
    Memo1->setPlainText(subtitle);
    m_monitor = s.Monitor;

    const Regulation regulation = regulationOf(s);
    cbWertLaeufe->setCurrentIndex(regulation.scoringRuns - 2);
    fillCountingRuns(regulation.countingRuns);
    cbWertGleich->setCurrentIndex(regulation.tieBreak == Regulation::BetterSingleRun ? 1 : 0);
    seWertStrafMax->setValue(regulation.penaltyCap);
    seTeamZaehlt->setValue(s.TeamZaehlt);
    eTeamPunkte->setText(s.TeamPunkte);
    // The table is read from its first places on; the line would show its end.
    eTeamPunkte->setCursorPosition(0);
    checkPointsTable();
    seUrkundenPlaetze->setValue(s.UrkundenPlaetze);
    eUrkundenBild->setText(s.UrkundenBild);
    eOrt->setText(s.Ort);
    eUnterschrift1->setText(s.Unterschrift1);
    eUnterschrift2->setText(s.Unterschrift2);
    timingPart->load(s);
}

Settings TCFGDialog::readSettings(const Settings &current) const
{
    Settings s = current;
    QString subtitle = Memo1->toPlainText();
    subtitle.replace(u'\n', u"\r\n"_s);
    s.Title2 = subtitle;
    // Whole seconds only; an untouched field keeps a stored part-second.
    if (seLockTime->value() != m_lockShown)
        s.StartLock = seLockTime->value() * 1000;
    s.MinLauf = seMinLauf->value();
    for (int i = 0; i < 4; ++i) {
        const quint32 chosen = toWinColor(oColorCombo[std::size_t(i)]->colour());
        // An untouched colour keeps its stored value, high byte included.
        if (chosen != (m_loadedColours[std::size_t(i)] & 0xFFFFFFu))
            *colourField(s, i) = chosen;
    }
    if (eExcel->text() != m_excelShown)
        ReadExcelCell(eExcel->text(), s.ExcelX, s.ExcelY);
    s.Title = eTitel->text();
    s.Monitor = std::max(0, cbMonitor->currentIndex());
    const int port = cbPort->currentIndex() > 0 ? PortFromEntry(cbPort->currentText()) : 0;
    s.Port = port;
    if (port != 0 && cbAlg->currentIndex() != m_algShown)
        s.Alg = cbAlg->currentIndex();

    // An untouched part keeps a stored value outside the choices as it is.
    const Regulation before = regulationOf(current);
    const int runs = cbWertLaeufe->currentIndex() + 2;
    const int counting = cbWertZaehlt->currentData().toInt();
    if (runs != before.scoringRuns || counting != before.countingRuns) {
        s.WertLaeufe = runs;
        s.WertZaehlt = counting;
    }
    if (cbWertGleich->currentIndex() != (before.tieBreak == Regulation::BetterSingleRun ? 1 : 0))
        s.WertGleich = cbWertGleich->currentIndex();
    if (seWertStrafMax->value() != before.penaltyCap)
        s.WertStrafMax = seWertStrafMax->value();
    if (seTeamZaehlt->value() != std::clamp(current.TeamZaehlt, 1, 99))
        s.TeamZaehlt = seTeamZaehlt->value();
    if (eTeamPunkte->text() != current.TeamPunkte && PlacePoints::parse(eTeamPunkte->text()))
        s.TeamPunkte = eTeamPunkte->text().trimmed();
    if (seUrkundenPlaetze->value() != std::clamp(current.UrkundenPlaetze, 1, 99))
        s.UrkundenPlaetze = seUrkundenPlaetze->value();
    if (eUrkundenBild->text() != current.UrkundenBild)
        s.UrkundenBild = eUrkundenBild->text().trimmed();
    publishPage->readSettings(s);
    s.Ort = eOrt->text().trimmed();
    s.Unterschrift1 = eUnterschrift1->text().trimmed();
    s.Unterschrift2 = eUnterschrift2->text().trimmed();
    timingPart->read(s);
    return s;
}

std::optional<Settings> TCFGDialog::edit(const Settings &current)
{
    loadSettings(current);
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return readSettings(current);
}

void TCFGDialog::cbPortChange()
{
    const bool port = cbPort->currentIndex() > 0;
    for (QWidget *w : {static_cast<QWidget *>(cbAlg), static_cast<QWidget *>(cbLSstart),
                       static_cast<QWidget *>(cbLSstop)})
        w->setEnabled(port);
    for (QLabel *l : std::as_const(m_contactLabels))
        l->setEnabled(port);
}

void TCFGDialog::fillScreenList()
{
    const QList<QRect> screens = m_screens ? m_screens() : QList<QRect>();
    const bool several = screens.size() > 1;
    cbMonitor->setEnabled(several);
    m_monitorLabel->setEnabled(several);
    cbMonitor->clear();
    cbMonitor->addItems(ScreenEntries(screens));
    // The list always yields an existing screen: a setting beyond the screens
    // present chooses the first.
    const bool inList = several && m_monitor >= 0 && m_monitor < cbMonitor->count();
    cbMonitor->setCurrentIndex(inList ? m_monitor : 0);
}

void TCFGDialog::colourPreviews()
{
    for (int i = 0; i < 4; ++i) {
        QPalette palette = LabColor[std::size_t(i)]->palette();
        palette.setColor(QPalette::WindowText, oColorCombo[std::size_t(i)]->colour());
        LabColor[std::size_t(i)]->setPalette(palette);
    }
}

void TCFGDialog::oColorComboChange(int box)
{
    if (!m_chooseColour)
        return;
    ColourBox *combo = oColorCombo[std::size_t(box)];
    const QColor chosen = m_chooseColour(combo->colour(), this);
    if (!chosen.isValid())
        return;
    combo->setColour(chosen);
    colourPreviews();
}

void TCFGDialog::showEvent(QShowEvent *event)
{
    cbPortChange();
    fillScreenList();
    colourPreviews();
    centreWindowOn(*this, parentWidget());
    QDialog::showEvent(event);
}

} // namespace vex
