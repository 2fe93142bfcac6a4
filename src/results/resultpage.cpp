#include "results/resultpage.h"

#include <algorithm>
#include <atomic>
#include <numeric>

using namespace Qt::StringLiterals;

namespace vex {

namespace {
QStringList emptyRow()
{
    return QStringList(kColumnCount, QString());
}

std::atomic<RowId> g_lastRowId{0};
std::atomic<quint64> g_lastVersion{0};

// What a page keeps per row, put into a new order of the data rows
// (reorderDataRows); row 0 stays first.
template <typename T>
QList<T> inRowOrder(const QList<T> &perRow, const QList<int> &order)
{
    QList<T> out;
    out.reserve(perRow.size());
    out.append(perRow.first());
    for (int from : order)
        out.append(perRow.at(from));
    return out;
}

quint64 freshVersion()
{
    return g_lastVersion.fetch_add(1, std::memory_order_relaxed) + 1;
}

QString withinCellLength(const QString &text)
{
    if (text.size() <= kMaxCellLength)
        return text;
    // A cut through a surrogate pair takes its first half too.
    const qsizetype n = text.at(kMaxCellLength - 1).isHighSurrogate() ? kMaxCellLength - 1 : kMaxCellLength;
    return text.left(n);
}
} // namespace

QList<int> pageColumns(int scoringRuns)
{
    QList<int> columns{ColStNr, ColName, ColClub, ColTR, ColTRPenalty, ColRun1, ColRun1Penalty, ColRun2, ColRun2Penalty};
    for (int run = 3; run <= std::min(scoringRuns, kMaxScoringRuns); ++run)
        columns << timeColumn(run) << penaltyColumn(run);
    columns << ColTotal << ColPlace;
    return columns;
}

int scoringRunOfTimeColumn(int column)
{
    for (int run = 1; run <= kMaxScoringRuns; ++run) {
        if (timeColumn(run) == column)
            return run;
    }
    return 0;
}

QString defaultColumnTitle(int column)
{
    if (column >= 0 && column < kColumnCount)
        return defaultColumnTitles().at(column);
    switch (column) {
    case ColRun3:
        return u"Lauf 3"_s;
    case ColRun4:
        return u"Lauf 4"_s;
    case ColRun3Penalty:
    case ColRun4Penalty:
        return u"StS"_s;
    default:
        return {};
    }
}

const QStringList &defaultColumnTitles()
{
    static const QStringList titles{u"StNr"_s,   u"Fahrer/in"_s, u"Ortsclub"_s, u"TR"_s,
                                    u"StS"_s,    u"Lauf 1"_s,    u"StS"_s,      u"Lauf 2"_s,
                                    u"StS"_s,    u"Gesamt"_s,    u"Platz"_s};
    return titles;
}

bool isBlankCell(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0x20; });
}

bool isHandEditedColumn(int column)
{
    switch (column) {
    case ColStNr:
    case ColName:
    case ColClub:
    case ColTRPenalty:
    case ColRun1Penalty:
    case ColRun2Penalty:
    case ColRun3Penalty:
    case ColRun4Penalty:
        return true;
    default:
        return false;
    }
}

bool cellTakesCharacter(int column, QChar c)
{
    if (column == ColName || column == ColClub)
        return true;
    return (c >= u'0' && c <= u'9') || c == u',' || c == u'.';
}

ResultPage::ResultPage(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_rows = {emptyRow(), emptyRow()};
    m_ids = {freshId(), freshId()};
    m_rowOfId.clear();
    m_versions = {freshVersions(), freshVersions()};
}

ResultPage::Versions ResultPage::freshVersions()
{
    const quint64 v = freshVersion();
    Versions versions;
    versions.row = v;
    versions.place = v;
    return versions;
}

RowId ResultPage::freshId()
{
    return ++g_lastRowId;
}

void ResultPage::touch(int row, int column)
{
    const quint64 v = freshVersion();
    if (column != ColPlace)
        m_versions[row].row = v;
    if (column == ColPlace || column < 0)
        m_versions[row].place = v;
}

quint64 ResultPage::rowVersion(int row) const
{
    return row >= 0 && row < m_versions.size() ? m_versions.at(row).row : 0;
}

quint64 ResultPage::placeVersion(int row) const
{
    return row >= 0 && row < m_versions.size() ? m_versions.at(row).place : 0;
}

RowId ResultPage::rowId(int row) const
{
    return row >= 0 && row < m_ids.size() ? m_ids.at(row) : 0;
}

