#include "app/PreviewDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "app/Pages.h"
#include "app/Widgets.h"
#include "document/Document.h"
#include "engine/Settings.h"

namespace pf::app {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("pf::app::PreviewDialog", text); }

QString count(size_t n, const char* one, const char* many) {
    return n == 1 ? tr(one) : tr(many).arg(static_cast<qulonglong>(n));
}

QString trimmed(const std::string& s) { return displayText(s).trimmed(); }

// A value as the window shows it; one that is not a value of its setting as the line holds it.
QString shownOrStored(const std::optional<pf::ShownValue>& shown, const std::string& line) {
    if (shown) return displayText(pf::toText(*shown));
    return tr("%1 (stored)").arg(displayText(pf::parameterValue(line)));
}

// Where a module's rewrites came from: each block once, with the effect type its hit had.
QString originsOf(const pf::ChangeList& changes, const pf::ModuleChanges& module) {
    QStringList origins;
    for (size_t i = 0; i < module.count; ++i) {
        const pf::RecordedEdit& e = changes.edit(module, i);
        QString origin = qs(pf::groupName(e.group));
        if (byTypeList(e.group)) origin += QStringLiteral(": ") + trimmed(e.type);
        if (!origins.contains(origin)) origins << origin;
    }
    return origins.join(QStringLiteral(", "));
}

// "44 lines changed in 12 modules; 2 edits skipped", with the modules or without.
QString summaryText(const pf::ProcessOutcome& o, bool modules) {
    QString text = count(o.linesChanged, "1 line changed", "%1 lines changed");
    if (modules) text = tr("%1 in %2").arg(text, count(o.modulesChanged, "1 module", "%1 modules"));
    if (o.editsSkipped > 0) text += QStringLiteral("; ") + count(o.editsSkipped, "1 edit skipped", "%1 edits skipped");
    if (o.editsLeftOut > 0)
        text += QStringLiteral("; ") +
                count(o.editsLeftOut, "1 edit left out by its condition", "%1 edits left out by their conditions");
    return text;
}

}  // namespace

QString summaryOf(const pf::ProcessOutcome& o) { return summaryText(o, true); }

QString linesSummaryOf(const pf::ProcessOutcome& o) { return summaryText(o, false); }

QStringList warningsOf(const pf::ProcessOutcome& o) {
    QStringList warnings;
    std::map<pf::Group, QStringList> missingTypes;
    for (const auto& n : o.notFound) {
        if (n.type.empty()) warnings << tr("%1: no such module in this file.").arg(qs(pf::groupName(n.group)));
        else missingTypes[n.group] << QStringLiteral("\"%1\"").arg(displayText(n.type));
    }
    for (const auto& [group, types] : missingTypes)
        warnings << (types.size() == 1 ? tr("%1: no module of type %2 in this file.")
                                       : tr("%1: no module of the types %2 in this file."))
                        .arg(qs(pf::groupName(group)), types.join(QStringLiteral(", ")));
    for (pf::Group g : o.blocksWithoutTypes)
        warnings << tr("%1: no type is ticked, so no module is edited.").arg(qs(pf::groupName(g)));
    if (o.linesChanged == 0 && o.linesUnsaved == 0) warnings << tr("Nothing would change: saving writes the document as it is.");
    if (o.linesChanged == 0 && o.linesUnsaved > 0)
        warnings << count(o.linesUnsaved,
                          "Nothing would change now, but the document differs from the file in 1 line not saved yet; "
                          "saving writes it.",
                          "Nothing would change now, but the document differs from the file in %1 lines not saved yet; "
                          "saving writes them.");
    return warnings;
}

// ---- ChangesModel ---------------------------------------------------------------------------

ChangesModel::ChangesModel(const pf::ChangeList& changes, const pf::Document* document, const std::vector<bool>* kept,
                           QObject* parent)
    : QAbstractItemModel(parent), changes_(changes), document_(document),
      kept_(kept ? *kept : std::vector<bool>(changes.modules().size(), true)), readOnly_(kept != nullptr) {}

