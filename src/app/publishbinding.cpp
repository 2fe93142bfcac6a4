#include "app/publishbinding.h"

#include "publish/resultspublisher.h"

#include <QLabel>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace vex {

PublishBinding::PublishBinding(ResultsPublisher &publisher, QStatusBar &bar)
    : QObject(&bar)
{
    m_label = new QLabel(&bar);
    m_label->setObjectName(u"lbl_Internet"_s);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar.addPermanentWidget(m_label);
    connect(&publisher, &ResultsPublisher::statusChanged, this, &PublishBinding::show);
    show(publisher.statusText(), publisher.statusIsFailure());
}

void PublishBinding::show(const QString &text, bool failure)
{
    m_label->setText(text);
    m_label->setVisible(!text.isEmpty());
    m_label->setToolTip(failure ? text : QString());
    m_label->setStyleSheet(failure ? u"color: #b3261e; font-weight: bold;"_s : QString());
}

} // namespace vex
