#include "app/help/helptopics.h"

#include <QHash>
#include <QTabWidget>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// Windows by their object names. Dialogs shown from the rows' popup menu
// belong to the subject they serve, not to the main window behind them.
const QHash<QString, QString> &windowPages()
{
    static const QHash<QString, QString> pages{
        {u"FormMain"_s, u"hauptfenster.html"_s},
        {u"FormMonitor2"_s, u"veranstaltung.html#anzeige"_s},
        {u"FormInfo"_s, u"index.html"_s},
        {u"CFGDialog"_s, u"einstellungen.html"_s},
        {u"BarrierTestWindow"_s, u"lichtschranken.html#test"_s},
        {u"FormMannschaften"_s, u"auswertung.html#mannschaften"_s},
        {u"CertificateDialog"_s, u"auswertung.html#urkunden"_s},
        {u"ResultListPdfDialog"_s, u"auswertung.html#ergebnisliste"_s},
        {u"SeasonWindow"_s, u"meisterschaft.html"_s},
    };
    return pages;
}

} // namespace

QString partAnchor(const QString &caption)
{
    QString anchor;
    for (const QChar c : caption.trimmed().toLower()) {
        switch (c.unicode()) {
        case u'ä': anchor += u"ae"_s; break;
        case u'ö': anchor += u"oe"_s; break;
        case u'ü': anchor += u"ue"_s; break;
        case u'ß': anchor += u"ss"_s; break;
        default:
            if (c.isLetterOrNumber() && c.unicode() < 128)
                anchor += c;
            else if (!anchor.isEmpty() && !anchor.endsWith(u'-'))
                anchor += u'-';
        }
    }
    while (anchor.endsWith(u'-'))
        anchor.chop(1);
    return anchor;
}

QString helpPageFor(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const auto found = windowPages().constFind(w->objectName());
        if (found == windowPages().constEnd())
            continue;
        // The settings dialog opens at the part in front.
        if (w->objectName() == u"CFGDialog"_s) {
            if (const auto *tabs = w->findChild<const QTabWidget *>(); tabs && tabs->currentIndex() >= 0)
                return *found + u'#' + partAnchor(tabs->tabText(tabs->currentIndex()).remove(u'&'));
        }
        return *found;
    }
    return u"index.html"_s;
}

} // namespace vex
