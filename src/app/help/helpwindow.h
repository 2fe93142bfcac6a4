#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class QTreeWidget;

namespace vex {

// The manual's window: contents, a search over all pages, back and forward,
// links between the pages, printing and a PDF of the whole manual. One window
// for the whole program; it stays usable beside a dialog that blocks the rest.
class HelpWindow : public QWidget
{
    Q_OBJECT
public:
    // Asks where the PDF goes; empty when the operator cancels.
    using PdfChooser = std::function<QString(QWidget *parent)>;

    explicit HelpWindow(QWidget *parent = nullptr);

    // Shows the page ("auswertung.html#urkunden") in front of every window,
    // the dialog that blocks the others included.
    void showPage(const QString &fileAndAnchor);
    void setPdfChooser(PdfChooser chooser) { m_choosePdf = std::move(chooser); }

    void searchFor(const QString &query);
    QString currentPage() const;

    QTextBrowser *browser() const { return m_browser; }
    QListWidget *searchResults() const { return m_results; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillContents();
    void openHit(int row);
    void printManual();
    void savePdf();
    // Out of reach of the dialog in front, which would block it otherwise.
    void stayUsableBeside(QWidget *modal);

    QTextBrowser *m_browser = nullptr;
    QTabWidget *m_side = nullptr;
    QTreeWidget *m_contents = nullptr;
    QLineEdit *m_query = nullptr;
    QListWidget *m_results = nullptr;
    QStringList m_words;
    PdfChooser m_choosePdf;
    QPointer<QWidget> m_blocker; // the modal dialog the manual belongs to for now
};

} // namespace vex
