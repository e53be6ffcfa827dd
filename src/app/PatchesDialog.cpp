#include "app/PatchesDialog.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/CompareModel.h"
#include "app/Pages.h"
#include "app/PatchTableModel.h"
#include "app/Widgets.h"
#include "catalogue/Catalogue.h"
#include "engine/PatchGroup.h"
#include "library/CopyValues.h"

namespace pf::app {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("pf::app::PatchesDialog", text); }

QString patchCaption(const pf::TableRow& row) {
    return tr("%1: %2").arg(row.patch).arg(displayText(row.patchName).trimmed());
}

QLabel* smallNote(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    QPalette grey = label->palette();
    grey.setColor(QPalette::WindowText, kSteelGrey);
    label->setPalette(grey);
    return label;
}

QTableView* tableView(const char* name, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QLatin1String(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->horizontalHeader()->setHighlightSections(false);
    return view;
}

}  // namespace

PatchesDialog::PatchesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("patches"));
    setWindowTitle(tr("Patches"));
    setSizeGripEnabled(true);
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    // The filter, and under it how many modules it leaves or why it cannot be read.
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(tr("&Filter:"), this);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("patchesfilter"));
    filter_->setPlaceholderText(tr("Amp.Gain=40..100; Reverb.Reverb=Hall,Room; Lead*"));
    filter_->setToolTip(tr("Conditions SECTION.KEY=A..B or SECTION.KEY=NAME,NAME, all of which must hold, and patch "
                           "names (* any characters, ? any one), separated by ';'"));
    filter_->setClearButtonEnabled(true);
    filter_->setMinimumWidth(filter_->fontMetrics().horizontalAdvance(filter_->placeholderText()) +
                             6 * filter_->fontMetrics().averageCharWidth());  // the example whole
    filterLabel->setBuddy(filter_);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filter_, 1);
    layout->addLayout(filterRow);
    filterMessage_ = smallNote("patchesfiltermessage", this);
    layout->addWidget(filterMessage_);
    connect(filter_, &QLineEdit::textChanged, this, &PatchesDialog::applyFilter);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("patchessplit"));
    split->setChildrenCollapsible(false);
    layout->addWidget(split, 1);

    model_ = new PatchTableModel(this);
    table_ = tableView("patchestable", split);
    table_->setModel(model_);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);
    table_->setAccessibleName(tr("Modules of the loaded file"));
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PatchesDialog::tableSelectionChanged);
    split->addWidget(table_);

    // Two patches side by side.
    auto* comparePane = new QWidget(split);
    auto* compareLayout = new QVBoxLayout(comparePane);
    compareLayout->setContentsMargins(0, 0, 0, 0);
    auto* chooseRow = new QHBoxLayout;
    auto* compareLabel = new QLabel(tr("&Compare"), comparePane);
    patchA_ = new QComboBox(comparePane);
    patchA_->setObjectName(QStringLiteral("patchesa"));
    patchA_->setAccessibleName(tr("Patch A"));
    patchA_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    compareLabel->setBuddy(patchA_);
    auto* withLabel = new QLabel(tr("with"), comparePane);
    patchB_ = new QComboBox(comparePane);
    patchB_->setObjectName(QStringLiteral("patchesb"));
    patchB_->setAccessibleName(tr("Patch B"));
    patchB_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    differingOnly_ = new QCheckBox(tr("&Differing only"), comparePane);
    differingOnly_->setObjectName(QStringLiteral("patchesdifferingonly"));
    chooseRow->addWidget(compareLabel);
    chooseRow->addWidget(patchA_);
    chooseRow->addWidget(withLabel);
    chooseRow->addWidget(patchB_);
    chooseRow->addStretch(1);
    chooseRow->addWidget(differingOnly_);
    compareLayout->addLayout(chooseRow);
    for (QComboBox* list : {patchA_, patchB_}) {
        list->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);  // every patch's name whole
        connect(list, &QComboBox::currentIndexChanged, this, &PatchesDialog::compareChosen);
    }

    compare_ = new CompareModel(this);
    compareView_ = tableView("patchescompare", comparePane);
    compareView_->setModel(compare_);
    compareView_->setAccessibleName(tr("Patch A and patch B side by side"));
    compareView_->horizontalHeader()->setSectionResizeMode(CompareModel::Mark, QHeaderView::ResizeToContents);
    compareView_->horizontalHeader()->setSectionResizeMode(CompareModel::Setting, QHeaderView::ResizeToContents);
    compareView_->horizontalHeader()->setSectionResizeMode(CompareModel::ValueA, QHeaderView::Stretch);
    compareView_->horizontalHeader()->setSectionResizeMode(CompareModel::ValueB, QHeaderView::Stretch);
    connect(compareView_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PatchesDialog::updateCopyButtons);
    connect(differingOnly_, &QCheckBox::toggled, this, [this](bool only) {
        compare_->setDifferingOnly(only);
        updateCopyButtons();
    });
    compareLayout->addWidget(compareView_, 1);

    auto* copyRow = new QHBoxLayout;
    copyToB_ = flatButton(tr("Copy A \u2192 B"), "patchescopytob", comparePane);
    copyToA_ = flatButton(tr("Copy B \u2192 A"), "patchescopytoa", comparePane);
    copyToB_->setToolTip(tr("Writes A's values of the lines selected into patch B, with a preview"));
    copyToA_->setToolTip(tr("Writes B's values of the lines selected into patch A, with a preview"));
    connect(copyToB_, &QToolButton::clicked, this, [this] { copy(true); });
    connect(copyToA_, &QToolButton::clicked, this, [this] { copy(false); });
    compareStatus_ = smallNote("patchescomparestatus", comparePane);
    copyRow->addWidget(copyToB_);
    copyRow->addWidget(copyToA_);
    copyRow->addWidget(compareStatus_, 1);
    compareLayout->addLayout(copyRow);
    split->addWidget(comparePane);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    bottomRow_ = new QHBoxLayout;
    bottomRow_->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("patchesbuttons"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottomRow_->addWidget(buttons);
    layout->addLayout(bottomRow_);

    // Room for a good part of the table, within the screen.
    const QFontMetrics metrics(font());
    QSize size(metrics.averageCharWidth() * 150, metrics.height() * 40);
    if (const QScreen* screen = parent ? parent->screen() : nullptr) size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
    updateCopyButtons();
}

