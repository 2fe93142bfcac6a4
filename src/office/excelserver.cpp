#include "office/excelserver.h"

#include "office/documentopener.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace vex {

namespace {

// The copies handed to the desktop's spreadsheet program: the operator may
// still have one open while this program runs, so they go when it ends.
class ShownWorkbooks
{
public:
    ~ShownWorkbooks() { removeAll(); }
    void add(const QString &path) { m_paths.append(path); }
    void removeAll()
    {
        for (const QString &path : std::as_const(m_paths))
            QFile::remove(path);
        m_paths.clear();
    }

private:
    QStringList m_paths;
};

ShownWorkbooks &shownWorkbooks()
{
    static ShownWorkbooks shown;
    return shown;
}

void checkCell(int row, int column)
{
    if (row < 1 || row > kMaxSheetRows || column < 1 || column > kMaxSheetColumns)
        throw AutomationError(u"Ungültiger Zellbezug (Zeile %1, Spalte %2)."_s.arg(row).arg(column));
}

class LocalRange final : public ExcelRange
{
public:
    LocalRange(WorksheetData &sheet, int row, int column, int lastRow, int lastColumn)
        : m_sheet(sheet)
        , m_row(row)
        , m_column(column)
        , m_lastRow(lastRow)
        , m_lastColumn(lastColumn)
    {
        checkCell(row, column);
        checkCell(lastRow, lastColumn);
    }

    int row() const override { return m_row; }
    int column() const override { return m_column; }
    int rowsCount() override { return m_lastRow - m_row + 1; }

    QList<QVariantList> value() override
    {
        QList<QVariantList> rows;
        rows.reserve(m_lastRow - m_row + 1);
        for (int r = m_row; r <= m_lastRow; ++r) {
            QVariantList &values = rows.emplace_back();
            values.reserve(m_lastColumn - m_column + 1);
            for (int c = m_column; c <= m_lastColumn; ++c) {
                const WorkbookCell *cell = m_sheet.cellAt(r, c);
                values.append(cell ? cell->value() : QVariant());
            }
        }
        return rows;
    }

    void setValue(const QList<QVariantList> &rows) override
    {
        // Like the spreadsheet program: the array fills the block from its
        // top-left corner; what lies outside either of them is left alone.
        const int rowCount = std::min(int(rows.size()), m_lastRow - m_row + 1);
        for (int i = 0; i < rowCount; ++i) {
            const QVariantList &values = rows.at(i);
            const int columnCount = std::min(int(values.size()), m_lastColumn - m_column + 1);
            for (int j = 0; j < columnCount; ++j) {
                const WorkbookCell typed = typedCell(values.at(j).toString());
                if (typed.kind == WorkbookCell::Kind::Empty && !m_sheet.cellAt(m_row + i, m_column + j)) {
                    m_sheet.written.insert({m_row + i, m_column + j});
                    continue;
                }
                m_sheet.cell(m_row + i, m_column + j).assign(typed);
                m_sheet.written.insert({m_row + i, m_column + j});
            }
        }
    }

    void autofitColumns() override
    {
        for (int c = m_column; c <= m_lastColumn; ++c) {
            qsizetype widest = 0;
            for (int r = m_row; r <= m_lastRow; ++r) {
                if (const WorkbookCell *cell = m_sheet.cellAt(r, c))
                    widest = std::max(widest, cell->displayText().size() + (cell->bold ? 1 : 0));
            }
            // Characters of the standard font, plus a little air.
            m_sheet.columnWidths.insert(c - 1, std::max(3.0, std::ceil(double(widest) * 1.1) + 1.0));
        }
    }

    void setFontStyle(const QString &style) override
    {
        const bool bold = style.contains(u"Bold"_s, Qt::CaseInsensitive);
        for (int r = m_row; r <= m_lastRow; ++r) {
            for (int c = m_column; c <= m_lastColumn; ++c)
                m_sheet.cell(r, c).bold = bold;
        }
    }

private:
    WorksheetData &m_sheet;
    int m_row;
    int m_column;
    int m_lastRow;
    int m_lastColumn;
};

class LocalSheet final : public ExcelSheet
{
public:
    LocalSheet(WorkbookData &book, int index)
        : m_book(book)
        , m_index(index)
    {
    }

    QString name() override { return data().name; }

