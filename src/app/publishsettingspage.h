#pragma once

#include "settings/settings.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vex {

class CredentialStore;
class ResultsPublisher;
struct UploadResult;

// The settings dialog's page "Internet": where the results go, who we are
// there, how often and what, and how drivers are named. The password is
// handed to the publisher and the system's store, never to the settings.
class PublishSettingsPage : public QWidget
{
    Q_OBJECT
public:
    // Asks the operator a yes/no question; true for yes.
    using Confirm = std::function<bool(const QString &title, const QString &text)>;

    explicit PublishSettingsPage(QWidget *parent = nullptr);

    // Both may be null: the buttons do nothing then.
    void setPublisher(ResultsPublisher *publisher);
    void setCredentials(CredentialStore *credentials) { m_credentials = credentials; }
    void setConfirm(Confirm confirm) { m_confirm = std::move(confirm); }

    void loadSettings(const Settings &s);
    void readSettings(Settings &s) const;
    // The dialog's OK: a typed password goes to the publisher and is kept.
    void takePassword();

    QCheckBox *cbInet = nullptr;
    QLineEdit *eAdresse = nullptr;
    QLineEdit *eOrdner = nullptr;
    QLineEdit *eBenutzer = nullptr;
    QLineEdit *ePasswort = nullptr;
    QSpinBox *seIntervall = nullptr;
    QCheckBox *cbSeite = nullptr;
    QCheckBox *cbJson = nullptr;
    QCheckBox *cbProtokoll = nullptr;
    QCheckBox *cbSaison = nullptr;
    QComboBox *cbNamen = nullptr;
    QLabel *lblVertrauen = nullptr;
    QPushButton *bVertrauen = nullptr;
    QPushButton *bTesten = nullptr;
    QPushButton *bJetzt = nullptr;
    QLabel *lblTest = nullptr;

private:
    void test();
    void showTest(const UploadResult &result);
    void showTrusted();
    QString passwordToUse() const;

    ResultsPublisher *m_publisher = nullptr;
    CredentialStore *m_credentials = nullptr;
    Confirm m_confirm;
    QString m_trusted;
    bool m_testing = false;
};

} // namespace vex
