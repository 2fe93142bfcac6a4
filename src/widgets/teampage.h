#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

namespace vex {

struct DayBest;
struct TeamRanking;

// The page "Mannschaften": the day's best run above the team ranking, one
// row per team with its counting drivers. Read only: it shows what the
// results give and takes no input.
class TeamPage : public QWidget
{
    Q_OBJECT
public:
    explicit TeamPage(QWidget *parent = nullptr);

    void showStandings(const TeamRanking &ranking, const DayBest &dayBest);
    // The fastest girl and boy under the day's best, one line each; hidden
    // without any.
    void showFastest(const QStringList &lines);

    QLabel *dayBestLabel() const { return m_dayBest; }
    QTableWidget *table() const { return m_table; }

private:
    QLabel *m_dayBest = nullptr;
    QLabel *m_fastest = nullptr;
    QTableWidget *m_table = nullptr;
};

} // namespace vex
