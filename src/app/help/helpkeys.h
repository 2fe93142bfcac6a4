#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace vex {

// F1 and Alt+I in the program's other windows and dialogs, where the main
// window's own keys don't reach: the manual opens at the page of the widget
// the key came to.
class HelpKeys : public QObject
{
public:
    HelpKeys(QWidget *mainWindow, std::function<void(QWidget *)> showHelp);

    static bool isHelpKey(QKeyCombination key);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_main;
    std::function<void(QWidget *)> m_showHelp;
};

} // namespace vex
