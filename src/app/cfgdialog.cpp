#include "app/cfgdialog.h"

#include "app/windowplacement.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

TCFGDialog::TCFGDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(u"CFGDialog"_s);
    setWindowTitle(u"Einstellungen"_s);
    resize(495, 364);

    m_ok = new QPushButton(u"OK"_s, this);
    m_ok->setObjectName(u"OKBtn"_s);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(u"Abbrechen"_s, this);
    m_cancel->setObjectName(u"BitBtnCancel"_s);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    m_content = new QVBoxLayout;
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_content, 1);
    layout->addLayout(buttons);
}

void TCFGDialog::showEvent(QShowEvent *event)
{
    centreWindowOn(*this, parentWidget());
    QDialog::showEvent(event);
}

} // namespace vex
