#include "results/startnumbers.h"

#include "results/resultpage.h"

#include <bitset>

namespace vex {

namespace {
constexpr int kHighestProposed = 999;
}

int FindRowByStartNumber(const ResultPage &page, const QString &text)
{
    for (int row = 1; row < page.rows(); ++row) {
        if (page.row(row).at(ColStNr) == text)
            return row;
    }
    return -1;
}

int NextFreeStartNumber(const ResultPage &page)
{
    // One pass over the page instead of one per candidate number. Only the
    // plain decimal text of a number takes it ("007" or " 7" do not take 7).
    std::bitset<kHighestProposed + 1> taken;
    for (int row = 0; row < page.rows(); ++row) {
        const QString &text = page.row(row).at(ColStNr);
        if (text.isEmpty() || text.size() > 3 || text.front() == u'0')
            continue;
        bool ok = false;
        const int n = text.toInt(&ok, 10);
        if (ok && n >= 1 && n <= kHighestProposed && QString::number(n) == text)
            taken.set(std::size_t(n));
    }
    for (int n = 1; n <= kHighestProposed; ++n) {
        if (!taken.test(std::size_t(n)))
            return n;
    }
    return kHighestProposed + 1;
}

} // namespace vex
