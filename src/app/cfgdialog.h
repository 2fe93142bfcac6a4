#pragma once

#include "settings/settings.h"

#include <QColor>
#include <QDialog>
#include <QList>
#include <QRect>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vex {

class AlgComboBox;
class ColourBox;
class PublishSettingsPage;
class TimingDevicesPart;

// The settings dialog. It is created once at start-up and kept, so the contact
// lists keep their choice between two openings; everything else is filled
// from the settings at each opening (loadSettings) and read back into a new
// settings record on OK (readSettings). The dialog itself changes no setting.
class TCFGDialog : public QDialog
{
    Q_OBJECT
public:
    // Asks for a colour, preset with the current one; an invalid colour when
    // the operator cancels.
    using ColourChooser = std::function<QColor(const QColor &current, QWidget *parent)>;
    using ScreenSource = std::function<QList<QRect>()>;
    // Asks for a picture file, preset with the current path; empty on cancel.
    using ImageChooser = std::function<QString(const QString &current, QWidget *parent)>;

    // ports: the COM numbers found at start-up.
    explicit TCFGDialog(QWidget *parent = nullptr, const QList<int> &ports = {});

    void setPorts(const QList<int> &ports);
    void setColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }
    // The screens' bounds in the system's order; all screens of the desktop
    // unless replaced.
    void setScreenSource(ScreenSource source) { m_screens = std::move(source); }
    void setImageChooser(ImageChooser chooser) { m_chooseImage = std::move(chooser); }

    // Copies the settings into the controls (the contact lists excepted).
    void loadSettings(const Settings &settings);
    // The settings as the controls give them, on top of the given ones.
    Settings readSettings(const Settings &current) const;
    // Loads, shows modally and on OK returns the new settings; nothing on
    // cancel or close.
    std::optional<Settings> edit(const Settings &current);

    QPushButton *okButton() const { return OKBtn; }
    QPushButton *cancelButton() const { return BitBtnCancel; }

    QLineEdit *eTitel = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QComboBox *cbPort = nullptr;
    AlgComboBox *cbAlg = nullptr;
    QComboBox *cbLSstart = nullptr;
    QComboBox *cbLSstop = nullptr;
    QSpinBox *seLockTime = nullptr;
    QSpinBox *seMinLauf = nullptr;
    std::array<ColourBox *, 4> oColorCombo{};
    std::array<QLabel *, 4> LabColor{};
    QComboBox *cbMonitor = nullptr;
    QLineEdit *eExcel = nullptr;
    QTabWidget *tabs = nullptr;
    // The "Wertung" part: the event's regulation, the team ranking and the
    // certificates.
    QComboBox *cbWertLaeufe = nullptr;   // 2, 3, 4 scoring runs
    QComboBox *cbWertZaehlt = nullptr;   // the best 2, 3 or all
    QComboBox *cbWertGleich = nullptr;   // equal totals
    QSpinBox *seWertStrafMax = nullptr;  // cap, 0 = none
    QSpinBox *seTeamZaehlt = nullptr;
    QLineEdit *eTeamPunkte = nullptr;
    QLabel *lblTeamPunkte = nullptr;     // says why a points table is refused
    QSpinBox *seUrkundenPlaetze = nullptr;
    QLineEdit *eUrkundenBild = nullptr;
    QPushButton *bUrkundenBild = nullptr;
    QLineEdit *eOrt = nullptr;
    QLineEdit *eUnterschrift1 = nullptr;
    QLineEdit *eUnterschrift2 = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *BitBtnCancel = nullptr;
    // "Internet": the results on the club's web space.
    PublishSettingsPage *publishPage = nullptr;
    // The "Zeitmessung" part: a timer instead of the barriers, the board.
    TimingDevicesPart *timingPart = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    QWidget *buildRegulationPart();
    // The choice of counting runs follows the number of scoring runs.
    void fillCountingRuns(int counting);
    void checkPointsTable();
    // Contact controls usable exactly when a port is chosen.
    void cbPortChange();
    void fillScreenList();
    void colourPreviews();
    void oColorComboChange(int box);

    ColourChooser m_chooseColour;
    ScreenSource m_screens;
    ImageChooser m_chooseImage;
    QList<QLabel *> m_contactLabels;
    QLabel *m_monitorLabel = nullptr;
    int m_monitor = 0;
    // What the start-cell field showed after loading: a value it cannot show
    // (a row above 99, say) is kept as long as the field is not edited.
    QString m_excelShown;
    int m_lockShown = -1;
    int m_algShown = -1;
    std::array<quint32, 4> m_loadedColours{};
};

} // namespace vex
