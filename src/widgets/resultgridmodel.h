#pragma once

#include "results/resultpage.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPersistentModelIndex>

namespace vex {

// What a result grid shows of its page. It reads the page and follows its
// changes row for row, so the view sees the page's row numbers, but it holds
// the page only for reading: a cell committed in the view is handed on as
// cellCommitted, and what becomes of the text is the race's to decide.
class ResultGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ResultGridModel(const ResultPage *page, QObject *parent = nullptr);

    const ResultPage *page() const { return m_page; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Writes nothing: hands the text on and leaves the cell as the page has it.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

Q_SIGNALS:
    void cellCommitted(vex::RowId row, int column, const QString &text);

private:
    void follow();
    void beforeLayoutChange(const QList<QPersistentModelIndex> &, QAbstractItemModel::LayoutChangeHint hint);
    void afterLayoutChange(const QList<QPersistentModelIndex> &, QAbstractItemModel::LayoutChangeHint hint);

    const ResultPage *m_page = nullptr;
    // While the page reorders its rows: this model's persistent indexes and
    // the page's cells they stand on, which the page moves with their rows.
    QModelIndexList m_movingFrom;
    QList<QPersistentModelIndex> m_movingCells;
};

} // namespace vex
