#include "app/algcombo.h"
#include "app/cfgdialog.h"
#include "display/wincolor.h"
#include "settings/settings.h"
#include "widgets/colourbox.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace vex;

namespace {

const QList<QRect> kOneScreen{{0, 0, 1920, 1080}};
const QList<QRect> kTwoScreens{{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};

Settings eventSettings()
{
    Settings s;
    s.Title = u"Clubmeisterschaft 2026"_s;
    s.Title2 = u"in Musterstadt\r\nam 25.11.2026"_s;
    s.Port = 3;
    s.Alg = 1;
    s.StartLock = 12500;
    s.MinLauf = 6;
    s.ExcelX = 1;
    s.ExcelY = 8;
    s.Monitor = 1;
    s.ColorZeit = 0x0000FF00;
    return s;
}

QColor textColour(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace

class TestCfgDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void untouchedDialogGivesTheSameSettings_data();
    void untouchedDialogGivesTheSameSettings();
    void cancelReturnsNothing();
    void okReturnsTheEdits();
    void regulationPart();
    void noPortClosesAndKeepsAlg();
    void absentPortShowsKein();
    void excelField_data();
    void excelField();
    void excelRowItCannotShowSurvives();
    void lockTime_data();
    void lockTime();
    void screens_data();
    void screens();
    void coloursInThePreviews();
    void algEntryPicture_data();
    void algEntryPicture();

private:
    std::unique_ptr<TCFGDialog> m_dialog;
    QList<QRect> m_screens;
    QList<QColor> m_chooserAnswers;
};

void TestCfgDialog::init()
{
    m_screens = kTwoScreens;
    m_chooserAnswers.clear();
    m_dialog = std::make_unique<TCFGDialog>(nullptr, QList<int>{1, 3, 12});
    m_dialog->setScreenSource([this] { return m_screens; });
    m_dialog->setColourChooser([this](const QColor &, QWidget *) {
        return m_chooserAnswers.isEmpty() ? QColor() : m_chooserAnswers.takeFirst();
    });
}

void TestCfgDialog::cleanup()
{
    m_dialog.reset();
}

void TestCfgDialog::untouchedDialogGivesTheSameSettings_data()
{
    QTest::addColumn<int>("alg");
    QTest::addColumn<QString>("algShown");
    QTest::newRow("contacts act when opened") << 1 << u"Aus"_s;
    // Neither entry: OK must not make the contacts act.
    QTest::newRow("no contact acts") << 2 << QString();
}

void TestCfgDialog::untouchedDialogGivesTheSameSettings()
{
    QFETCH(int, alg);
    QFETCH(QString, algShown);
    Settings s = eventSettings();
    s.Alg = alg;
    m_dialog->loadSettings(s);
    m_dialog->show();
    QCOMPARE(m_dialog->cbAlg->currentText(), algShown);
    QCOMPARE(m_dialog->readSettings(s), s);
    QCOMPARE(m_dialog->Memo1->toPlainText(), u"in Musterstadt\nam 25.11.2026"_s);
    QCOMPARE(m_dialog->eExcel->text(), u"B8"_s);
    QCOMPARE(m_dialog->seLockTime->value(), 12);
    QCOMPARE(m_dialog->seMinLauf->value(), 6);
}

void TestCfgDialog::cancelReturnsNothing()
{
    QTimer::singleShot(0, m_dialog.get(), [this] {
        m_dialog->eTitel->setText(u"Anders"_s);
        m_dialog->cbPort->setCurrentIndex(0);
        QTest::mouseClick(m_dialog->BitBtnCancel, Qt::LeftButton);
    });
    QVERIFY(!m_dialog->edit(eventSettings()).has_value());
}

void TestCfgDialog::okReturnsTheEdits()
{
    QTimer::singleShot(0, m_dialog.get(), [this] {
        m_dialog->eTitel->setText(u"Herbstslalom"_s);
        m_dialog->Memo1->setPlainText(u"Zeile 1\nZeile 2"_s);
        m_dialog->cbPort->setCurrentText(u"COM12"_s);
        m_dialog->cbAlg->setCurrentIndex(0);
        m_dialog->cbMonitor->setCurrentIndex(0);
        QTest::keyClick(m_dialog->eTitel, Qt::Key_Return); // Enter confirms
    });
    const std::optional<Settings> edited = m_dialog->edit(eventSettings());
    QVERIFY(edited.has_value());
    QCOMPARE(edited->Title, u"Herbstslalom"_s);
    QCOMPARE(edited->Title2, u"Zeile 1\r\nZeile 2"_s);
    QCOMPARE(edited->Port, 12);
    QCOMPARE(edited->Alg, 0);
    QCOMPARE(edited->Monitor, 0);
}

void TestCfgDialog::regulationPart()
{
    Settings s = eventSettings();
    s.WertLaeufe = 3;
    s.WertZaehlt = 2;
    m_dialog->loadSettings(s);
    m_dialog->tabs->setCurrentIndex(1);
    m_dialog->show();
    const auto items = [this] {
        QStringList texts;
        for (int i = 0; i < m_dialog->cbWertZaehlt->count(); ++i)
            texts.append(m_dialog->cbWertZaehlt->itemText(i));
        return texts;
    };
    QCOMPARE(items(), (QStringList{u"die besten 2"_s, u"alle"_s}));
    QCOMPARE(m_dialog->cbWertZaehlt->currentText(), u"die besten 2"_s);
    m_dialog->cbWertLaeufe->setCurrentIndex(2); // 4 runs: the choice follows, the best 2 stay chosen
    QCOMPARE(items(), (QStringList{u"die besten 2"_s, u"die besten 3"_s, u"alle"_s}));
    QCOMPARE(m_dialog->cbWertZaehlt->currentText(), u"die besten 2"_s);
    m_dialog->cbWertGleich->setCurrentIndex(1);
    m_dialog->seWertStrafMax->setValue(99);
    m_dialog->eTeamPunkte->setText(u"10, x"_s);
    QVERIFY(!m_dialog->okButton()->isEnabled());
    QVERIFY(!m_dialog->lblTeamPunkte->text().isEmpty());
    m_dialog->eTeamPunkte->setText(u"10, 8, 6"_s);
    QVERIFY(m_dialog->okButton()->isEnabled());
    if (const QString folder = qEnvironmentVariable("VEX_REGULATION_SCREENSHOTS"); !folder.isEmpty())
        m_dialog->grab().save(folder + u"/settings-wertung.png"_s);
    const Settings read = m_dialog->readSettings(s);
    QCOMPARE(read.WertLaeufe, 4);
    QCOMPARE(read.WertZaehlt, 2);
    QCOMPARE(read.WertGleich, 1);
    QCOMPARE(read.WertStrafMax, 99);
    QCOMPARE(read.TeamPunkte, u"10, 8, 6"_s);
}

void TestCfgDialog::noPortClosesAndKeepsAlg()
{
    m_dialog->loadSettings(eventSettings());
    m_dialog->show();
    QCOMPARE(m_dialog->cbPort->currentText(), u"COM3"_s);
    QVERIFY(m_dialog->cbAlg->isEnabled());
    QCOMPARE(m_dialog->cbAlg->currentIndex(), 1);

    m_dialog->cbPort->setCurrentIndex(0);
    QCOMPARE(m_dialog->cbPort->currentText(), u"Kein"_s);
    QVERIFY(!m_dialog->cbAlg->isEnabled());
    QVERIFY(!m_dialog->cbLSstart->isEnabled());
    QVERIFY(!m_dialog->cbLSstop->isEnabled());
    const Settings read = m_dialog->readSettings(eventSettings());
    QCOMPARE(read.Port, 0);
    QCOMPARE(read.Alg, 1);
}

void TestCfgDialog::absentPortShowsKein()
{
    Settings s = eventSettings();
    s.Port = 5;
    m_dialog->loadSettings(s);
    m_dialog->show();
    QCOMPARE(m_dialog->cbPort->currentText(), u"Kein"_s);
    QCOMPARE(m_dialog->readSettings(s).Port, 0);
}

void TestCfgDialog::excelField_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::newRow("B12") << u"b12"_s << u"B12"_s << 1 << 12;
    QTest::newRow("fourth character") << u"d123"_s << u"D12"_s << 3 << 12;
    QTest::newRow("digit first") << u"12"_s << QString() << 1 << 8;
}

void TestCfgDialog::excelField()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, column);
    QFETCH(int, row);
    m_dialog->loadSettings(eventSettings());
    m_dialog->show();
    m_dialog->eExcel->clear();
    QTest::keyClicks(m_dialog->eExcel, typed);
    QCOMPARE(m_dialog->eExcel->text(), shown);
    const Settings read = m_dialog->readSettings(eventSettings());
    QCOMPARE(read.ExcelX, column); // an empty field keeps the values
    QCOMPARE(read.ExcelY, row);
}

