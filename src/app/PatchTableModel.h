#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "library/PatchTable.h"
#include "library/RowFilter.h"

namespace pf::app {

// The patch table of the loaded group as a table view reads it: the module columns, then one
// column per setting ("Amp.Gain"), each cell the value as the window shows it. The rows are
// the core's; the model keeps which of them pass the filter, in the order of the column
// sorted by (file order until one is).
class PatchTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // New rows (in file order) and setting columns; the filter and the sort stay.
    void setRows(std::vector<pf::TableRow> rows, std::vector<pf::SettingId> columns);
    void setFilter(pf::RowFilter filter);

    const std::vector<pf::TableRow>& rows() const { return rows_; }
    const std::vector<pf::SettingId>& columns() const { return columns_; }
    const pf::TableRow& shownRow(int row) const { return rows_[shown_[static_cast<size_t>(row)]]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Numbers sort as numbers, texts without letter case, then unreadable values, then cells
    // where the setting does not stand, in either order; equal cells keep file order.
    // A column below 0 is file order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void arrange();  // shown_: the rows passing the filter, sorted

    std::vector<pf::TableRow> rows_;
    std::vector<pf::SettingId> columns_;
    pf::RowFilter filter_;
    std::vector<size_t> shown_;
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace pf::app
