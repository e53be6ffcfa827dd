#include "app/BatchPreview.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Pages.h"
#include "app/PreviewDialog.h"
#include "app/Widgets.h"
#include "app/FileNames.h"
#include "batch/FileBatch.h"
#include "recipe/Recipe.h"

namespace pf::app {

namespace {

QString tr(const char* text) { return QCoreApplication::translate("pf::app::BatchPreviewDialog", text); }

bool writable(const BatchFileReview& f) { return !f.failed && !f.nothingToSave; }

}  // namespace

namespace {

// One file as the preview shows it; its changes and whole summary only with a record.
BatchFileReview fileReview(const pf::batch::FileBatch& batch, size_t i) {
    const pf::batch::ProcessedFile& file = batch.files()[i];
    BatchFileReview f;
    f.path = qpath(batch.inputs()[i]);
    if (file.status == pf::batch::ProcessedFile::Status::Failed) {
        f.failed = true;
        f.summary = qs(file.reason);
        for (const std::string& e : file.errors) f.warnings << qs(e);
    } else if (file.status == pf::batch::ProcessedFile::Status::NothingToSave) {
        f.nothingToSave = true;
        f.summary = qs(kNoChangesToSave);
    } else {
        const pf::ProcessOutcome& outcome = file.pending->outcome();
        const bool recorded = file.pending->record() != nullptr;
        f.summary = recorded ? summaryOf(outcome) : linesSummaryOf(outcome);
        f.warnings = warningsOf(outcome);
        if (recorded) {
            f.changes = &file.pending->changes();
            f.document = &file.session->document();
        }
    }
    if (!file.notApplied.empty())
        f.warnings << tr("Not offered for this file, so not applied: %1").arg(qs(pf::joined(file.notApplied)));
    return f;
}

}  // namespace

BatchReview batchReview(pf::batch::FileBatch& batch) {
    BatchReview review;
    size_t toWrite = 0, unchanged = 0, failed = 0, lines = 0;
    for (size_t i = 0; i < batch.files().size(); ++i) {
        review.files.push_back(fileReview(batch, i));
        const BatchFileReview& f = review.files.back();
        failed += f.failed;
        unchanged += f.nothingToSave;
        if (writable(f)) {
            ++toWrite;
            lines += batch.files()[i].pending->report().linesChanged;
        }
    }
    review.totals = tr("%1 files: %2 to write (%3 lines changed), %4 with nothing to change, %5 failed.")
                        .arg(review.files.size())
                        .arg(toWrite)
                        .arg(lines)
                        .arg(unchanged)
                        .arg(failed);
    review.detail = [&batch](size_t i, BatchFileReview& f) {
        batch.withChanges(i);
        f = fileReview(batch, i);
    };
    return review;
}

// ---- BatchFilesModel ------------------------------------------------------------------------

BatchFilesModel::BatchFilesModel(const BatchReview& review, QObject* parent)
    : QAbstractListModel(parent), review_(review), ticked_(review.files.size()) {
    for (size_t i = 0; i < ticked_.size(); ++i) ticked_[i] = writable(review.files[i]);
}

void BatchFilesModel::tickAll(bool tick) {
    for (size_t i = 0; i < ticked_.size(); ++i) ticked_[i] = tick && writable(review_.files[i]);
    if (!ticked_.empty()) emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
    emit tickedChanged();
}

void BatchFilesModel::fileChanged(int row) {
    const size_t i = static_cast<size_t>(row);
    if (!writable(review_.files[i]) && ticked_[i]) {
        ticked_[i] = false;
        emit tickedChanged();
    }
    emit dataChanged(index(row), index(row));
}

int BatchFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(review_.files.size());
}

QVariant BatchFilesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const size_t i = static_cast<size_t>(index.row());
    const BatchFileReview& f = review_.files[i];
    switch (role) {
    case Qt::DisplayRole:
        return f.failed ? tr("%1: not written: %2").arg(QFileInfo(f.path).fileName(), f.summary)
                        : QStringLiteral("%1: %2").arg(QFileInfo(f.path).fileName(), f.summary);
    case Qt::ToolTipRole:
        return QStringList(QDir::toNativeSeparators(f.path)) + f.warnings;
    case Qt::CheckStateRole:
        return ticked_[i] ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
        if (f.failed) return kWarningAmber;
        if (f.nothingToSave) return kDisabledGrey;
        return {};
    default:
        return {};
    }
}

bool BatchFilesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || !writable(review_.files[static_cast<size_t>(index.row())]))
        return false;
    ticked_[static_cast<size_t>(index.row())] = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit tickedChanged();
    return true;
}

Qt::ItemFlags BatchFilesModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (writable(review_.files[static_cast<size_t>(index.row())])) f |= Qt::ItemIsUserCheckable;
    return f;
}

// ---- BatchPreviewDialog ---------------------------------------------------------------------

