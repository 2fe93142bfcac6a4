#include "app/publishsettingspage.h"

#include "publish/credentialstore.h"
#include "publish/publishfiles.h"
#include "publish/resultspublisher.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

template <typename W>
W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QString stageName(UploadStage stage)
{
    switch (stage) {
    case UploadStage::None: return {};
    case UploadStage::Name: return u"Servername"_s;
    case UploadStage::Connection: return u"Verbindung"_s;
    case UploadStage::Trust: return u"Vertrauen"_s;
    case UploadStage::Login: return u"Anmeldung"_s;
    case UploadStage::Folder: return u"Ordner"_s;
    case UploadStage::Writing: return u"Schreiben"_s;
    }
    return {};
}

} // namespace

PublishSettingsPage::PublishSettingsPage(QWidget *parent)
    : QWidget(parent)
    , m_confirm([this](const QString &title, const QString &text) {
        return QMessageBox::question(this, title, text) == QMessageBox::Yes;
    })
{
    cbInet = named(new QCheckBox(u"Ergebnisse ins Internet hochladen"_s, this), u"cbInet"_s);
    eAdresse = named(new QLineEdit(this), u"eInetAdresse"_s);
    eAdresse->setPlaceholderText(u"z. B. sftp://web.meinverein.de oder https://…/webdav"_s);
    eAdresse->setToolTip(u"ftp://, ftps:// (FTP mit TLS), sftp:// oder https:// (WebDAV)"_s);
    eOrdner = named(new QLineEdit(this), u"eInetOrdner"_s);
    eOrdner->setPlaceholderText(u"z. B. ergebnisse"_s);
    eBenutzer = named(new QLineEdit(this), u"eInetBenutzer"_s);
    ePasswort = named(new QLineEdit(this), u"eInetPasswort"_s);
    ePasswort->setEchoMode(QLineEdit::Password);
    seIntervall = named(new QSpinBox(this), u"seInetIntervall"_s);
    seIntervall->setRange(5, 3600);
    seIntervall->setSuffix(u" s"_s);
    seIntervall->setToolTip(u"Höchstens eine Übertragung in dieser Zeit; die letzte Änderung geht immer hinauf."_s);
    cbSeite = named(new QCheckBox(u"Ergebnisseite (index.html)"_s, this), u"cbInetSeite"_s);
    cbJson = named(new QCheckBox(u"Ergebnisse als Daten (results.json)"_s, this), u"cbInetJson"_s);
    cbProtokoll = named(new QCheckBox(u"Protokoll als Text (protokoll.txt)"_s, this), u"cbInetProtokoll"_s);
    cbSaison = named(new QCheckBox(u"Meisterschaft (season.html), solange geöffnet"_s, this), u"cbInetSaison"_s);
    cbNamen = named(new QComboBox(this), u"cbInetNamen"_s);
    cbNamen->addItems({u"vollständig"_s, u"Vorname und Initial"_s, u"nur Startnummer"_s});
    cbNamen->setToolTip(u"Gilt für alles, was hochgeladen wird; Live-Seite und Ausdrucke bleiben vollständig."_s);
    lblVertrauen = named(new QLabel(this), u"lblInetVertrauen"_s);
    lblVertrauen->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblVertrauen->setWordWrap(true);
    bVertrauen = named(new QPushButton(u"Vertrauen zurücksetzen"_s, this), u"bInetVertrauen"_s);
    bTesten = named(new QPushButton(u"Verbindung testen"_s, this), u"bInetTesten"_s);
    bJetzt = named(new QPushButton(u"Jetzt veröffentlichen"_s, this), u"bInetJetzt"_s);
    bJetzt->setToolTip(u"Lädt sofort alles hoch, mit den zuletzt übernommenen Einstellungen."_s);
    lblTest = named(new QLabel(this), u"lblInetTest"_s);
    lblTest->setWordWrap(true);
    lblTest->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    form->addRow(cbInet);
    form->addRow(u"Server:"_s, eAdresse);
    form->addRow(u"Ordner:"_s, eOrdner);
    form->addRow(u"Benutzer:"_s, eBenutzer);
    form->addRow(u"Passwort:"_s, ePasswort);
    form->addRow(u"Höchstens alle:"_s, seIntervall);
    auto *content = new QVBoxLayout;
    for (QCheckBox *box : {cbSeite, cbJson, cbProtokoll, cbSaison})
        content->addWidget(box);
    form->addRow(u"Hochladen:"_s, content);
    form->addRow(u"Namen im Internet:"_s, cbNamen);
    auto *trust = new QHBoxLayout;
    trust->addWidget(lblVertrauen, 1);
    trust->addWidget(bVertrauen);
    form->addRow(u"Bestätigter Schlüssel:"_s, trust);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bTesten);
    buttons->addWidget(bJetzt);
    buttons->addStretch(1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addLayout(buttons);
    outer->addWidget(lblTest);
    outer->addStretch(1);

    connect(bTesten, &QPushButton::clicked, this, &PublishSettingsPage::test);
    connect(bJetzt, &QPushButton::clicked, this, [this] {
        if (m_publisher)
            m_publisher->publishNow();
    });
    connect(bVertrauen, &QPushButton::clicked, this, [this] {
        m_trusted.clear();
        showTrusted();
    });
}