void PatchesDialog::addHistory(QAction* undo, QAction* redo) {
    int at = 0;
    for (auto [action, name] : {std::pair{undo, "patchesundo"}, std::pair{redo, "patchesredo"}}) {
        QToolButton* b = flatButton(action->text(), name, this);
        b->setDefaultAction(action);
        bottomRow_->insertWidget(at++, b);
        addAction(action);  // its keys work here as in the window
    }
}

QString PatchesDialog::titleFor(const QString& file) {
    return file.isEmpty() ? tr("Patches") : tr("Patches of %1").arg(QFileInfo(file).fileName());
}

void PatchesDialog::showGroup(const pf::PatchGroup& group) {
    if (model_ && shownModel_ != group.model().code) table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    shownModel_ = group.model().code;
    group_ = &group;
    const pf::PatchTable table(pf::Catalogue::open(pf::Catalogue::defaultPath()), group.model());
    model_->setRows(table.rows(group.document()), table.columns());
    applyFilter();
    fillPatchLists();
}

void PatchesDialog::applyFilter() {
    auto read = pf::readRowFilter(filter_->text().toStdString());
    QPalette palette = filterMessage_->palette();
    if (const std::string* message = std::get_if<std::string>(&read)) {
        palette.setColor(QPalette::WindowText, kWarningAmber);
        filterMessage_->setPalette(palette);
        filterMessage_->setText(tr("Not a filter: %1").arg(qs(*message)));
        return;  // the table keeps the last filter that could be read
    }
    model_->setFilter(std::move(std::get<pf::RowFilter>(read)));
    // Setting columns that none of the modules shown has stay out of the way.
    for (int c = static_cast<int>(pf::kModuleColumns.size()); c < model_->columnCount(); ++c) {
        const pf::SettingId id = model_->columns()[static_cast<size_t>(c) - pf::kModuleColumns.size()];
        bool stands = false;
        for (int r = 0; r < model_->rowCount() && !stands; ++r) stands = model_->shownRow(r).cell(id) != nullptr;
        table_->setColumnHidden(c, !stands);
    }
    table_->resizeColumnsToContents();
    palette.setColor(QPalette::WindowText, kSteelGrey);
    filterMessage_->setPalette(palette);
    const int all = static_cast<int>(model_->rows().size()), shown = model_->rowCount();
    const QString modules = all == 1 ? tr("1 module") : tr("%1 modules").arg(all);
    filterMessage_->setText(shown == all ? modules : tr("%1 of %2 shown").arg(shown).arg(modules));
}

// Every patch with a module, by number and name; the patches compared stay where they still are.
void PatchesDialog::fillPatchLists() {
    const QVariant a = patchA_->currentData(), b = patchB_->currentData();
    for (QComboBox* list : {patchA_, patchB_}) {
        const QSignalBlocker quiet(list);
        list->clear();
        size_t last = 0;
        for (const pf::TableRow& row : model_->rows())
            if (row.patch != last) {
                last = row.patch;
                list->addItem(patchCaption(row), QVariant::fromValue<qulonglong>(row.patch));
            }
    }
    const size_t count = static_cast<size_t>(patchA_->count());
    comparePatches(a.isValid() ? a.toULongLong() : 1, b.isValid() ? b.toULongLong() : std::min<size_t>(2, count));
}

