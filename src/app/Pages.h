#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "app/SettingRows.h"
#include "engine/Settings.h"

class QBoxLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpacerItem;
class QToolButton;

namespace pf::app {

class PictureStepper;

// The window's client area at the default font; a larger font makes it larger.
inline constexpr int kClientWidth = 497;
inline constexpr int kClientHeight = 412;

// One tab page, as the tab row lists them.
struct PageDef {
    const char* name;          // object name: "splash", "amp", "ampB3", "drive", "reverb", "misc"
    const char* caption;       // tab text
    const char* legalButton;   // object name of its "Legal" button
    ShownWith shownWith;       // which models show it after a load (Home shows before any load)
    std::optional<TypeList> typeList;  // an effect page: its check list and the section of that list
    const char* heading = nullptr;     // effect pages: the caption above the check list
    const char* listName = nullptr;
    const char* checkAllName = nullptr;
    const char* checkNoneName = nullptr;
};

// The pages in tab order; the first is Home.
std::span<const PageDef> pageDefs();

// The object name of a section's field of patch-name patterns ("editamppatches"), by the
// section's place in settingSections().
QString patchesFieldName(size_t section);

// A tab page whose "Legal" button keeps to its bottom right corner. Its contents are laid out
// by their texts; at its right it keeps room for the window's command buttons, at its bottom
// for a row of small buttons.
class TabPage : public QWidget {
    Q_OBJECT
public:
    explicit TabPage(const PageDef& def);
    const PageDef& def() const { return def_; }
    QToolButton* legalButton() const { return legal_; }

    // The room the window's buttons take: a column at the right of `column` size, and a row
    // `bottom` pixels high.
    void keepRoom(QSize column, int bottom);
    // Gives every control the width its text needs, in the page's bold font too (the page
    // turns bold once the user has visited it), so that nothing is cut and a visit never
    // changes the layout. The lists' items count: called again after each load.
    virtual void fitTexts();

signals:
    void legalClicked();

protected:
    QBoxLayout* body() const { return body_; }
    QSize room() const { return room_; }
    bool rowsKeepRoom_ = false;  // its setting rows keep the room beside the buttons themselves
    void addLegalButton();  // last, so that the Tab key reaches it after the page's controls
    void resizeEvent(QResizeEvent* event) override;

private:
    void positionLegal();

    const PageDef& def_;
    QToolButton* legal_ = nullptr;
    QBoxLayout* outer_ = nullptr;
    QBoxLayout* body_ = nullptr;
    QSpacerItem* column_ = nullptr;
    QSize room_;
};

// Home: the title, the device picture that steps through "G5", "G3" and "B3", and a large
// picture; a click on any of them asks for the program's web page.
class HomePage : public TabPage {
    Q_OBJECT
public:
    explicit HomePage(const PageDef& def);
    PictureStepper* devicePicture() const { return devicePicture_; }

signals:
    void pictureClicked();

private:
    PictureStepper* devicePicture_ = nullptr;
};

// A page of setting rows: an effect page (a heading, the effect-type check list on a white
// panel with Check All and Check None below it, the section's rows at the right; the B3 rows
// of the Drive page on a panel of their own) or the Misc page (the ZNR group and the patch
// settings). Each row it builds is stored in `rows` under its setting. Each section on the
// page has a field of the patterns of the patch names its settings go to ("Patches:"), below
// the check list of an effect page and below the rows of each Misc section; it is stored in
// `patches` under the section.
class SettingsPage : public TabPage {
    Q_OBJECT
public:
    using PatchFields = std::array<QLineEdit*, kSectionCount>;
    SettingsPage(const PageDef& def, std::array<SettingRow, kSettingCount>& rows, PatchFields& patches);

    QListWidget* typeList() const { return typeList_; }          // effect pages
    QWidget* b3ControlsPanel() const { return b3ControlsPanel_; }  // the Drive page's B3 panel
    void fitTexts() override;

private:
    void buildEffectPage(std::array<SettingRow, kSettingCount>& rows, PatchFields& patches);
    void buildMiscPage(std::array<SettingRow, kSettingCount>& rows, PatchFields& patches);

    QListWidget* typeList_ = nullptr;
    QWidget* listPanel_ = nullptr;
    QLabel* heading_ = nullptr;
    QToolButton* checkAll_ = nullptr;
    QToolButton* checkNone_ = nullptr;
    QWidget* b3ControlsPanel_ = nullptr;
    // The grids of setting rows, whose columns line up; each starts below `rowsBefore` rows
    // of an earlier grid or below `above`.
    struct Grid {
        QGridLayout* grid;
        int rowsBefore = 0;
        QWidget* above = nullptr;
        QSpacerItem* room = nullptr;
    };
    std::vector<Grid> grids_;
    void keepRoomBeside(Grid& grid, int top);
};

// Tick or untick every entry of an effect-type check list.
void checkAll(QListWidget* list);
void checkNone(QListWidget* list);

// A flat, blue-lettered button as the pages use them, grey while disabled.
QToolButton* flatButton(const QString& text, const char* name, QWidget* parent);

// The width `w` needs to show `text` whole in a bold font, beyond what it needs now.
int boldExtra(const QWidget* w, const QString& text);
// The width a closed drop-down list needs to show each of its items whole, in bold.
int comboWidthFor(const QComboBox* list);
// The width a check list needs to show each entry whole, check box and vertical scroll bar
// included, in bold.
int checkListWidthFor(const QListWidget* list);

}  // namespace pf::app
