#pragma once

#include <QString>
#include <QtGlobal>

namespace vex {

class ResultPage;

// What a ranking or a best-time search found on a page.
struct RankResult
{
    // True when RankPage sorted the page and wrote the places. False for
    // FindPageBest, and for RankPage with automatic ranking off; then the
    // caller keeps the best time it shows.
    bool ranked = false;
    // The best positive total by the ranking's rule, 0 when there is none.
    qint32 bestTimeMs = 0;
    // The row holding that total, -1 when there is none.
    int bestRow = -1;
    // Start number, a blank and name of that row; empty when there is none.
    QString bestDriverLabel;
};

// The order of two result texts in a ranking: time texts first, shorter ones
// first and equal lengths character by character (which is their time order),
// then "DIS" in any case, then the other no-time texts ("-"), then blank ones.
// Returns a negative number, 0 or a positive number.
int CompareResultTexts(const QString &a, const QString &b);

// Ranks a page: sorts the drivers by total (case-insensitive, stable, the
// total the only key), writes "DIS" for totals of "-", gives equal totals the
// same place and skips the places they use up, and finds the best total.
// Under the page regulation's better-run tie-break, equal totals are ordered
// by their counted runs, best first, and share a place only when those are
// equal too. Rows without a total lose their place text, except a total of
// "DIS" from a file, which keeps its place. With autoRang off the page is not
// touched at all.
RankResult RankPage(ResultPage &page, bool autoRang);

// The best total of a page as it stands, by the ranking's rule whatever the
// order of the rows. Nothing is sorted or written.
RankResult FindPageBest(const ResultPage &page);

} // namespace vex
