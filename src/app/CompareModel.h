#pragma once

#include <QAbstractTableModel>
#include <optional>
#include <span>
#include <vector>

#include "library/Compare.h"

namespace pf::app {

// Two patches side by side: for each pair of their modules (paired by block) a heading line
// with the module's type on each side, then one line per setting of the block that stands in
// either module, with its value in A and in B. Lines that differ carry a mark, a bold font and
// a tint; with `differingOnly`, the others are left out (headings stay).
class CompareModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Mark, Setting, ValueA, ValueB };

    struct Line {
        pf::ModulePair pair;
        std::optional<pf::SettingId> setting;  // none: the module's heading
        bool differs = false;
    };

    using QAbstractTableModel::QAbstractTableModel;

    // The rows of patch A and of patch B (pointing into rows that outlive the model's use of
    // them), their captions for the headings of the value columns, and the setting columns.
    void compare(std::span<const pf::TableRow> a, std::span<const pf::TableRow> b, QString captionA, QString captionB,
                 const std::vector<pf::SettingId>& columns);
    void clear();
    void setDifferingOnly(bool only);

    const Line& line(int row) const { return shown_[static_cast<size_t>(row)]; }
    int differingCount() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void arrange();

    std::vector<Line> lines_;
    std::vector<Line> shown_;
    QString captionA_, captionB_;
    bool differingOnly_ = false;
};

}  // namespace pf::app
