#pragma once

#include <QAbstractItemModel>
#include <QDialog>
#include <QString>
#include <QStringList>
#include <vector>

#include "app/Desktop.h"
#include "engine/Review.h"

class QDialogButtonBox;
class QColor;
class QLabel;
class QTabWidget;
class QTreeView;
class QTreeWidget;

namespace pf::app {

// The one-line summary of a Process ("44 lines changed in 12 modules; 2 edits skipped") and
// its warnings, one per line.
QString summaryOf(const pf::ProcessOutcome& outcome);
// The same without the modules, for a Process that kept no record of its rewrites.
QString linesSummaryOf(const pf::ProcessOutcome& outcome);
// Besides what was found nowhere: a Process that changes nothing says so, and how many lines of
// the document, not saved yet, differ from its file.
QStringList warningsOf(const pf::ProcessOutcome& outcome);

// The changes of a Process as a tree: one checkable row per module, under it one row per
// rewritten line, "setting: old -> new". Rows are made as the view asks for them, so a change
// list of a million lines costs nothing until it is scrolled through.
class ChangesModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Every module ticked; with `kept`, those ticks, which cannot be changed.
    ChangesModel(const pf::ChangeList& changes, const pf::Document* document, const std::vector<bool>* kept = nullptr,
                 QObject* parent = nullptr);

    const std::vector<bool>& kept() const { return kept_; }
    void keepAll(bool keep);
    // Ticks or unticks the module of a row, a module's own or one of its lines'.
    void toggleModuleOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    static constexpr quintptr kModuleRow = ~quintptr{0};  // internal id of a module row
    QString moduleText(const pf::ModuleChanges& module, long long line, bool elided) const;
    const pf::ChangeList& changes_;
    const pf::Document* document_;
    std::vector<bool> kept_;
    bool readOnly_ = false;
};

// The texts of a preview above its changes: word-wrapped, in `color`, bold or not.
QLabel* previewText(const QString& text, const char* name, const QColor& color, bool bold, QWidget* parent);
// A view of the changes by module, and a model shown in it (none: empty), its line numbers in a
// column of their own.
QTreeView* changesTree(const char* name, QWidget* parent);
void showChanges(QTreeView* tree, ChangesModel* model);

// The preview after a Process: the summary and warnings at the top, the changes by module with
// a tick per module, and the report per block and type on a second tab. Save (the default
// button, Enter) goes on to the save dialog with the ticked modules; Cancel (Esc) takes the
// Process back. A Process kept earlier is shown the same way, to be read only, with Close.
class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    explicit PreviewDialog(const ChangeReview& review, QWidget* parent = nullptr);
    std::vector<bool> kept() const { return model_->kept(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ChangesModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
};

}  // namespace pf::app