void ChangesModel::toggleModuleOf(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QModelIndex module = index.internalId() == kModuleRow ? index.siblingAtColumn(0) : parent(index);
    setData(module, kept_[static_cast<size_t>(module.row())] ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

void ChangesModel::keepAll(bool keep) {
    if (readOnly_) return;
    kept_.assign(kept_.size(), keep);
    if (!kept_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

QModelIndex ChangesModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) return {};
    return createIndex(row, column, parent.isValid() ? static_cast<quintptr>(parent.row()) : kModuleRow);
}

QModelIndex ChangesModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == kModuleRow) return {};
    return createIndex(static_cast<int>(child.internalId()), 0, kModuleRow);
}

int ChangesModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(changes_.modules().size());
    if (parent.internalId() != kModuleRow || parent.column() != 0) return 0;
    return static_cast<int>(changes_.modules()[static_cast<size_t>(parent.row())].count);
}

int ChangesModel::columnCount(const QModelIndex&) const { return 2; }

// "patch"  header  origins; a long patch name cut short when `elided`, so that the header and
// the origins stay in view.
QString ChangesModel::moduleText(const pf::ModuleChanges& module, long long line, bool elided) const {
    constexpr int kPatchNameShown = 32;
    const QString header = trimmed(changes_.header(module));
    QString text = QStringLiteral("%1  %2").arg(header.isEmpty() ? tr("(no module header)") : header, originsOf(changes_, module));
    if (document_ && line >= 0)
        if (const std::string patch = pf::patchNameAbove(*document_, static_cast<size_t>(line)); !patch.empty()) {
            QString name = displayText(patch);
            if (elided && name.size() > kPatchNameShown) name = name.left(kPatchNameShown - 1) + QChar(0x2026);
            text = tr("\"%1\"  %2").arg(name, text);
        }
    return text;
}

QVariant ChangesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? tr("Module / change") : tr("Line");
}

QVariant ChangesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const bool moduleRow = index.internalId() == kModuleRow;
    const size_t m = moduleRow ? static_cast<size_t>(index.row()) : static_cast<size_t>(index.internalId());
    const pf::ModuleChanges& module = changes_.modules()[m];
    if (moduleRow && index.column() == 0 && role == Qt::CheckStateRole) return kept_[m] ? Qt::Checked : Qt::Unchecked;
    if (index.column() == 1 && role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    const long long line = moduleRow ? module.headerLine : static_cast<long long>(changes_.edit(module, static_cast<size_t>(index.row())).line);
    if (moduleRow && index.column() == 0 && role == Qt::ToolTipRole) return moduleText(module, line, false);
    if (role != Qt::DisplayRole) return {};
    if (index.column() == 1) return line < 0 ? QString() : QString::number(line + 1);
    if (moduleRow) return moduleText(module, line, true);
    const pf::RecordedEdit& e = changes_.edit(module, static_cast<size_t>(index.row()));
    const pf::ShownChange shown = pf::shownChange(e, changes_.reader());
    QString text = QStringLiteral("%1: %2 -> %3")
                       .arg(qs(pf::setting(e.setting).caption), shownOrStored(shown.before, e.before),
                            shownOrStored(shown.after, e.after));
    if (const std::string& rule = changes_.rule(e.setting); !rule.empty()) text += QStringLiteral(" (%1)").arg(displayText(rule));
    return text;
}

