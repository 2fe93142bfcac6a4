#include "app/dlgyesno.h"

#include "app/windowplacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace vex {

TFDlgYesNo::TFDlgYesNo(const QString &applicationTitle, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(u"DlgYesNo"_s);
    setWindowTitle(applicationTitle);
    setFixedSize(273, 116);

    auto *icon = new QLabel(this);
    icon->setObjectName(u"Image1"_s);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    m_question = new QLabel(u"?"_s, this);
    m_question->setObjectName(u"lblQuestion"_s);
    m_question->setAlignment(Qt::AlignCenter);
    m_question->setWordWrap(true);

    m_yes = new QPushButton(u"Ja"_s, this);
    m_yes->setObjectName(u"bJa"_s);
    m_no = new QPushButton(u"Nein"_s, this);
    m_no->setObjectName(u"bNein"_s);
    // Every question guards something that can't be undone (results, the
    // loaded protocol, the running program): a stray Enter answers "Nein".
    m_no->setDefault(true);
    connect(m_yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_no, &QPushButton::clicked, this, &QDialog::reject);

    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(m_question, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_yes);
    buttons->addWidget(m_no);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
}

QString TFDlgYesNo::question() const
{
    return m_question->text();
}

void TFDlgYesNo::setQuestion(const QString &text)
{
    m_question->setText(text);
}

bool TFDlgYesNo::AskYesNo(const QString &question)
{
    setQuestion(question);
    m_no->setFocus();
    return exec() == QDialog::Accepted;
}

void TFDlgYesNo::showEvent(QShowEvent *event)
{
    centreWindowOn(*this, parentWidget());
    QDialog::showEvent(event);
}

} // namespace vex