    void setName(const QString &name) override
    {
        static const QString forbidden = u"[]:*?/\\"_s;
        const bool invalid = name.isEmpty() || name.size() > 31 || name.startsWith(u'\'') || name.endsWith(u'\'')
            || std::any_of(name.begin(), name.end(), [](QChar c) { return forbidden.contains(c); });
        if (invalid)
            throw AutomationError(u"Der Blattname „%1“ ist ungültig."_s.arg(name));
        for (qsizetype i = 0; i < m_book.sheets.size(); ++i) {
            if (i != m_index && m_book.sheets.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                throw AutomationError(u"Der Blattname „%1“ ist schon vergeben."_s.arg(name));
        }
        data().name = name;
    }

    std::unique_ptr<ExcelRange> usedRange() override
    {
        WorksheetData &sheet = data();
        return std::make_unique<LocalRange>(sheet, 1, 1, std::max(1, sheet.lastRow()),
                                            std::max(1, sheet.lastColumn()));
    }

    std::unique_ptr<ExcelRange> cells(int row, int column) override
    {
        return std::make_unique<LocalRange>(data(), row, column, row, column);
    }

    std::unique_ptr<ExcelRange> range(const ExcelRange &first, const ExcelRange &last) override
    {
        return std::make_unique<LocalRange>(data(), std::min(first.row(), last.row()),
                                            std::min(first.column(), last.column()),
                                            std::max(first.row(), last.row()),
                                            std::max(first.column(), last.column()));
    }

private:
    WorksheetData &data() { return m_book.sheets[m_index]; }
    WorkbookData &m_book;
    int m_index;
};

} // namespace

class LocalWorkbook final : public ExcelWorkbook
{
public:
    explicit LocalWorkbook(WorkbookData data)
        : m_data(std::move(data))
    {
        for (qsizetype i = 0; i < m_data.sheets.size(); ++i)
            m_sheets.push_back(std::make_unique<LocalSheet>(m_data, int(i)));
    }

    void setAuthor(const QString &text) override { m_data.author = text; }
    void setComments(const QString &text) override { m_data.comments = text; }
    void setTitle(const QString &text) override { m_data.title = text; }
    void setSubject(const QString &text) override { m_data.subject = text; }
    int worksheetsCount() override { return int(m_data.sheets.size()); }

    ExcelSheet &worksheet(int number) override
    {
        if (number < 1 || number > int(m_sheets.size()))
            throw AutomationError(u"Die Arbeitsmappe hat kein Blatt %1."_s.arg(number));
        return *m_sheets.at(std::size_t(number - 1));
    }

    ExcelSheet &addWorksheet() override
    {
        QString name;
        for (int i = int(m_data.sheets.size()) + 1; name.isEmpty() || hasSheet(name); ++i)
            name = u"Tabelle%1"_s.arg(i);
        WorksheetData sheet;
        sheet.name = name;
        m_data.sheets.append(sheet);
        m_sheets.push_back(std::make_unique<LocalSheet>(m_data, int(m_data.sheets.size()) - 1));
        return *m_sheets.back();
    }

    void saveAs(const QString &path) override
    {
        // A workbook of the club's keeps its formats, merged cells and
        // whatever else this program doesn't model.
        if (m_data.sourcePath.isEmpty())
            writeXlsxFile(m_data, path);
        else
            patchXlsxFile(m_data, path);
    }

    const WorkbookData &data() const { return m_data; }

private:
    bool hasSheet(const QString &name) const
    {
        return std::any_of(m_data.sheets.begin(), m_data.sheets.end(), [&name](const WorksheetData &sheet) {
            return sheet.name.compare(name, Qt::CaseInsensitive) == 0;
        });
    }

    WorkbookData m_data;
    std::vector<std::unique_ptr<LocalSheet>> m_sheets;
};

void removeShownWorkbooks()
{
    shownWorkbooks().removeAll();
}

LocalExcelApplication::LocalExcelApplication(DocumentOpener *opener)
    : m_opener(opener)
{
}

LocalExcelApplication::~LocalExcelApplication() = default;

void LocalExcelApplication::setDisplayAlerts(bool)
{
    // Nothing here ever asks the operator.
}

void LocalExcelApplication::setEnableEvents(bool)
{
    // Workbooks here carry no macros to run.
}

void LocalExcelApplication::setVisible(bool on)
{
    if (!on || m_workbooks.empty())
        return;
    // The operator goes on in the desktop's spreadsheet program with a copy.
    QString path;
    {
        QTemporaryFile file(QDir::temp().filePath(u"Protokoll-XXXXXX.xlsx"_s));
        file.setAutoRemove(false);
        if (!file.open())
            throw AutomationError(u"Im Ordner für temporäre Dateien kann nichts angelegt werden."_s);
        path = file.fileName();
        // A temporary file stays open until it goes, and Windows replaces
        // no open file: only its name is kept.
    }
    shownWorkbooks().add(path);
    m_workbooks.back()->saveAs(path);
    m_shownPath = path;
    if (m_opener)
        m_opener->openDocument(path);
}

void LocalExcelApplication::setSheetsInNewWorkbook(int count)
{
    if (count < 1 || count > 255)
        throw AutomationError(u"Eine neue Arbeitsmappe kann nicht %1 Blätter haben."_s.arg(count));
    m_sheetsInNewWorkbook = count;
}

void LocalExcelApplication::quit()
{
    m_workbooks.clear();
}

ExcelWorkbook &LocalExcelApplication::workbooksOpen(const QString &path)
{
    m_workbooks.push_back(std::make_unique<LocalWorkbook>(readWorkbookFile(path)));
    return *m_workbooks.back();
}

ExcelWorkbook &LocalExcelApplication::workbooksAdd()
{
    WorkbookData data;
    for (int i = 1; i <= m_sheetsInNewWorkbook; ++i) {
        WorksheetData sheet;
        sheet.name = u"Tabelle%1"_s.arg(i);
        data.sheets.append(sheet);
    }
    m_workbooks.push_back(std::make_unique<LocalWorkbook>(std::move(data)));
    return *m_workbooks.back();
}

} // namespace vex
