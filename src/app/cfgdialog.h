#pragma once

#include <QDialog>

class QPushButton;
class QVBoxLayout;

namespace vex {

// The settings dialog. It is created once at start-up and kept, so its
// controls keep their state between two openings. Only the frame and the two
// buttons exist so far; the setting controls go into contentLayout().
class TCFGDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TCFGDialog(QWidget *parent = nullptr);

    QVBoxLayout *contentLayout() const { return m_content; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QVBoxLayout *m_content;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};

} // namespace vex
