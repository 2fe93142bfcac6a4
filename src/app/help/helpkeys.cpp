#include "app/help/helpkeys.h"

#include <QKeyEvent>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace vex {

HelpKeys::HelpKeys(QWidget *mainWindow, std::function<void(QWidget *)> showHelp)
    : QObject(mainWindow)
    , m_main(mainWindow)
    , m_showHelp(std::move(showHelp))
{
}

bool HelpKeys::isHelpKey(QKeyCombination key)
{
    return key == QKeyCombination(Qt::Key_F1) || key == QKeyCombination(Qt::ALT | Qt::Key_I);
}

bool HelpKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || !isHelpKey(static_cast<QKeyEvent *>(event)->keyCombination()))
        return false;
    // The main window has the keys as commands; the manual has nothing to
    // open in itself.
    const QWidget *window = w->window();
    if (window == m_main || window->objectName() == u"HelpWindow"_s)
        return false;
    // Taken as an override, no mnemonic of the dialog takes Alt+I; the press
    // that follows opens the manual.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    m_showHelp(w);
    return true;
}

} // namespace vex
