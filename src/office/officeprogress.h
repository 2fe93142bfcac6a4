#pragma once

#include <QString>

namespace vex {

// Where the long spreadsheet operations report how far they are. The race
// core relays it to the progress window; the defaults do nothing.
class OfficeProgress
{
public:
    virtual ~OfficeProgress() = default;
    virtual void showProgress() {}
    virtual void setProgressCaption(const QString &) {}
    virtual void setProgressMaximum(int) {}
    virtual void setProgress(int) {}
    // Called at the end of every operation that showed the progress, also
    // after a failure.
    virtual void closeProgress() {}
};

} // namespace vex