int ResultPage::rowOfId(RowId id) const
{
    if (id == 0)
        return -1;
    // A large class is looked up often (every driver of the walk order after
    // each entry): by an index of the identities, made again after the rows
    // changed.
    if (m_ids.size() > 64) {
        if (m_rowOfId.isEmpty()) {
            m_rowOfId.reserve(m_ids.size());
            for (qsizetype r = 0; r < m_ids.size(); ++r)
                m_rowOfId.insert(m_ids.at(r), int(r));
        }
        const int row = m_rowOfId.value(id, -1);
        return row >= 0 && row < m_ids.size() && m_ids.at(row) == id ? row : -1;
    }
    const qsizetype i = m_ids.indexOf(id);
    return i < 0 ? -1 : int(i);
}

int ResultPage::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows();
}

int ResultPage::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kAllColumnCount;
}

QVariant ResultPage::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (role == Qt::DisplayRole)
        return displayText(index.row(), index.column());
    return cell(index.row(), index.column());
}

bool ResultPage::isStruckRun(int row, int run) const
{
    return row >= 1 && row < rows() && m_regulation.strikesRuns() && run >= 1 && score(row).isStruck(run);
}

QString ResultPage::team(int row) const
{
    return row >= 1 && row < rows() && !m_teams.isEmpty() ? m_teams.value(m_ids.at(row)) : QString();
}

void ResultPage::setTeam(int row, const QString &team)
{
    if (row < 1 || row >= rows())
        return;
    const QString text = isBlankCell(team) ? QString() : withinCellLength(team);
    const RowId id = m_ids.at(row);
    if (m_teams.value(id) == text)
        return;
    if (text.isEmpty())
        m_teams.remove(id);
    else
        m_teams.insert(id, text);
    touch(row);
}

bool ResultPage::hasTeams() const
{
    if (m_teams.isEmpty())
        return false;
    for (int r = 1; r < rows(); ++r) {
        if (m_teams.contains(m_ids.at(r)))
            return true;
    }
    return false;
}

const RowScore &ResultPage::score(int row) const
{
    static const RowScore none;
    if (row < 1 || row >= rows())
        return none;
    Versions &v = m_versions[row];
    if (v.scored != v.row) {
        v.score = scoreRow(m_rows.at(row), m_regulation);
        v.scored = v.row;
    }
    return v.score;
}

QString ResultPage::displayText(int row, int column) const
{
    const QString text = cell(row, column);
    if (row == 0)
        return column >= kColumnCount && isBlankCell(text) ? defaultColumnTitle(column) : text;
    // A struck run is shown in brackets: the operator sees at once which
    // runs make the total.
    const int run = m_regulation.strikesRuns() ? scoringRunOfTimeColumn(column) : 0;
    if (run == 0 || isBlankCell(text) || !isStruckRun(row, run))
        return text;
    return u'(' + text + u')';
}

QVariant ResultPage::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        const QString title = cell(0, section);
        return section >= kColumnCount && isBlankCell(title) ? defaultColumnTitle(section) : title;
    }
    return section;
}

