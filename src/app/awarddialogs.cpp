#include "app/awarddialogs.h"

#include "reports/reportdocument.h"

#include <QCheckBox>
#include <QDate>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QString askPdfPath(QWidget *parent, const QString &suggested)
{
    return QFileDialog::getSaveFileName(parent, u"Als PDF speichern"_s, suggested, u"PDF-Dateien (*.pdf)"_s);
}

QString withPdfSuffix(QString path)
{
    if (!path.endsWith(u".pdf"_s, Qt::CaseInsensitive))
        path += u".pdf"_s;
    return path;
}

} // namespace

CertificateDialog::CertificateDialog(const QList<Certificate> &certificates, const CertificateInfo &info,
                                     QWidget *parent, const QList<Certificate> &fastest)
    : QDialog(parent)
    , m_certificates(certificates)
    , m_fastest(fastest)
    , m_info(info)
    , m_choosePath(askPdfPath)
{
    setObjectName(u"CertificateDialog"_s);
    setWindowTitle(u"Urkunden drucken"_s);
    eDatum = new QLineEdit(info.date.isEmpty() ? QDate::currentDate().toString(u"dd.MM.yyyy"_s) : info.date, this);
    eDatum->setObjectName(u"eDatum"_s);
    lblAnzahl = new QLabel(this);
    lblAnzahl->setText(certificates.isEmpty() ? u"Es gibt noch keine Plätze für Urkunden."_s
                                              : u"%1 Urkunden, eine Seite A4 je Fahrer/in"_s.arg(certificates.size()));
    bPdf = new QPushButton(u"Als PDF speichern …"_s, this);
    bDrucken = new QPushButton(u"Drucken …"_s, this);
    auto *cancel = new QPushButton(u"Schließen"_s, this);
    bPdf->setEnabled(!certificates.isEmpty() || !fastest.isEmpty());
    bDrucken->setEnabled(!certificates.isEmpty() || !fastest.isEmpty());
    connect(bPdf, &QPushButton::clicked, this, &CertificateDialog::savePdf);
    connect(bDrucken, &QPushButton::clicked, this, &CertificateDialog::print);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *form = new QFormLayout;
    form->addRow(u"Datum:"_s, eDatum);
    form->addRow(QString(), lblAnzahl);
    cbSchnellste = new QCheckBox(u"auch für schnellstes Mädchen und schnellsten Jungen"_s, this);
    cbSchnellste->setObjectName(u"cbSchnellste"_s);
    cbSchnellste->setVisible(!fastest.isEmpty());
    form->addRow(QString(), cbSchnellste);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bPdf);
    buttons->addWidget(bDrucken);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

QList<Certificate> CertificateDialog::chosen() const
{
    return cbSchnellste->isChecked() ? m_certificates + m_fastest : m_certificates;
}

CertificateInfo CertificateDialog::info() const
{
    CertificateInfo i = m_info;
    i.date = eDatum->text().trimmed();
    return i;
}

void CertificateDialog::savePdf()
{
    const QString chosen = m_choosePath ? m_choosePath(this, u"Urkunden.pdf"_s) : QString();
    if (chosen.isEmpty())
        return;
    if (const auto error = writeCertificatesPdf(withPdfSuffix(chosen), this->chosen(), info())) {
        QMessageBox::warning(this, windowTitle(), *error);
        return;
    }
    accept();
}

void CertificateDialog::print()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (const auto error = paintCertificates(printer, chosen(), info())) {
        QMessageBox::warning(this, windowTitle(), *error);
        return;
    }
    accept();
}

ResultListPdfDialog::ResultListPdfDialog(PageMaker makePage, QWidget *parent)
    : QDialog(parent)
    , m_makePage(std::move(makePage))
    , m_choosePath(askPdfPath)
{
    setObjectName(u"ResultListPdfDialog"_s);
    setWindowTitle(u"Ergebnisliste als PDF"_s);
    rbVorlaeufig = new QRadioButton(u"vorläufig"_s, this);
    rbOffiziell = new QRadioButton(u"offiziell, ausgehängt um"_s, this);
    rbVorlaeufig->setChecked(true);
    tAushang = new QTimeEdit(QTime::currentTime(), this);
    tAushang->setDisplayFormat(u"HH:mm"_s);
    cbEinspruch = new QCheckBox(u"Einspruchsfrist bis"_s, this);
    cbEinspruch->setObjectName(u"cbEinspruch"_s);
    // Half an hour after posting is the usual time for objections.
    tEinspruch = new QTimeEdit(QTime::currentTime().addSecs(30 * 60), this);
    tEinspruch->setObjectName(u"tEinspruch"_s);
    tEinspruch->setDisplayFormat(u"HH:mm"_s);
    tEinspruch->setEnabled(false);
    connect(cbEinspruch, &QCheckBox::toggled, tEinspruch, &QWidget::setEnabled);
    // The deadline belongs to the provisional list.
    connect(rbVorlaeufig, &QRadioButton::toggled, cbEinspruch, &QWidget::setEnabled);
    bPdf = new QPushButton(u"Als PDF speichern …"_s, this);
    auto *cancel = new QPushButton(u"Schließen"_s, this);
    connect(bPdf, &QPushButton::clicked, this, &ResultListPdfDialog::savePdf);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *objection = new QHBoxLayout;
    objection->addSpacing(24);
    objection->addWidget(cbEinspruch);
    objection->addWidget(tEinspruch);
    objection->addStretch(1);
    auto *official = new QHBoxLayout;
    official->addWidget(rbOffiziell);
    official->addWidget(tAushang);
    official->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bPdf);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rbVorlaeufig);
    layout->addLayout(objection);
    layout->addLayout(official);
    layout->addLayout(buttons);
}

QString ResultListPdfDialog::status() const
{
    return resultListStatus(rbOffiziell->isChecked(), tAushang->time());
}

QString ResultListPdfDialog::deadline() const
{
    if (!rbVorlaeufig->isChecked() || !cbEinspruch->isChecked())
        return {};
    return tEinspruch->time().toString(u"HH:mm"_s);
}

void ResultListPdfDialog::savePdf()
{
    const QString chosen = m_choosePath ? m_choosePath(this, u"Ergebnisliste.pdf"_s) : QString();
    if (chosen.isEmpty() || !m_makePage)
        return;
    if (const auto error = writeResultListPdf(m_makePage(status(), deadline()), withPdfSuffix(chosen))) {
        QMessageBox::warning(this, windowTitle(), *error);
        return;
    }
    accept();
}

} // namespace vex