void TestCfgDialog::excelRowItCannotShowSurvives()
{
    // Row 150 does not fit three characters; OK without touching the field
    // must not turn it into row 15.
    Settings s = eventSettings();
    s.ExcelY = 150;
    m_dialog->loadSettings(s);
    QCOMPARE(m_dialog->readSettings(s).ExcelY, 150);
}

void TestCfgDialog::lockTime_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("startLock");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("ten") << 10 << 10000;
    QTest::newRow("largest that fits") << 2147483 << 2147483000;
    QTest::newRow("beyond 32 bits") << 9999999 << 2147483000;
}

void TestCfgDialog::lockTime()
{
    QFETCH(int, seconds);
    QFETCH(int, startLock);
    m_dialog->loadSettings(eventSettings());
    m_dialog->seLockTime->setValue(seconds);
    QCOMPARE(m_dialog->readSettings(eventSettings()).StartLock, startLock);
}

void TestCfgDialog::screens_data()
{
    QTest::addColumn<QList<QRect>>("screens");
    QTest::addColumn<int>("monitor");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("readBack");
    QTest::newRow("one screen") << kOneScreen << 1 << false << u"nicht angeschlossen"_s << 0;
    QTest::newRow("two, second chosen") << kTwoScreens << 1 << true << u"2=(1280,0)-(1024,768)"_s << 1;
    QTest::newRow("two, setting beyond") << kTwoScreens << 4 << true << u"1=(0,0)-(1280,1024)"_s << 0;
}

