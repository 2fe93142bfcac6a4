#include "app/help/helpwindow.h"

#include "app/help/manual.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

QToolButton *toolButton(QWidget *parent, const QString &name, const QString &caption, QStyle::StandardPixmap icon)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setIcon(parent->style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    return b;
}

QString choosePdfFile(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, u"Handbuch als PDF"_s, u"Vexilor-Handbuch.pdf"_s,
                                        u"PDF-Dateien (*.pdf)"_s);
}

} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_choosePdf(choosePdfFile)
{
    setObjectName(u"HelpWindow"_s);
    setWindowTitle(u"Vexilor – Handbuch"_s);
    // The manual left open must not keep the program running.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(1000, 720);

    auto *bar = new QHBoxLayout;
    QToolButton *back = toolButton(this, u"bZurueck"_s, u"&Zurück"_s, QStyle::SP_ArrowBack);
    QToolButton *forward = toolButton(this, u"bVor"_s, u"&Vor"_s, QStyle::SP_ArrowForward);
    QToolButton *home = toolButton(this, u"bStartseite"_s, u"&Startseite"_s, QStyle::SP_DirHomeIcon);
    QToolButton *print = toolButton(this, u"bDrucken"_s, u"Handbuch &drucken …"_s, QStyle::SP_FileIcon);
    QToolButton *pdf = toolButton(this, u"bPdf"_s, u"Als &PDF …"_s, QStyle::SP_DialogSaveButton);
    back->setToolTip(u"Zurück [Alt+Links]"_s);
    forward->setToolTip(u"Vor [Alt+Rechts]"_s);
    for (QToolButton *b : {back, forward, home})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(print);
    bar->addWidget(pdf);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(u"helpBrowser"_s);
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({manual::folder()});

    m_side = new QTabWidget(this);
    m_side->setObjectName(u"helpSide"_s);
    m_contents = new QTreeWidget(m_side);
    m_contents->setObjectName(u"helpContents"_s);
    m_contents->setHeaderHidden(true);
    m_side->addTab(m_contents, u"Inhalt"_s);

    auto *searchPart = new QWidget(m_side);
    m_query = new QLineEdit(searchPart);
    m_query->setObjectName(u"helpQuery"_s);
    m_query->setPlaceholderText(u"Suchbegriff, z. B. Lichtschranke"_s);
    m_query->setClearButtonEnabled(true);
    m_results = new QListWidget(searchPart);
    m_results->setObjectName(u"helpResults"_s);
    auto *searchLayout = new QVBoxLayout(searchPart);
    searchLayout->setContentsMargins(4, 4, 4, 4);
    searchLayout->addWidget(m_query);
    searchLayout->addWidget(m_results, 1);
    m_side->addTab(searchPart, u"Suche"_s);

    auto *split = new QSplitter(this);
    split->addWidget(m_side);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({300, 700});

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(bar);
    outer->addWidget(split, 1);

    fillContents();

    // Searching is the first thing a reader at the course wants.
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        m_side->setCurrentIndex(1);
        m_query->setFocus();
        m_query->selectAll();
    });

    connect(back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(home, &QToolButton::clicked, this, [this] { m_browser->setSource(manual::pageUrl(u"index.html"_s)); });
    connect(print, &QToolButton::clicked, this, &HelpWindow::printManual);
    connect(pdf, &QToolButton::clicked, this, &HelpWindow::savePdf);
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        m_browser->setSource(manual::pageUrl(item->data(0, Qt::UserRole).toString()));
    });
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        m_browser->setSource(manual::pageUrl(item->data(0, Qt::UserRole).toString()));
    });
    // Searching as the operator types, once the typing pauses.
    auto *typing = new QTimer(this);
    typing->setSingleShot(true);
    typing->setInterval(250);
    connect(m_query, &QLineEdit::textEdited, typing, qOverload<>(&QTimer::start));
    connect(typing, &QTimer::timeout, this, [this] { searchFor(m_query->text()); });
    connect(m_query, &QLineEdit::returnPressed, this, [this, typing] {
        typing->stop();
        searchFor(m_query->text());
        if (m_results->count() > 0)
            openHit(0);
    });
    connect(m_results, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) { openHit(m_results->row(item)); });
    connect(m_results, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { openHit(m_results->row(item)); });

    m_browser->setSource(manual::pageUrl(u"index.html"_s));
}