Qt::ItemFlags ResultPage::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (isHandEditedColumn(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

QString ResultPage::cell(int row, int column) const
{
    if (row < 0 || row >= rows() || column < 0 || column >= m_rows.at(row).size())
        return {};
    return m_rows.at(row).at(column);
}

void ResultPage::noteCell(int row, int column, const QString &text)
{
    if (row < 1 || column < kColumnCount || isBlankCell(text))
        return;
    const int run = column >= ColRun4 ? 4 : 3;
    if (run <= m_dataRuns)
        return;
    const int shown = shownRuns();
    m_dataRuns = run;
    if (shownRuns() != shown)
        Q_EMIT regulationChanged();
}

void ResultPage::recountRuns(bool all)
{
    if (m_dataRuns == 0 && !all)
        return;
    const int shown = shownRuns();
    m_dataRuns = 0;
    for (int r = 1; r < rows(); ++r) {
        const QStringList &cells = m_rows.at(r);
        for (int c = kColumnCount; c < cells.size(); ++c) {
            if (!isBlankCell(cells.at(c)))
                m_dataRuns = std::max(m_dataRuns, c >= ColRun4 ? 4 : 3);
        }
    }
    if (shownRuns() != shown)
        Q_EMIT regulationChanged();
}

void ResultPage::setRegulation(const Regulation &regulation)
{
    const Regulation r = regulation.normalised();
    if (r == m_regulation)
        return;
    m_regulation = r;
    for (Versions &v : m_versions)
        v.scored = 0;
    Q_EMIT regulationChanged();
    // The brackets of struck runs follow the rule.
    if (rows() > 1)
        Q_EMIT dataChanged(index(1, 0), index(rows() - 1, kAllColumnCount - 1));
}

void ResultPage::setCell(int row, int column, const QString &anyText)
{
    if (row < 0 || row >= rows() || column < 0 || column >= kAllColumnCount)
        return;
    const QString text = withinCellLength(anyText);
    QStringList &cells = m_rows[row];
    if (column >= cells.size()) {
        if (text.isEmpty())
            return;
        cells.resize(kAllColumnCount);
    }
    QString &c = cells[column];
    if (c == text)
        return;
    c = text;
    touch(row, column);
    noteCell(row, column, text);
    if (column >= kColumnCount && isBlankCell(text))
        recountRuns();
    const QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i);
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ResultPage::setRow(int row, const QStringList &cells)
{
    if (row < 0 || row >= rows())
        return;
    QStringList r = cells.mid(0, kAllColumnCount);
    // The further runs' cells are kept only where one holds anything.
    if (r.size() > kColumnCount && std::all_of(r.cbegin() + kColumnCount, r.cend(), [](const QString &t) { return t.isEmpty(); }))
        r.resize(kColumnCount);
    while (r.size() < kColumnCount)
        r.append(QString());
    if (r.size() > kColumnCount)
        r.resize(kAllColumnCount);
    for (QString &cell : r)
        cell = withinCellLength(cell);
    const bool hadFurther = m_rows.at(row).size() > kColumnCount;
    m_rows[row] = r;
    touch(row);
    for (int c = kColumnCount; c < r.size(); ++c)
        noteCell(row, c, r.at(c));
    if (hadFurther)
        recountRuns();
    Q_EMIT dataChanged(index(row, 0), index(row, kAllColumnCount - 1));
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, kAllColumnCount - 1);
}

void ResultPage::setRowCount(int n)
{
    n = std::max(n, 2);
    if (n > rows()) {
        beginInsertRows({}, rows(), n - 1);
        while (rows() < n) {
            m_rows.append(emptyRow());
            m_ids.append(freshId());
            m_rowOfId.clear();
            m_versions.append(freshVersions());
        }
        endInsertRows();
    } else if (n < rows()) {
        beginRemoveRows({}, n, rows() - 1);
        m_rows.resize(n);
        m_ids.resize(n);
        m_rowOfId.clear();
        m_versions.resize(n);
        endRemoveRows();
        recountRuns();
    }
}

int ResultPage::appendRow()
{
    setRowCount(rows() + 1);
    return rows() - 1;
}

void ResultPage::clearRow(int row)
{
    if (row < 0 || row >= rows())
        return;
    const bool hadFurther = m_rows.at(row).size() > kColumnCount;
    m_rows[row] = emptyRow();
    touch(row);
    if (hadFurther)
        recountRuns();
    Q_EMIT dataChanged(index(row, 0), index(row, kAllColumnCount - 1));
}

void ResultPage::removeDataRow(int row)
{
    if (row < 1 || row >= rows())
        return;
    if (rows() <= 2) {
        clearRow(row);
        return;
    }
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    m_ids.removeAt(row);
    m_rowOfId.clear();
    m_versions.removeAt(row);
    endRemoveRows();
    recountRuns();
}

void ResultPage::restoreRows(const PageRows &state)
{
    if (state.rows.size() < 2 || state.rows.size() != state.ids.size())
        return;
    if (state.rows == m_rows && state.ids == m_ids && state.startOrder == m_startOrder)
        return;
    beginResetModel();
    m_rows = state.rows;
    m_ids = state.ids;
    m_rowOfId.clear();
    m_startOrder = state.startOrder;
    m_versions.resize(m_rows.size());
    for (int r = 0; r < rows(); ++r)
        touch(r);
    endResetModel();
    // The state may hold a further run that the page stopped showing since.
    recountRuns(true);
}

QList<int> ResultPage::rowsInStartOrder() const
{
    QList<int> order;
    order.reserve(dataRows());
    if (!m_startOrder.isEmpty()) {
        QHash<RowId, int> rowOf;
        rowOf.reserve(rows());
        for (int r = 1; r < rows(); ++r)
            rowOf.insert(m_ids.at(r), r);
        QList<bool> taken(rows(), false);
        for (const RowId id : m_startOrder) {
            const int r = rowOf.value(id, -1);
            if (r >= 1 && !taken.at(r)) {
                taken[r] = true;
                order.append(r);
            }
        }
        for (int r = 1; r < rows(); ++r) {
            if (!taken.at(r))
                order.append(r);
        }
        return order;
    }
    for (int r = 1; r < rows(); ++r)
        order.append(r);
    return order;
}

void ResultPage::reset()
{
    const QStringList titles = m_rows.first();
    beginResetModel();
    m_rows = {titles, emptyRow()};
    m_ids = {m_ids.first(), freshId()};
    m_rowOfId.clear();
    m_teams.clear();
    m_startOrder.clear();
    m_versions = {m_versions.first(), freshVersions()};
    endResetModel();
    recountRuns();
}

void ResultPage::stableSortDataRows(const std::function<bool(const QStringList &, const QStringList &)> &lessThan)
{
    QList<int> order(dataRows());
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return lessThan(m_rows.at(a), m_rows.at(b)); });
    reorderDataRows(order);
}