BatchPreviewDialog::BatchPreviewDialog(const BatchReview& review, QWidget* parent) : QDialog(parent), review_(review) {
    // From here on the dialog's own copy of the review, whose files take their changes as
    // they are shown.
    setObjectName(QStringLiteral("batchpreview"));
    setWindowTitle(tr("Preview of the batch"));
    setSizeGripEnabled(true);
    auto* layout = new QVBoxLayout(this);

    layout->addWidget(previewText(review_.totals, "batchsummary", kPromptBlue, true, this));

    auto* split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("batchsplit"));
    split->setChildrenCollapsible(false);
    layout->addWidget(split, 1);

    // The files, a tick each.
    auto* filesPane = new QWidget(split);
    auto* filesLayout = new QVBoxLayout(filesPane);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    files_ = new BatchFilesModel(review_, this);
    list_ = new QListView(filesPane);
    list_->setObjectName(QStringLiteral("batchfiles"));
    list_->setModel(files_);
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    filesLayout->addWidget(list_, 1);
    auto* ticks = new QHBoxLayout;
    QToolButton* all = flatButton(tr("Check All"), "batchcheckall", filesPane);
    QToolButton* none = flatButton(tr("Check None"), "batchchecknone", filesPane);
    connect(all, &QToolButton::clicked, this, [this] { files_->tickAll(true); });
    connect(none, &QToolButton::clicked, this, [this] { files_->tickAll(false); });
    ticks->addWidget(all);
    ticks->addWidget(none);
    ticks->addStretch(1);
    filesLayout->addLayout(ticks);

    // The file in focus: its summary, warnings and changes.
    auto* filePane = new QWidget(split);
    auto* fileLayout = new QVBoxLayout(filePane);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileSummary_ = previewText({}, "batchfilesummary", palette().color(QPalette::WindowText), true, filePane);
    fileLayout->addWidget(fileSummary_);
    fileWarnings_ = previewText({}, "batchfilewarnings", kWarningAmber, false, filePane);
    fileLayout->addWidget(fileWarnings_);
    changes_ = changesTree("batchchanges", filePane);
    fileLayout->addWidget(changes_, 1);
    split->setStretchFactor(0, 0);  // the changes take what the files' rows leave
    split->setStretchFactor(1, 1);

    // Where to save.
    auto* where = new QHBoxLayout;
    auto* intoFolder = new QRadioButton(tr("Into a folder (the files stay as they are)"), this);
    intoFolder->setObjectName(QStringLiteral("rbfolder"));
    intoFolder->setChecked(true);
    inPlace_ = new QRadioButton(tr("In place, each replaced file kept as NAME~"), this);
    inPlace_->setObjectName(QStringLiteral("rbinplace"));
    where->addWidget(intoFolder);
    where->addWidget(inPlace_);
    where->addStretch(1);
    layout->addLayout(where);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("batchbuttons"));
    save_ = buttons->button(QDialogButtonBox::Save);
    save_->setText(tr("Save..."));
    save_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    auto updateSave = [this] {
        const std::vector<bool>& t = files_->ticked();
        save_->setEnabled(std::find(t.begin(), t.end(), true) != t.end());
    };
    connect(files_, &BatchFilesModel::tickedChanged, this, updateSave);
    updateSave();

    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { showFile(current.row()); });
    if (files_->rowCount() > 0) list_->setCurrentIndex(files_->index(0));
    else showFile(-1);

    // The files' rows whole where the screen allows it (the longest of the first thousand, with
    // room for the modules a row names once shown), the changes beside them wider.
    const QFontMetrics metrics(font());
    int longest = metrics.averageCharWidth() * 40;
    for (int i = 0; i < std::min(files_->rowCount(), 1000); ++i)
        longest = std::max(longest, metrics.horizontalAdvance(files_->data(files_->index(i)).toString()));
    longest = std::min(longest + metrics.horizontalAdvance(tr(" in 999 modules")) + 3 * metrics.height(),
                       metrics.averageCharWidth() * 90);
    const int changesWidth = metrics.averageCharWidth() * 64;
    resize(longest + changesWidth + 3 * metrics.height(), metrics.height() * 30);
    split->setSizes({longest, changesWidth});
    list_->setFocus();
}

BatchPreviewDialog::~BatchPreviewDialog() = default;

void BatchPreviewDialog::showFile(int row) {
    if (row < 0 || static_cast<size_t>(row) >= review_.files.size()) {
        fileSummary_->clear();
        fileWarnings_->hide();
        showChanges(changes_, nullptr);
        return;
    }
    BatchFileReview& f = review_.files[static_cast<size_t>(row)];
    if (!f.changes && writable(f) && review_.detail) {
        review_.detail(static_cast<size_t>(row), f);
        files_->fileChanged(row);
    }
    fileSummary_->setText(QStringLiteral("%1: %2").arg(QFileInfo(f.path).fileName(), f.summary));
    fileSummary_->setToolTip(QDir::toNativeSeparators(f.path));
    fileWarnings_->setText(f.warnings.join(u'\n'));
    fileWarnings_->setVisible(!f.warnings.isEmpty());
    ChangesModel*& model = models_[row];
    if (!model && f.changes) model = new ChangesModel(*f.changes, f.document, nullptr, this);
    showChanges(changes_, model);
    if (model && model->rowCount() <= 50) changes_->expandAll();
}

BatchDecision BatchPreviewDialog::decision() const {
    BatchDecision d;
    d.write = files_->ticked();
    d.kept.resize(review_.files.size());
    for (const auto& [row, model] : models_)
        if (model) d.kept[static_cast<size_t>(row)] = model->kept();
    d.inPlace = inPlace_->isChecked();
    return d;
}

}  // namespace pf::app
