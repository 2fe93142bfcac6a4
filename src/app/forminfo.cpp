#include "app/forminfo.h"

#include "app/appidentity.h"
#include "app/windowplacement.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The band across the top: the program's name on a blue gradient, drawn so the
// window needs no picture file.
class InfoBanner : public QWidget
{
public:
    explicit InfoBanner(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(u"ImageBanner"_s);
        setFixedHeight(64);
        setMinimumWidth(320);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(rect().topLeft(), rect().bottomRight());
        sky.setColorAt(0.0, QColor(0, 48, 120));
        sky.setColorAt(1.0, QColor(110, 180, 240));
        p.fillRect(rect(), sky);

        // A chequered strip like a start and finish line along the bottom edge.
        const int cell = 6;
        for (int x = 0, i = 0; x < width(); x += cell, ++i) {
            p.fillRect(x, height() - 2 * cell, cell, cell, i % 2 ? Qt::black : Qt::white);
            p.fillRect(x, height() - cell, cell, cell, i % 2 ? Qt::white : Qt::black);
        }

        QFont f = font();
        f.setBold(true);
        f.setItalic(true);
        f.setPixelSize(30);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(rect().adjusted(12, 0, -12, -2 * cell), Qt::AlignLeft | Qt::AlignVCenter,
                   productName());
    }
};

QLabel *textLabel(const QString &name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

} // namespace

TFormInfo::TFormInfo(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"FormInfo"_s);
    setWindowTitle(u"Information"_s);
    setModal(false);

    auto *icon = new QLabel(this);
    icon->setObjectName(u"ImageIcon"_s);
    QIcon programIcon = QApplication::windowIcon();
    if (programIcon.isNull())
        programIcon = style()->standardIcon(QStyle::SP_ComputerIcon, nullptr, this);
    icon->setPixmap(programIcon.pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto *product = textLabel(u"lblProduct"_s, productName(), this);
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    product->setFont(bold);

    auto *version = textLabel(u"lblVersion"_s, versionText(), this);
    auto *praise = textLabel(u"lblPraise"_s, u"Lob und Kritik, Verbesserungsvorschläge,"_s, this);
    auto *orders = textLabel(u"lblOrders"_s, u"Fragen und Bestellungen bitte schriftlich über"_s, this);
    auto *contact = textLabel(u"lblContact"_s, u"den Veranstalter oder die Vereinsleitung."_s, this);
    auto *licence = textLabel(u"lblLicence"_s,
                              u"Vexilor ist freie Software unter der GNU General Public License,\n"
                              "Version 3 oder (nach Ihrer Wahl) jeder späteren Version; ohne jede Gewährleistung.\n"
                              "Der Quelltext wird mit dem Programm weitergegeben: unter Windows als\n"
                              "„Quelltext.zip“ im Programmordner, neben „LICENSE“ (die Lizenz) und\n"
                              "„THIRD-PARTY.md“ (die mitgelieferten Bibliotheken und ihre Lizenzen)."_s,
                              this);
    licence->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *ok = new QPushButton(u"Einverstanden"_s, this);
    ok->setObjectName(u"bEinverstanden"_s);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *names = new QVBoxLayout;
    names->addWidget(product);
    names->addWidget(version);
    auto *head = new QHBoxLayout;
    head->addWidget(icon);
    head->addLayout(names, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();

    auto *body = new QVBoxLayout;
    body->setContentsMargins(12, 8, 12, 12);
    body->addLayout(head);
    body->addSpacing(8);
    body->addWidget(praise);
    body->addWidget(orders);
    body->addWidget(contact);
    body->addSpacing(8);
    body->addWidget(licence);
    body->addSpacing(8);
    body->addLayout(buttons);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new InfoBanner(this));
    layout->addLayout(body);
    // The size follows from the contents and can't be changed by the operator.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormInfo::showInfo()
{
    if (!isVisible()) {
        adjustSize();
        centreWindowOn(*this, parentWidget());
        show();
    }
    raise();
    activateWindow();
}

} // namespace vex
