#pragma once

#include "results/resultpage.h"

#include <QDate>
#include <QObject>
#include <QStringList>

#include <array>

namespace vex {

// The ten result pages and the class list: entry k of the class list is the
// class of page k. Only the loaders fill the class list; it never holds more
// entries than there are pages.
class Competition : public QObject
{
    Q_OBJECT
public:
    explicit Competition(QObject *parent = nullptr);

    ResultPage *page(int index) { return m_pages.at(std::size_t(index)); }
    const ResultPage *page(int index) const { return m_pages.at(std::size_t(index)); }
    static constexpr int pageCount() { return kPageCount; }

    const QStringList &classes() const { return m_classes; }
    void setClasses(const QStringList &classes);

    // The event's regulation on every page. Totals and places are not
    // recomputed here: that is a change of the results, the race's to make.
    void setRegulation(const Regulation &regulation);

    // Every page back to its start-up shape: titles in row 0, one empty data
    // row, caption "Fahrer" on page 1, only page 1's tab visible.
    void resetPages();

    // The day of the event as the main window's date field says; null until
    // the operator sets it or a file brings it.
    QDate eventDate() const { return m_eventDate; }
    void setEventDate(QDate date) { m_eventDate = date; }
    // Where it takes place (the setting "Ort" when the event began); empty
    // when not known.
    QString eventPlace() const { return m_eventPlace; }
    void setEventPlace(const QString &place) { m_eventPlace = place; }

Q_SIGNALS:
    void classesChanged();

private:
    std::array<ResultPage *, kPageCount> m_pages{};
    QStringList m_classes;
    QDate m_eventDate;
    QString m_eventPlace;
};

} // namespace vex