bool ResultPage::reorderDataRows(const QList<int> &order)
{
    const int n = dataRows();
    if (order.size() != n)
        return false;
    // newRowOf[old] = the row the driver of row old moves to; 0 marks "not
    // seen yet", which also rejects duplicates in order.
    QList<int> newRowOf(rows(), 0);
    bool moved = false;
    for (int i = 0; i < n; ++i) {
        const int from = order.at(i);
        if (from < 1 || from > n || newRowOf.at(from) != 0)
            return false;
        newRowOf[from] = i + 1;
        moved = moved || from != i + 1;
    }
    if (!moved)
        return false;

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<QStringList> sorted(rows());
    sorted[0] = std::move(m_rows[0]);
    for (int i = 0; i < n; ++i)
        sorted[i + 1] = std::move(m_rows[order.at(i)]);
    m_rows = std::move(sorted);
    m_ids = inRowOrder(m_ids, order);
    m_rowOfId.clear();
    m_versions = inRowOrder(m_versions, order);

    // The view's current cell and selection are persistent indexes; moving
    // them with their rows keeps the operator on the driver he was looking at.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &i : before) {
        const int r = i.row();
        after.append(r >= 1 && r < rows() ? index(newRowOf.at(r), i.column()) : i);
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    return true;
}

void ResultPage::setColumnCells(int column, int firstRow, const QStringList &texts)
{
    if (column < 0 || column >= kAllColumnCount || firstRow < 0)
        return;
    if (column >= kColumnCount) {
        // Rows of the classic eleven grow cell by cell.
        for (int r = firstRow; r < std::min<qsizetype>(rows(), firstRow + texts.size()); ++r)
            setCell(r, column, texts.at(r - firstRow));
        return;
    }
    const int end = std::min<qsizetype>(rows(), firstRow + texts.size());
    int firstChanged = -1;
    int lastChanged = -1;
    for (int r = firstRow; r < end; ++r) {
        const QString text = withinCellLength(texts.at(r - firstRow));
        const QString &current = m_rows.at(r).at(column);
        // A text handed back unchanged shares the cell's data: no need to
        // compare it character by character.
        if ((current.constData() == text.constData() && current.size() == text.size()) || current == text)
            continue;
        m_rows[r][column] = text;
        touch(r, column);
        if (firstChanged < 0)
            firstChanged = r;
        lastChanged = r;
    }
    if (firstChanged < 0)
        return;
    Q_EMIT dataChanged(index(firstChanged, column), index(lastChanged, column));
    if (firstChanged == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ResultPage::setCells(int column, const QList<std::pair<int, QString>> &cells)
{
    if (column < 0 || column >= kAllColumnCount)
        return;
    if (column >= kColumnCount) {
        for (const auto &[row, text] : cells)
            setCell(row, column, text);
        return;
    }
    int firstChanged = -1;
    int lastChanged = -1;
    for (const auto &[row, anyText] : cells) {
        const QString text = withinCellLength(anyText);
        if (row < 0 || row >= rows() || m_rows.at(row).at(column) == text)
            continue;
        m_rows[row][column] = text;
        touch(row, column);
        if (firstChanged < 0 || row < firstChanged)
            firstChanged = row;
        lastChanged = qMax(lastChanged, row);
    }
    if (firstChanged < 0)
        return;
    Q_EMIT dataChanged(index(firstChanged, column), index(lastChanged, column));
    if (firstChanged == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

void ResultPage::setCaption(const QString &anyCaption)
{
    const QString caption = withinCellLength(anyCaption);
    if (m_caption == caption)
        return;
    m_caption = caption;
    Q_EMIT captionChanged();
}

void ResultPage::setTabVisible(bool visible)
{
    if (m_tabVisible == visible)
        return;
    m_tabVisible = visible;
    Q_EMIT tabVisibleChanged();
}

} // namespace vex
