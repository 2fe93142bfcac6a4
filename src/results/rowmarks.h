#pragma once

#include "results/regulation.h"

#include <QString>
#include <QStringView>

#include <array>

namespace vex {

// What follows a time typed from a stopwatch wherever results are read.
inline constexpr QStringView kHandTimeMark = u" H";

// Whether a driver is honoured as the fastest girl or the fastest boy.
enum class Gender : quint8 { None, Girl, Boy };

// A cell of a start list's m/w column: "m" or "männlich" is a boy, "w" or
// "weiblich" a girl, in any case and between blanks; anything else neither.
Gender readGender(QStringView text);
// "m", "w", or empty for neither.
QString genderText(Gender gender);
// Whether a title row's cell names that column: "m/w", "w/m" or
// "Geschlecht", in any case.
bool isGenderTitle(QStringView title);

// What a row carries besides its cells, kept by its identity: whether the
// driver is a girl or a boy, which runs' times were typed from a stopwatch,
// and which runs are disqualified with the time their "DIS" replaced.
struct RowMarks
{
    Gender gender = Gender::None;
    quint8 handTimes = 0;        // bit r: run r (0 = training run)
    quint8 disqualifiedRuns = 0; // bit r: run r holds "DIS" by a command
    std::array<QString, kMaxScoringRuns + 1> keptTimes; // by run: what "DIS" replaced

    bool isHandTime(int run) const { return run >= 0 && run <= kMaxScoringRuns && (handTimes >> run) & 1; }
    bool isDisqualifiedRun(int run) const
    {
        return run >= 0 && run <= kMaxScoringRuns && (disqualifiedRuns >> run) & 1;
    }
    void setHandTime(int run, bool on);
    // Disqualifies the run keeping the time it had, or lifts that.
    void setDisqualifiedRun(int run, bool on, const QString &keptTime = {});
    // A run whose cell got another time keeps neither mark.
    void forgetRun(int run);
    bool isEmpty() const { return gender == Gender::None && handTimes == 0 && disqualifiedRuns == 0; }

    bool operator==(const RowMarks &) const = default;
};

} // namespace vex
