#pragma once

#include <QWidget>

class QProgressBar;

namespace vex {

// The small progress window of the long spreadsheet imports and exports. It
// has no title-bar buttons, so the operator can't close it half-way; the
// operation sets its caption and progress, shows it and closes it.
class ProgressWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    void setMaximum(int maximum);
    void setValue(int value);
    int value() const;
    int maximum() const;

    QProgressBar *progressBar() const { return m_bar; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QProgressBar *m_bar;
};

} // namespace vex
