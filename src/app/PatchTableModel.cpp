#include "app/PatchTableModel.h"

#include <QCoreApplication>
#include <algorithm>

#include "app/Widgets.h"

namespace pf::app {

namespace {

constexpr int kModuleColumnCount = static_cast<int>(pf::kModuleColumns.size());

// How a cell sorts: its kind first (number, text, unreadable, not standing), then its value.
struct SortKey {
    int kind = 3;
    long long number = 0;
    QString text;
};

SortKey sortKey(const pf::TableRow& row, int column, const std::vector<pf::SettingId>& columns) {
    if (column < kModuleColumnCount) {
        const auto c = static_cast<pf::ModuleColumn>(column);
        if (c == pf::ModuleColumn::Patch) return {0, static_cast<long long>(row.patch), {}};
        if (c == pf::ModuleColumn::Module) return {0, row.headerLine, {}};
        return {1, 0, displayText(row.text(c))};
    }
    const pf::TableCell* cell = row.cell(columns[static_cast<size_t>(column - kModuleColumnCount)]);
    if (!cell) return {};
    if (!cell->value) return {2, 0, {}};
    if (const int* number = std::get_if<int>(&*cell->value)) return {0, *number, {}};
    return {1, 0, displayText(std::get<std::string>(*cell->value))};
}

// Whether `a` sorts before `b` in `order`; unreadable and empty cells last either way.
bool before(const SortKey& a, const SortKey& b, Qt::SortOrder order) {
    if (a.kind != b.kind) return a.kind < b.kind;
    const bool up = order == Qt::AscendingOrder;
    if (a.kind == 0 && a.number != b.number) return up == (a.number < b.number);
    if (a.kind == 1) {
        const int c = a.text.compare(b.text, Qt::CaseInsensitive);
        if (c != 0) return up == (c < 0);
    }
    return false;
}

}  // namespace

void PatchTableModel::setRows(std::vector<pf::TableRow> rows, std::vector<pf::SettingId> columns) {
    beginResetModel();
    rows_ = std::move(rows);
    columns_ = std::move(columns);
    arrange();
    endResetModel();
}

void PatchTableModel::setFilter(pf::RowFilter filter) {
    beginResetModel();
    filter_ = std::move(filter);
    arrange();
    endResetModel();
}

void PatchTableModel::sort(int column, Qt::SortOrder order) {
    emit layoutAboutToBeChanged();
    sortColumn_ = column < columnCount() ? column : -1;
    sortOrder_ = order;
    arrange();
    emit layoutChanged();
}

void PatchTableModel::arrange() {
    shown_.clear();
    for (size_t i = 0; i < rows_.size(); ++i)
        if (filter_.passes(rows_[i])) shown_.push_back(i);
    if (sortColumn_ < 0) return;
    std::vector<SortKey> keys(rows_.size());
    for (size_t i : shown_) keys[i] = sortKey(rows_[i], sortColumn_, columns_);
    std::ranges::stable_sort(shown_, [&](size_t a, size_t b) { return before(keys[a], keys[b], sortOrder_); });
}

int PatchTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

int PatchTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kModuleColumnCount + static_cast<int>(columns_.size());
}

QVariant PatchTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const pf::TableRow& row = shownRow(index.row());
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        const bool number = column < kModuleColumnCount
                                ? column == static_cast<int>(pf::ModuleColumn::Patch) || column == static_cast<int>(pf::ModuleColumn::Module)
                                : sortKey(row, column, columns_).kind == 0;
        return QVariant((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
    if (column < kModuleColumnCount) return displayText(row.text(static_cast<pf::ModuleColumn>(column)));
    return displayText(row.text(columns_[static_cast<size_t>(column - kModuleColumnCount)]));
}

QVariant PatchTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount()) return {};
    if (section < kModuleColumnCount)
        return QCoreApplication::translate("pf::app::PatchesDialog", pf::kModuleColumns[static_cast<size_t>(section)].data());
    return qs(pf::columnName(columns_[static_cast<size_t>(section - kModuleColumnCount)]));
}

}  // namespace pf::app