void PatchesDialog::comparePatches(size_t a, size_t b) {
    for (auto [list, number] : {std::pair{patchA_, a}, std::pair{patchB_, b}}) {
        const QSignalBlocker quiet(list);
        const int at = list->findData(QVariant::fromValue<qulonglong>(number));
        list->setCurrentIndex(at >= 0 ? at : std::min(list->count() - 1, 0));
    }
    compareChosen();
}

void PatchesDialog::compareChosen() {
    if (patchA_->currentIndex() < 0 || patchB_->currentIndex() < 0) {
        compare_->clear();
        compareStatus_->clear();
        updateCopyButtons();
        return;
    }
    const std::vector<pf::TableRow>& rows = model_->rows();
    compare_->compare(pf::rowsOfPatch(rows, patchA_->currentData().toULongLong()),
                      pf::rowsOfPatch(rows, patchB_->currentData().toULongLong()),
                      tr("A  %1").arg(patchA_->currentText()), tr("B  %1").arg(patchB_->currentText()),
                      model_->columns());
    const int differing = compare_->differingCount();
    compareStatus_->setText(differing == 0 ? tr("No setting differs.")
                                           : differing == 1 ? tr("1 setting differs (\u2260).")
                                                            : tr("%1 settings differ (\u2260).").arg(differing));
    updateCopyButtons();
}

// Rows of two patches selected in the table: those two are compared.
void PatchesDialog::tableSelectionChanged() {
    std::vector<size_t> patches;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        const size_t patch = model_->shownRow(index.row()).patch;
        if (std::ranges::find(patches, patch) == patches.end()) patches.push_back(patch);
    }
    if (patches.size() != 2) return;
    std::ranges::sort(patches);
    comparePatches(patches[0], patches[1]);
}

void PatchesDialog::updateCopyButtons() {
    const bool any = !chosenLines().empty();
    copyToB_->setEnabled(any);
    copyToA_->setEnabled(any);
}

// The differing lines with a module on both sides that are selected, or whose module's heading is.
std::vector<int> PatchesDialog::chosenLines() const {
    const QModelIndexList selected = compareView_->selectionModel()->selectedRows();
    std::vector<int> chosen;
    for (int row = 0; row < compare_->rowCount(); ++row) {
        const CompareModel::Line& line = compare_->line(row);
        if (!line.setting || !line.differs || !line.pair.a || !line.pair.b) continue;
        if (std::ranges::any_of(selected, [&](const QModelIndex& index) {
                const CompareModel::Line& picked = compare_->line(index.row());
                return index.row() == row || (!picked.setting && picked.pair.a == line.pair.a && picked.pair.b == line.pair.b);
            }))
            chosen.push_back(row);
    }
    return chosen;
}

std::variant<std::vector<pf::CellEdit>, QString> PatchesDialog::copyEdits(bool toB) const {
    if (!group_) return QString();
    // The settings chosen, module by module.
    std::vector<std::pair<pf::ModulePair, std::vector<pf::SettingId>>> modules;
    for (int row : chosenLines()) {
        const CompareModel::Line& line = compare_->line(row);
        if (modules.empty() || modules.back().first.a != line.pair.a || modules.back().first.b != line.pair.b)
            modules.push_back({line.pair, {}});
        modules.back().second.push_back(*line.setting);
    }
    std::vector<pf::CellEdit> edits;
    QStringList refusals;
    for (const auto& [pair, settings] : modules) {
        const pf::TableRow& from = toB ? *pair.a : *pair.b;
        const pf::TableRow& to = toB ? *pair.b : *pair.a;
        pf::CopiedValues copied = pf::copyValues(*group_, from, to, settings);
        for (const std::string& why : copied.refusals)
            refusals << tr("Patch %1, module %2: %3").arg(to.patch).arg(to.headerLine + 1).arg(displayText(why));
        std::ranges::move(copied.edits, std::back_inserter(edits));
    }
    if (!refusals.isEmpty()) return tr("Nothing was copied:\n%1").arg(refusals.join(u'\n'));
    return edits;
}

void PatchesDialog::copy(bool toB) {
    auto edits = copyEdits(toB);
    if (const QString* message = std::get_if<QString>(&edits)) {
        if (!message->isEmpty()) emit copyRefused(*message);
        return;
    }
    if (!std::get<std::vector<pf::CellEdit>>(edits).empty()) emit copyAsked(std::get<std::vector<pf::CellEdit>>(edits));
}

}  // namespace pf::app
