#include "widgets/resultgridmodel.h"

namespace vex {

ResultGridModel::ResultGridModel(const ResultPage *page, QObject *parent)
    : QAbstractTableModel(parent)
    , m_page(page)
{
    if (m_page)
        follow();
}

void ResultGridModel::follow()
{
    const ResultPage *p = m_page;
    connect(p, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                Q_EMIT dataChanged(index(from.row(), from.column()), index(to.row(), to.column()), roles);
            });
    connect(p, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
    connect(p, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(p, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
    connect(p, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
    connect(p, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
    connect(p, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(p, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
    connect(p, &QAbstractItemModel::layoutAboutToBeChanged, this, &ResultGridModel::beforeLayoutChange);
    connect(p, &QAbstractItemModel::layoutChanged, this, &ResultGridModel::afterLayoutChange);
    // A view may outlive the race at the program's end: it shows nothing then.
    connect(p, &QObject::destroyed, this, [this] {
        beginResetModel();
        m_page = nullptr;
        endResetModel();
    });
}

void ResultGridModel::beforeLayoutChange(const QList<QPersistentModelIndex> &,
                                         QAbstractItemModel::LayoutChangeHint hint)
{
    Q_EMIT layoutAboutToBeChanged({}, hint);
    m_movingFrom = persistentIndexList();
    m_movingCells.clear();
    m_movingCells.reserve(m_movingFrom.size());
    for (const QModelIndex &i : std::as_const(m_movingFrom))
        m_movingCells.append(QPersistentModelIndex(m_page->index(i.row(), i.column())));
}

void ResultGridModel::afterLayoutChange(const QList<QPersistentModelIndex> &,
                                        QAbstractItemModel::LayoutChangeHint hint)
{
    QModelIndexList to;
    to.reserve(m_movingCells.size());
    for (const QPersistentModelIndex &cell : std::as_const(m_movingCells))
        to.append(cell.isValid() ? index(cell.row(), cell.column()) : QModelIndex());
    changePersistentIndexList(m_movingFrom, to);
    m_movingFrom.clear();
    m_movingCells.clear();
    Q_EMIT layoutChanged({}, hint);
}

int ResultGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_page ? 0 : m_page->rows();
}

int ResultGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_page ? 0 : kAllColumnCount;
}

QVariant ResultGridModel::data(const QModelIndex &index, int role) const
{
    return m_page ? m_page->data(m_page->index(index.row(), index.column()), role) : QVariant();
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_page ? m_page->headerData(section, orientation, role) : QVariant();
}

Qt::ItemFlags ResultGridModel::flags(const QModelIndex &index) const
{
    return m_page ? m_page->flags(m_page->index(index.row(), index.column())) : Qt::NoItemFlags;
}

bool ResultGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_page || !index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    Q_EMIT cellCommitted(m_page->rowId(index.row()), index.column(), value.toString());
    return true;
}

} // namespace vex
