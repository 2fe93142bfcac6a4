#pragma once

#include <algorithm>

namespace vex {

// Sorts [first, last) as std::stable_sort would. Ranking after one entry
// finds the rows in order but for the one driver whose total changed: then
// one rotation puts him in place, in linear time; any other disorder gets the
// full sort.
template <typename It, typename Less>
void stableSortNearlySorted(It first, It last, Less less)
{
    const It descent = std::is_sorted_until(first, last, less);
    if (descent == last)
        return;
    const It before = descent - 1;
    // The element at the descent belongs further left: the others are in
    // order without it. It goes behind its equals, which came before it.
    if (std::is_sorted(descent + 1, last, less) && (descent + 1 == last || !less(*(descent + 1), *before))) {
        std::rotate(std::upper_bound(first, descent, *descent, less), descent, descent + 1);
        return;
    }
    // The element before the descent belongs further right. It goes ahead of
    // its equals, which came after it.
    if ((before == first || !less(*descent, *(before - 1))) && std::is_sorted(descent, last, less)) {
        std::rotate(before, before + 1, std::lower_bound(descent, last, *before, less));
        return;
    }
    std::stable_sort(first, last, less);
}

} // namespace vex
