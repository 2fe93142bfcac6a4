#include "app/livecodedialog.h"

#include "live/liveposter.h"
#include "live/liveqr.h"
#include "race/race.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

LiveCodeDialog::LiveCodeDialog(Race &race, const QString &address, QWidget *parent)
    : QDialog(parent)
    , m_race(race)
    , m_address(address)
{
    setObjectName(u"LiveCodeDialog"_s);
    setWindowTitle(u"Live-Seite"_s);
    auto *code = new QLabel(this);
    code->setObjectName(u"lblLiveCode"_s);
    const QImage image = qrImage(encodeQr(address.toUtf8()), 8);
    code->setPixmap(QPixmap::fromImage(image));
    code->setAlignment(Qt::AlignCenter);
    auto *text = new QLabel(address, this);
    text->setAlignment(Qt::AlignCenter);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont big = text->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    text->setFont(big);
    m_onDisplay = new QCheckBox(u"Code auf der Zuschaueranzeige zeigen"_s, this);
    m_onDisplay->setObjectName(u"cbLiveCodeOnDisplay"_s);
    m_onDisplay->setChecked(race.settings().LiveCode);
    connect(m_onDisplay, &QCheckBox::toggled, this, [this](bool on) { m_race.setLiveCodeShown(on); });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *print = buttons->addButton(u"Aushang drucken…"_s, QDialogButtonBox::ActionRole);
    print->setObjectName(u"btnLivePoster"_s);
    connect(print, &QPushButton::clicked, this, &LiveCodeDialog::printPoster);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(u"Mit der Kamera eines Handys scannen:"_s, this));
    layout->addWidget(code);
    layout->addWidget(text);
    layout->addWidget(m_onDisplay);
    layout->addWidget(buttons);
}

void LiveCodeDialog::printPoster()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        QMessageBox::warning(this, windowTitle(), u"Der Aushang lässt sich nicht drucken: Der Drucker ist nicht bereit."_s);
        return;
    }
    const Settings &s = m_race.settings();
    paintLivePoster(painter, QRectF(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size()),
                    s.Title, s.Title2, m_address);
    painter.end();
}

} // namespace vex