void PublishSettingsPage::setPublisher(ResultsPublisher *publisher)
{
    if (m_publisher)
        m_publisher->disconnect(this);
    m_publisher = publisher;
    if (publisher)
        connect(publisher, &ResultsPublisher::tested, this, &PublishSettingsPage::showTest);
}

void PublishSettingsPage::loadSettings(const Settings &s)
{
    cbInet->setChecked(s.Inet);
    eAdresse->setText(s.InetAdresse);
    eOrdner->setText(s.InetOrdner);
    eBenutzer->setText(s.InetBenutzer);
    ePasswort->clear();
    ePasswort->setPlaceholderText(m_publisher && m_publisher->hasPassword() ? u"(bekannt – leer lassen)"_s
                                                                            : u"(noch nicht eingegeben)"_s);
    seIntervall->setValue(std::clamp(s.InetIntervall, 5, 3600));
    cbSeite->setChecked(s.InetInhalt & ContentPage);
    cbJson->setChecked(s.InetInhalt & ContentJson);
    cbProtokoll->setChecked(s.InetInhalt & ContentProtocol);
    cbSaison->setChecked(s.InetInhalt & ContentSeason);
    cbNamen->setCurrentIndex(std::clamp(s.InetNamen, 0, 2));
    m_trusted = s.InetVertrauen;
    showTrusted();
    lblTest->clear();
}

void PublishSettingsPage::readSettings(Settings &s) const
{
    s.Inet = cbInet->isChecked();
    s.InetAdresse = eAdresse->text().trimmed();
    s.InetOrdner = eOrdner->text().trimmed();
    s.InetBenutzer = eBenutzer->text().trimmed();
    s.InetIntervall = seIntervall->value();
    s.InetInhalt = (cbSeite->isChecked() ? ContentPage : 0) | (cbJson->isChecked() ? ContentJson : 0)
        | (cbProtokoll->isChecked() ? ContentProtocol : 0) | (cbSaison->isChecked() ? ContentSeason : 0);
    s.InetNamen = cbNamen->currentIndex();
    s.InetVertrauen = m_trusted;
}

void PublishSettingsPage::takePassword()
{
    const QString typed = ePasswort->text();
    ePasswort->clear();
    if (typed.isEmpty())
        return;
    if (m_publisher)
        m_publisher->setPassword(typed);
    if (m_credentials)
        m_credentials->write(credentialKey(eAdresse->text(), eBenutzer->text().trimmed()), typed, [](bool) {});
}

QString PublishSettingsPage::passwordToUse() const
{
    if (!ePasswort->text().isEmpty() || !m_publisher)
        return ePasswort->text();
    return m_publisher->password();
}

void PublishSettingsPage::test()
{
    if (!m_publisher || m_testing)
        return;
    Settings s;
    readSettings(s);
    m_testing = true;
    bTesten->setEnabled(false);
    lblTest->setStyleSheet({});
    lblTest->setText(u"Verbindung wird getestet …"_s);
    m_publisher->testConnection(publishOptionsOf(s), passwordToUse());
}

void PublishSettingsPage::showTest(const UploadResult &result)
{
    if (!m_testing)
        return;
    m_testing = false;
    bTesten->setEnabled(true);
    if (result.ok()) {
        lblTest->setStyleSheet(u"color: #0a7a2a;"_s);
        lblTest->setText(u"Verbindung in Ordnung: Anmeldung, Ordner und Schreiben geprüft."_s);
        return;
    }
    lblTest->setStyleSheet(u"color: #b3261e; font-weight: bold;"_s);
    lblTest->setText(u"Fehlgeschlagen bei „%1“: %2"_s.arg(stageName(result.stage), result.message));
    if (result.stage != UploadStage::Trust || result.offered.isEmpty())
        return;
    if (result.changed) {
        lblTest->setText(lblTest->text()
                         + u"\nDer Server zeigt jetzt %1. Das kann ein Angriff sein; es wird nichts übertragen. "
                           u"Nur wenn Ihr Anbieter Schlüssel oder Zertifikat gewechselt hat: „Vertrauen "
                           u"zurücksetzen“ und erneut testen."_s.arg(result.offered));
        return;
    }
    const QString question = u"Der Server ist noch nicht bestätigt. Er zeigt diesen Fingerabdruck:\n\n%1\n\n"
                             u"Stimmt er mit dem überein, den Ihr Anbieter nennt? Nur dann „Ja“."_s
                                 .arg(result.offered);
    if (m_confirm(u"Server bestätigen"_s, question)) {
        m_trusted = result.offered;
        showTrusted();
        test();
    }
}

void PublishSettingsPage::showTrusted()
{
    lblVertrauen->setText(m_trusted.isEmpty() ? u"– noch keiner"_s : m_trusted);
    bVertrauen->setEnabled(!m_trusted.isEmpty());
}

} // namespace vex
