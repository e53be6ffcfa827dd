#pragma once

#include <QString>
#include <string_view>

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

// The widgets of one setting pair.
struct SettingRow {
    const SettingDef* def = nullptr;
    QCheckBox* box = nullptr;
    SpinEdit* spin = nullptr;     // spin edits
    QComboBox* list = nullptr;    // drop-down lists
    QFrame* hintBar = nullptr;
    QLabel* hint = nullptr;

    QWidget* valueControl() const;
};

// Builds the row of a setting on `parent`, in row `row` of `grid`: check box unticked, value
// control disabled and enabled exactly while the box is ticked, a spin edit at its start
// value, a fixed list holding its items without a selection, a catalogue list empty.
SettingRow buildSettingRow(const SettingDef& def, QWidget* parent, QGridLayout* grid, int row, const RowLayout& layout = {});

// A grid for setting rows: rows kControlHeight high, kRowSpacing apart.
QGridLayout* settingGrid();

}  // namespace pf::app
