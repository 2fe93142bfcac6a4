#pragma once

#include <QObject>

class QLabel;
class QStatusBar;

namespace vex {

class ResultsPublisher;

// How publishing goes, in the status bar: the time of the last upload or
// why it failed, in red. Empty while publishing is off.
class PublishBinding : public QObject
{
    Q_OBJECT
public:
    PublishBinding(ResultsPublisher &publisher, QStatusBar &bar);

private:
    void show(const QString &text, bool failure);

    QLabel *m_label = nullptr;
};

} // namespace vex
