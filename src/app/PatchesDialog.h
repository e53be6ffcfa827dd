#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <variant>
#include <vector>

#include "engine/CellEdits.h"

class QAction;
class QCheckBox;
class QHBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace pf {
class PatchGroup;
}

namespace pf::app {

class CompareModel;
class PatchTableModel;

// The Patches view of the loaded group, beside the window: the patch table (one row per
// module an edit block edits, a column per setting, sortable), filtered by a field of
// conditions and name patterns; two patches compared side by side; and values copied from one
// to the other, which the window makes an edit of (copyAsked).
class PatchesDialog : public QDialog {
    Q_OBJECT
public:
    explicit PatchesDialog(QWidget* parent = nullptr);

    // The group's document as it is now; the filter, the sort and the patches compared stay
    // (the sort goes back to file order for a file of another model).
    void showGroup(const pf::PatchGroup& group);
    // The dialog's caption for the file the document was loaded from or saved to.
    static QString titleFor(const QString& file);

    // The edits that copy the compared lines selected (a heading: every differing line of its
    // module) from A to B, or from B to A; else the message why they cannot be made.
    std::variant<std::vector<pf::CellEdit>, QString> copyEdits(bool toB) const;
    // Compares the patches of these numbers (from 1).
    void comparePatches(size_t a, size_t b);
    // Buttons for the window's Undo and Redo, whose keys then work in this dialog too.
    void addHistory(QAction* undo, QAction* redo);

signals:
    // Copy asked for: the edits to make, or the message why there are none.
    void copyAsked(const std::vector<pf::CellEdit>& edits);
    void copyRefused(const QString& message);

private:
    void applyFilter();
    void fillPatchLists();
    void compareChosen();
    void tableSelectionChanged();
    void updateCopyButtons();
    std::vector<int> chosenLines() const;
    void copy(bool toB);

    const pf::PatchGroup* group_ = nullptr;
    std::string shownModel_;  // the code of the model shown
    PatchTableModel* model_ = nullptr;
    CompareModel* compare_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QLabel* filterMessage_ = nullptr;
    QTableView* table_ = nullptr;
    QComboBox* patchA_ = nullptr;
    QComboBox* patchB_ = nullptr;
    QCheckBox* differingOnly_ = nullptr;
    QTableView* compareView_ = nullptr;
    QLabel* compareStatus_ = nullptr;
    QToolButton* copyToB_ = nullptr;
    QToolButton* copyToA_ = nullptr;
    QHBoxLayout* bottomRow_ = nullptr;
};

}  // namespace pf::app
