// The file types of the open and save dialogs, and Qt's own dialogs behind
// them, without a main window.
#include "app/filechooser.h"
#include "app/filefilters.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace vex;
using namespace Qt::StringLiterals;

namespace {

const QString kTextFilter = u"Textdatei (*.txt)"_s;
const QString kWordFilter = u"MS Word (*.doc)"_s;
const QString kWebFilter = u"Webseite (*.html)"_s;

} // namespace

class TestFileDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedExtensionDecidesTheFileType_data();
    void typedExtensionDecidesTheFileType();
    void openedFileFollowsItsExtension_data();
    void openedFileFollowsItsExtension();
    void realFileDialogs();

private:
    QTemporaryDir m_dir;
};

// An extension the operator typed that belongs to one of the dialog's types
// decides, whatever entry he chose; otherwise the chosen entry's is added.
void TestFileDialogs::typedExtensionDecidesTheFileType_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("filterIndex"); // without a spreadsheet: 1 text, 2 Word, 3 web page
    QTest::addColumn<QString>("written");
    QTest::addColumn<int>("type");
    QTest::newRow("web page typed, text chosen") << u"ergebnis.html"_s << 1 << u"ergebnis.html"_s << int(FileType::Web);
    QTest::newRow("text typed, web page chosen") << u"protokoll.txt"_s << 3 << u"protokoll.txt"_s << int(FileType::Text);
    QTest::newRow("capitals") << u"PROTOKOLL.TXT"_s << 3 << u"PROTOKOLL.TXT"_s << int(FileType::Text);
    QTest::newRow("no extension: the chosen one") << u"ergebnis"_s << 3 << u"ergebnis.html"_s << int(FileType::Web);
    QTest::newRow("foreign extension kept, chosen one added")
        << u"lauf.v2"_s << 1 << u"lauf.v2.txt"_s << int(FileType::Text);
}

void TestFileDialogs::typedExtensionDecidesTheFileType()
{
    QFETCH(QString, typed);
    QFETCH(int, filterIndex);
    QFETCH(QString, written);
    QFETCH(int, type);
    const QStringList filters = saveFilters(false);
    QCOMPARE(filters, (QStringList{kTextFilter, kWordFilter, kWebFilter}));
    const auto [path, fileType] = savedFile(u"/ordner/"_s + typed, filters, filterIndex);
    QCOMPARE(path, u"/ordner/"_s + written);
    QCOMPARE(int(fileType), type);
}

// The open dialog follows the chosen file's extension as the save dialog
// does: a workbook chosen under the text entry was refused as no text file.
void TestFileDialogs::openedFileFollowsItsExtension_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<int>("filterIndex"); // 1 text, 2 workbook
    QTest::addColumn<int>("type");
    QTest::newRow("workbook, text entry") << u"START.XLS"_s << 1 << int(FileType::Excel);
    QTest::newRow("foreign extension: the entry") << u"start.csv"_s << 2 << int(FileType::Excel);
}

void TestFileDialogs::openedFileFollowsItsExtension()
{
    QFETCH(QString, chosen);
    QFETCH(int, filterIndex);
    QTEST(int(openedFileType(u"/ordner/"_s + chosen, openFilters(true), filterIndex)), "type");
}

// Qt's own dialogs, answered the way an operator would: the entry chosen from
// the filter list comes back as its number, whatever the start entry was.
void TestFileDialogs::realFileDialogs()
{
    DialogFileChooser chooser;
    const QStringList filters{kTextFilter, kWordFilter, kWebFilter};

    FileDialogRequest save;
    save.caption = u"Speichern unter"_s;
    save.folder = m_dir.path();
    save.fileName = u"Vexilor"_s;
    save.filters = filters;
    save.filterIndex = 3;
    QString seen;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // Asserting here would leave the dialog open; the answer is read
        // after it has closed.
        seen = dialog->objectName() + u' ' + dialog->selectedNameFilter() + u' ' + dialog->defaultSuffix()
               + (dialog->acceptMode() == QFileDialog::AcceptSave ? u" save"_s : u" open"_s)
               + (dialog->testOption(QFileDialog::DontConfirmOverwrite) ? u""_s : u" asks"_s);
        dialog->selectNameFilter(kWordFilter);
        dialog->selectFile(m_dir.filePath(u"bericht.doc"_s));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    std::optional<FileChoice> chosen = chooser.chooseSave(nullptr, save);
    QCOMPARE(seen, u"SaveDialog1 "_s + kWebFilter + u"  save asks"_s);
    QVERIFY(chosen);
    QCOMPARE(chosen->filterIndex, 2);
    QCOMPARE(QFileInfo(chosen->path).fileName(), u"bericht.doc"_s);

    const QString existing = m_dir.filePath(u"start.txt"_s);
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("KLASSE: A\r\n");
    file.close();
    FileDialogRequest open = save;
    open.caption = u"\u00d6ffnen"_s;
    open.filters = {kTextFilter};
    open.filterIndex = 7; // stored when the list was longer
    open.defaultSuffix = u"txt"_s;
    seen.clear();
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = dialog->objectName() + u' ' + dialog->selectedNameFilter() + u' ' + dialog->defaultSuffix()
               + (dialog->fileMode() == QFileDialog::ExistingFile ? u" existing"_s : u" any"_s);
        dialog->selectFile(existing);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    chosen = chooser.chooseOpen(nullptr, open);
    QCOMPARE(seen, u"OpenDialog1 "_s + kTextFilter + u" txt existing"_s);
    QVERIFY(chosen);
    QCOMPARE(chosen->filterIndex, 1);
    QCOMPARE(QFileInfo(chosen->path).canonicalFilePath(), QFileInfo(existing).canonicalFilePath());

    // Cancelled: no choice.
    QTimer::singleShot(0, this, [] {
        if (QWidget *dialog = QApplication::activeModalWidget())
            QMetaObject::invokeMethod(dialog, "reject");
    });
    QVERIFY(!chooser.chooseOpen(nullptr, open));
}

QTEST_MAIN(TestFileDialogs)
#include "test_filedialogs.moc"
