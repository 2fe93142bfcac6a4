#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vex {

// The yes/no question the program asks before it ends, clears results or
// overwrites a page. It stays on top and answers yes only for "Ja": Esc, "Nein"
// and closing the window all mean no.
class TFDlgYesNo : public QDialog
{
    Q_OBJECT
public:
    // The caption is the application title as it is when the dialog is made.
    explicit TFDlgYesNo(const QString &applicationTitle, QWidget *parent = nullptr);

    QString question() const;
    void setQuestion(const QString &text);

    // Sets the question, waits modally for the answer, true only for "Ja".
    bool AskYesNo(const QString &question);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QLabel *m_question;
    QPushButton *m_yes;
    QPushButton *m_no;
};

} // namespace vex