void TestCfgDialog::screens()
{
    QFETCH(QList<QRect>, screens);
    QFETCH(int, monitor);
    QFETCH(bool, enabled);
    QFETCH(QString, chosen);
    QFETCH(int, readBack);
    m_screens = screens;
    Settings s = eventSettings();
    s.Monitor = monitor;
    m_dialog->loadSettings(s);
    m_dialog->show();
    QCOMPARE(m_dialog->cbMonitor->isEnabled(), enabled);
    QCOMPARE(m_dialog->cbMonitor->currentText(), chosen);
    QCOMPARE(m_dialog->readSettings(s).Monitor, readBack);
}

void TestCfgDialog::coloursInThePreviews()
{
    Settings s = eventSettings();
    s.ColorText = 0x00112233;
    s.ColorBZeit = 0x00445566;
    m_dialog->loadSettings(s);
    m_dialog->show();
    QCOMPARE(textColour(m_dialog->LabColor[0]), fromWinColor(0x00112233));
    QCOMPARE(textColour(m_dialog->LabColor[1]), fromWinColor(s.ColorZeit));
    QCOMPARE(textColour(m_dialog->LabColor[2]), fromWinColor(0x00445566));
    QCOMPARE(textColour(m_dialog->LabColor[3]), fromWinColor(s.ColorFon));

    // Opening box 2 asks for a colour; the answer shows at once.
    m_chooserAnswers = {QColor(255, 0, 0)};
    m_dialog->oColorCombo[1]->showPopup();
    QCOMPARE(m_dialog->oColorCombo[1]->colour(), QColor(255, 0, 0));
    QCOMPARE(textColour(m_dialog->LabColor[1]), QColor(255, 0, 0));
    QCOMPARE(m_dialog->readSettings(s).ColorZeit, 0x000000FFu);

    // A cancelled colour dialog changes nothing.
    m_dialog->oColorCombo[3]->showPopup();
    QCOMPARE(textColour(m_dialog->LabColor[3]), fromWinColor(s.ColorFon));
    QCOMPARE(m_dialog->readSettings(s).ColorFon, s.ColorFon);
}

void TestCfgDialog::algEntryPicture_data()
{
    QTest::addColumn<int>("entry");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("Ein") << 0 << true;
    QTest::newRow("Aus") << 1 << true;
    QTest::newRow("disabled") << 0 << false;
}

void TestCfgDialog::algEntryPicture()
{
    QFETCH(int, entry);
    QFETCH(bool, enabled);
    QImage image(80, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintAlgEntry(painter, image.rect(), entry, QString(), enabled, Qt::white);
    }
    const QImage picture = image.copy(kSwitchPictureLeft, 0, 41, 16);
    QImage expected(41, 16, QImage::Format_ARGB32);
    expected.fill(Qt::white);
    if (enabled) {
        QPainter painter(&expected);
        painter.drawImage(0, 0, SwitchPicture(entry == 0));
    }
    QCOMPARE(picture, expected);
    QVERIFY(SwitchPicture(true) != SwitchPicture(false));
}

QTEST_MAIN(TestCfgDialog)
#include "test_cfgdialog.moc"