bool ChangesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (readOnly_ || !index.isValid() || index.internalId() != kModuleRow || index.column() != 0 || role != Qt::CheckStateRole)
        return false;
    kept_[static_cast<size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ChangesModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!readOnly_ && index.internalId() == kModuleRow && index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

// ---- PreviewDialog --------------------------------------------------------------------------

QLabel* previewText(const QString& text, const char* name, const QColor& color, bool bold, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}

QTreeView* changesTree(const char* name, QWidget* parent) {
    auto* tree = new QTreeView(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setUniformRowHeights(true);
    tree->setAllColumnsShowFocus(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return tree;
}

void showChanges(QTreeView* tree, ChangesModel* model) {
    tree->setModel(model);
    if (!model) return;
    tree->header()->setStretchLastSection(false);
    tree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    // Room for seven digits (a file of millions of lines) or the heading, whichever is wider.
    tree->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    const QFontMetrics digits(tree->font());
    tree->header()->resizeSection(1, std::max(digits.horizontalAdvance(QStringLiteral("0000000")),
                                              digits.horizontalAdvance(model->headerData(1, Qt::Horizontal).toString())) +
                                         2 * digits.averageCharWidth());
}

PreviewDialog::PreviewDialog(const ChangeReview& review, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("preview"));
    setWindowTitle(tr("Preview of the changes"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(previewText(review.summary, "previewsummary", kPromptBlue, true, this));
    QLabel* warnings = previewText(review.warnings.join(u'\n'), "previewwarnings", kWarningAmber, false, this);
    warnings->setVisible(!review.warnings.isEmpty());
    layout->addWidget(warnings);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("previewtabs"));
    layout->addWidget(tabs, 1);

    // The changes, a tick per module.
    auto* changesPage = new QWidget(tabs);
    auto* changesLayout = new QVBoxLayout(changesPage);
    const bool readOnly = review.kept != nullptr;
    if (readOnly) setWindowTitle(tr("Changes of the Process that made the document"));
    model_ = new ChangesModel(review.changes, review.document, review.kept, this);
    auto* tree = changesTree("previewchanges", changesPage);
    showChanges(tree, model_);
    // Space ticks or unticks the module of the row in focus, its own row or one of its lines.
    tree->installEventFilter(this);
    if (model_->rowCount() > 0) tree->setCurrentIndex(model_->index(0, 0));
    if (model_->rowCount() <= 50) tree->expandAll();
    changesLayout->addWidget(tree, 1);
    auto* ticks = new QHBoxLayout;
    QToolButton* all = flatButton(tr("Check All"), "previewcheckall", changesPage);
    QToolButton* none = flatButton(tr("Check None"), "previewchecknone", changesPage);
    connect(all, &QToolButton::clicked, this, [this] { model_->keepAll(true); });
    connect(none, &QToolButton::clicked, this, [this] { model_->keepAll(false); });
    ticks->addWidget(all);
    ticks->addWidget(none);
    ticks->addStretch(1);
    auto* hint = new QLabel(readOnly ? tr("Unticked modules were kept as they were.")
                                     : tr("Unticked modules are saved as they were."), changesPage);
    hint->setEnabled(false);
    ticks->addWidget(hint);
    all->setVisible(!readOnly);
    none->setVisible(!readOnly);
    changesLayout->addLayout(ticks);
    tabs->addTab(changesPage, tr("Changes"));

    // What each block found, per type.
    auto* details = new QTreeWidget(tabs);
    details->setObjectName(QStringLiteral("previewdetails"));
    details->setHeaderLabels({tr("Block / type"), tr("Modules found"), tr("Edits made"), tr("Edits skipped")});
    details->setRootIsDecorated(true);
    for (const pf::BlockReport& block : review.report.blocks) {
        auto* row = new QTreeWidgetItem(details, {qs(pf::groupName(block.group)), QString::number(block.hits),
                                                  QString::number(block.editsMade), QString::number(block.editsSkipped)});
        if (!byTypeList(block.group)) continue;
        for (const pf::TypeReport& type : block.types)
            new QTreeWidgetItem(row, {displayText(type.name), QString::number(type.hits)});
    }
    details->expandAll();
    details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    details->header()->setStretchLastSection(false);
    for (int c = 1; c < 4; ++c) details->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    tabs->addTab(details, tr("Details"));

    auto* buttons = new QDialogButtonBox(readOnly ? QDialogButtonBox::Close : QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("previewbuttons"));
    if (!readOnly) {
        buttons->button(QDialogButtonBox::Save)->setText(tr("Save..."));
        buttons->button(QDialogButtonBox::Save)->setDefault(true);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const QFontMetrics metrics(font());
    resize(metrics.averageCharWidth() * 70, metrics.height() * 26);
    tree->setFocus();
    tree_ = tree;
}

bool PreviewDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            model_->toggleModuleOf(tree_->currentIndex());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace pf::app
