#pragma once

#include <QAbstractListModel>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/Desktop.h"

class QLabel;
class QRadioButton;
class QTreeView;
class QListView;
class QPushButton;

namespace pf::batch {
class FileBatch;
}

namespace pf::app {

class ChangesModel;

// The preview of a processed batch: the totals, and per file its summary and warnings as the
// preview of one file words them (or why it failed); a file's changes are made when it is first
// shown (FileBatch::withChanges). The batch must outlive the review.
BatchReview batchReview(pf::batch::FileBatch& batch);

// The files of a batch as a list: one row per file, "name: summary", ticked when it is to be
// written; a file that failed or has nothing to change cannot be ticked and says why.
class BatchFilesModel : public QAbstractListModel {
    Q_OBJECT
public:
    BatchFilesModel(const BatchReview& review, QObject* parent = nullptr);

    const std::vector<bool>& ticked() const { return ticked_; }
    void tickAll(bool tick);
    // A file's review was filled in: its row is shown again, and it can be ticked as before.
    void fileChanged(int row);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    void tickedChanged();

private:
    const BatchReview& review_;
    std::vector<bool> ticked_;
};

// The preview of a batch before anything is written: the totals at the top, the files with a
// tick each, and for the file in focus its summary, warnings and changes by module with a tick
// per module, as the preview of one file shows them. Below, where to save: into a folder (the
// default) or in place, each replaced file kept as NAME~. Save... (Enter) goes on with the
// ticked files and modules; Cancel (Esc) writes nothing.
class BatchPreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit BatchPreviewDialog(const BatchReview& review, QWidget* parent = nullptr);
    ~BatchPreviewDialog() override;
    BatchDecision decision() const;

private:
    void showFile(int row);

    BatchReview review_;
    BatchFilesModel* files_ = nullptr;
    QListView* list_ = nullptr;
    QLabel* fileSummary_ = nullptr;
    QLabel* fileWarnings_ = nullptr;
    QTreeView* changes_ = nullptr;
    QRadioButton* inPlace_ = nullptr;
    QPushButton* save_ = nullptr;
    std::map<int, ChangesModel*> models_;  // made as each file is first shown
};

}  // namespace pf::app
