#pragma once

#include "reports/certificates.h"

#include <QByteArray>
#include <QDialog>
#include <QList>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace vex {

// "Urkunden drucken": the certificates of the places the settings name,
// to the printer or into one PDF file.
class CertificateDialog : public QDialog
{
    Q_OBJECT
public:
    // Asks where to save; empty on cancel.
    using PathChooser = std::function<QString(QWidget *parent, const QString &suggested)>;

    // fastest: the certificates of the fastest girl and boy, printed too when
    // the operator asks for them.
    CertificateDialog(const QList<Certificate> &certificates, const CertificateInfo &info, QWidget *parent = nullptr,
                      const QList<Certificate> &fastest = {});

    void setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }
    // The info with the date as the field gives it.
    CertificateInfo info() const;

    QLineEdit *eDatum = nullptr;
    QLabel *lblAnzahl = nullptr;
    QCheckBox *cbSchnellste = nullptr;
    QPushButton *bPdf = nullptr;
    QPushButton *bDrucken = nullptr;

    // Saves into the chosen file; the operator's message on failure.
    void savePdf();
    void print();

private:
    // The places' certificates, and the fastest girl's and boy's when asked.
    QList<Certificate> chosen() const;

    QList<Certificate> m_certificates;
    QList<Certificate> m_fastest;
    CertificateInfo m_info;
    PathChooser m_choosePath;
};

// "Ergebnisliste als PDF": the web page's content with "vorläufig" or
// "offiziell, ausgehängt um HH:MM" in its heading.
class ResultListPdfDialog : public QDialog
{
    Q_OBJECT
public:
    // The web page for a heading status (see resultListStatus) and an
    // objection deadline ("14:35", empty for none).
    using PageMaker = std::function<QByteArray(const QString &status, const QString &deadline)>;
    using PathChooser = CertificateDialog::PathChooser;

    ResultListPdfDialog(PageMaker makePage, QWidget *parent = nullptr);
    void setPathChooser(PathChooser chooser) { m_choosePath = std::move(chooser); }
    QString status() const;
    // "14:35" while the provisional list names a deadline, empty otherwise.
    QString deadline() const;

    QRadioButton *rbVorlaeufig = nullptr;
    QCheckBox *cbEinspruch = nullptr;
    QTimeEdit *tEinspruch = nullptr;
    QRadioButton *rbOffiziell = nullptr;
    QTimeEdit *tAushang = nullptr;
    QPushButton *bPdf = nullptr;

    void savePdf();

private:
    PageMaker m_makePage;
    PathChooser m_choosePath;
};

} // namespace vex
