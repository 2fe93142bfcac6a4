#include "results/competition.h"

using namespace Qt::StringLiterals;

namespace vex {

Competition::Competition(QObject *parent)
    : QObject(parent)
{
    for (auto &p : m_pages)
        p = new ResultPage(this);
    resetPages();
}

void Competition::setClasses(const QStringList &classes)
{
    m_classes = classes.mid(0, kPageCount);
    Q_EMIT classesChanged();
}

void Competition::setRegulation(const Regulation &regulation)
{
    for (ResultPage *p : m_pages)
        p->setRegulation(regulation);
}

void Competition::resetPages()
{
    for (int i = 0; i < kPageCount; ++i) {
        ResultPage *p = m_pages.at(std::size_t(i));
        p->setRowCount(2);
        p->setRow(0, defaultColumnTitles());
        p->clearRow(1);
        p->setCaption(i == 0 ? u"Fahrer"_s : QString());
        p->setTabVisible(i == 0);
    }
}

} // namespace vex
