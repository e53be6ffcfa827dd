#pragma once

#include <QString>
#include <QToolButton>
#include <string_view>

#include "engine/Choices.h"
#include "engine/Settings.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QWidget;

namespace pf::app {

class SpinEdit;

// What the window adds to a setting: the stem of its widgets' names ("ck" + stem and "spin" +
// stem or "cbo" + stem). The hint label beside a setting comes from the engine (onlyForHint).
struct SettingLook {
    SettingId id;
    std::string_view stem;
};
const SettingLook& lookOf(SettingId id);
QString checkBoxName(SettingId id);
QString valueControlName(SettingId id);

// The least widths of a row's value controls; a control grows with its font and its items.
// A row is a check box, then its value control, then (when the setting has a hint) a thin
// dark-blue bar and the hint label, in the columns of a grid.
struct RowLayout {
    int spinWidth = 68;
    int fixedListWidth = 68;
    int catalogueListWidth = 132;
};
inline constexpr int kControlHeight = 21;
// The property of a value control holding its least width.
inline constexpr const char* kLeastWidth = "leastWidth";
inline constexpr int kRowSpacing = 7;  // rows of kControlHeight stand 28 pixels apart

// The small button after a value control that holds how the setting takes its value: "=" for
// the value shown, as a plain tick and value always meant, or the mark of a rule ("+" add,
// "%" scale, "↕" limit, "?" the value only where a condition holds). A click or Space asks
// for another rule; the rule in words is its tool tip.
class RuleButton : public QToolButton {
    Q_OBJECT
public:
    explicit RuleButton(QWidget* parent);
    const ValueRule& rule() const { return rule_; }
    void setRule(const ValueRule& rule);
    static QString markOf(const ValueRule& rule);

private:
    ValueRule rule_;
};

// A value control with its rule button at its right, in one cell of a row.
class ValueCell : public QWidget {
    Q_OBJECT
public:
    ValueCell(QWidget* value, RuleButton* rule, QWidget* parent);
    // Takes the width of the value control's least width and the button.
    void fit();

private:
    QWidget* value_;
    RuleButton* rule_;
};

// The widgets of one setting pair.
struct SettingRow {
    const SettingDef* def = nullptr;
    QCheckBox* box = nullptr;
    SpinEdit* spin = nullptr;     // spin edits
    QComboBox* list = nullptr;    // drop-down lists
    RuleButton* rule = nullptr;
    ValueCell* cell = nullptr;    // the value control and the rule button
    QFrame* hintBar = nullptr;
    QLabel* hint = nullptr;

    QWidget* valueControl() const;
};

// Builds the row of a setting on `parent`, in row `row` of `grid`: check box unticked, value
// control and rule button disabled and enabled exactly while the box is ticked, a spin edit at
// its start value, a fixed list holding its items without a selection, a catalogue list empty,
// the rule the value itself.
SettingRow buildSettingRow(const SettingDef& def, QWidget* parent, QGridLayout* grid, int row, const RowLayout& layout = {});

// A grid for setting rows: rows kControlHeight high, kRowSpacing apart.
QGridLayout* settingGrid();

}  // namespace pf::app
