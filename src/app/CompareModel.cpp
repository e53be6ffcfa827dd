#include "app/CompareModel.h"

#include <QBrush>
#include <QCoreApplication>
#include <QFont>
#include <algorithm>

#include "app/Widgets.h"

namespace pf::app {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("pf::app::PatchesDialog", text); }

// What a side shows on a line: the module's type on a heading, the setting's value otherwise.
QString sideText(const pf::TableRow* row, const std::optional<pf::SettingId>& setting) {
    if (!row) return setting ? QString() : tr("(no such module)");
    if (!setting) return row->type.empty() ? QString() : displayText(row->type);
    return displayText(row->text(*setting));
}

}  // namespace

void CompareModel::compare(std::span<const pf::TableRow> a, std::span<const pf::TableRow> b, QString captionA,
                           QString captionB, const std::vector<pf::SettingId>& columns) {
    lines_.clear();
    for (const pf::ModulePair& pair : pf::pairModules(a, b)) {
        const pf::TableRow& any = pair.a ? *pair.a : *pair.b;
        const bool oneSided = !pair.a || !pair.b;
        lines_.push_back({pair, std::nullopt, oneSided || pair.a->type != pair.b->type});
        const std::vector<pf::Difference> differences = pf::compareModules(pair, columns);
        for (pf::SettingId id : columns) {
            if (pf::setting(id).group != any.group) continue;
            if (!(pair.a && pair.a->cell(id)) && !(pair.b && pair.b->cell(id))) continue;
            const bool differs = oneSided || std::ranges::any_of(differences, [&](const pf::Difference& d) { return d.setting == id; });
            lines_.push_back({pair, id, differs});
        }
    }
    captionA_ = std::move(captionA);
    captionB_ = std::move(captionB);
    beginResetModel();
    arrange();
    endResetModel();
}

void CompareModel::clear() {
    beginResetModel();
    lines_.clear();
    shown_.clear();
    captionA_.clear();
    captionB_.clear();
    endResetModel();
}

void CompareModel::setDifferingOnly(bool only) {
    beginResetModel();
    differingOnly_ = only;
    arrange();
    endResetModel();
}

void CompareModel::arrange() {
    shown_.clear();
    for (const Line& l : lines_)
        if (!differingOnly_ || !l.setting || l.differs) shown_.push_back(l);
}

int CompareModel::differingCount() const {
    return static_cast<int>(std::ranges::count_if(lines_, [](const Line& l) { return l.setting && l.differs; }));
}

int CompareModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(shown_.size()); }

int CompareModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 4; }

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const Line& l = line(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            switch (index.column()) {
                case Mark: return l.differs ? QStringLiteral("\u2260") : QString();
                case Setting: {
                    const pf::TableRow& any = l.pair.a ? *l.pair.a : *l.pair.b;
                    return l.setting ? QStringLiteral("    ") + qs(pf::setting(*l.setting).caption) : qs(pf::groupName(any.group));
                }
                case ValueA: return sideText(l.pair.a, l.setting);
                case ValueB: return sideText(l.pair.b, l.setting);
            }
            return {};
        case Qt::AccessibleTextRole:
            if (index.column() == Mark) return l.differs ? tr("differs") : tr("same");
            return {};
        case Qt::FontRole: {
            if (!l.differs && l.setting) return {};
            QFont f;
            f.setBold(l.differs);
            f.setItalic(!l.setting);
            return f;
        }
        case Qt::BackgroundRole:
            if (!l.setting) return QBrush(kHeadingFill);
            if (l.differs) return QBrush(kDifferenceFill);
            return {};
        case Qt::TextAlignmentRole:
            return index.column() == Mark ? QVariant(Qt::AlignCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant CompareModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case Mark: return QString();
        case Setting: return tr("Setting");
        case ValueA: return captionA_.isEmpty() ? tr("A") : captionA_;
        case ValueB: return captionB_.isEmpty() ? tr("B") : captionB_;
    }
    return {};
}

}  // namespace pf::app