void HelpWindow::fillContents()
{
    for (const manual::Page &page : manual::pages()) {
        auto *item = new QTreeWidgetItem(m_contents, {page.title});
        item->setData(0, Qt::UserRole, page.file);
        for (const manual::Section &section : page.sections) {
            auto *child = new QTreeWidgetItem(item, {section.title});
            child->setData(0, Qt::UserRole, QString(page.file + u'#' + section.anchor));
        }
    }
}

void HelpWindow::showPage(const QString &fileAndAnchor)
{
    m_browser->setSource(manual::pageUrl(fileAndAnchor));
    QWidget *modal = QApplication::activeModalWidget();
    if (!isVisible())
        show();
    stayUsableBeside(modal == this ? nullptr : modal);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

// A dialog shown modally blocks every window that isn't its own; the manual
// becomes one of its windows for as long as it is shown. The link goes as
// the dialog hides, before it can be destroyed (Windows would take an owned
// window with it), and the manual stays open.
void HelpWindow::stayUsableBeside(QWidget *modal)
{
    QWindow *own = windowHandle();
    QWindow *blocker = modal ? modal->window()->windowHandle() : nullptr;
    if (!own || !blocker || own->transientParent() == blocker)
        return;
    if (m_blocker)
        m_blocker->removeEventFilter(this);
    m_blocker = modal->window();
    m_blocker->installEventFilter(this);
    own->setTransientParent(blocker);
    // Whether a window is blocked is decided as it is shown.
    hide();
    show();
}

bool HelpWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_blocker && event->type() == QEvent::Hide) {
        m_blocker->removeEventFilter(this);
        m_blocker.clear();
        if (windowHandle())
            windowHandle()->setTransientParent(nullptr);
    }
    return QWidget::eventFilter(watched, event);
}

QString HelpWindow::currentPage() const
{
    const QUrl url = m_browser->source();
    QString page = url.fileName();
    if (url.hasFragment())
        page += u'#' + url.fragment();
    return page;
}

void HelpWindow::searchFor(const QString &query)
{
    m_side->setCurrentIndex(1);
    if (m_query->text() != query)
        m_query->setText(query);
    m_words = query.simplified().split(u' ', Qt::SkipEmptyParts);
    m_results->clear();
    const QList<manual::SearchHit> hits = manual::search(query);
    for (const manual::SearchHit &hit : hits) {
        auto *item = new QListWidgetItem(hit.title, m_results);
        item->setToolTip(hit.title);
        item->setData(Qt::UserRole, hit.anchor.isEmpty() ? hit.file : QString(hit.file + u'#' + hit.anchor));
    }
    if (hits.isEmpty() && !m_words.isEmpty())
        new QListWidgetItem(u"Nichts gefunden."_s, m_results);
}

void HelpWindow::openHit(int row)
{
    const QListWidgetItem *item = m_results->item(row);
    if (!item || item->data(Qt::UserRole).toString().isEmpty())
        return;
    m_results->setCurrentRow(row);
    const QString target = item->data(Qt::UserRole).toString();
    m_browser->setSource(manual::pageUrl(target));
    if (m_words.isEmpty())
        return;
    // The first word found from the section on is marked, the section kept
    // at the top.
    const QString anchor = target.section(u'#', 1);
    QTextCursor from(m_browser->document());
    for (QTextBlock b = m_browser->document()->begin(); b.isValid() && !anchor.isEmpty(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().anchorNames().contains(anchor)) {
                from.setPosition(it.fragment().position());
                b = m_browser->document()->lastBlock();
                break;
            }
        }
    }
    m_browser->setTextCursor(from);
    m_browser->find(m_words.first());
    if (!anchor.isEmpty())
        m_browser->scrollToAnchor(anchor);
}

void HelpWindow::printManual()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(u"Handbuch drucken"_s);
    if (dialog.exec() != QDialog::Accepted)
        return;
    manual::printDocument()->print(&printer);
}

void HelpWindow::savePdf()
{
    const QString path = m_choosePdf(this);
    if (path.isEmpty())
        return;
    if (!manual::writePdf(path))
        QMessageBox::warning(this, windowTitle(), u"Das PDF konnte nicht geschrieben werden: "_s + path);
}

} // namespace vex
