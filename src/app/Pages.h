#pragma once

#include <QWidget>
#include <array>
#include <optional>
#include <span>

#include "app/SettingRows.h"
#include "engine/Settings.h"

class QListWidget;
class QToolButton;

namespace pf::app {

class PictureStepper;

// Geometry shared by the pages and the window: the client area, the setting rows from
// kRowsX, and the three command buttons, which stand right of kButtonX over every page.
inline constexpr int kClientWidth = 497;
inline constexpr int kClientHeight = 412;
inline constexpr int kRowsX = 168;
inline constexpr int kRowsTop = 8;
inline constexpr int kButtonX = 403;

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

// A tab page whose "Legal" button keeps to its bottom right corner.
class TabPage : public QWidget {
    Q_OBJECT
public:
    explicit TabPage(const PageDef& def);
    const PageDef& def() const { return def_; }

signals:
    void legalClicked();

protected:
    void addLegalButton();  // last, so that the Tab key reaches it after the page's controls
    void resizeEvent(QResizeEvent* event) override;

private:
    const PageDef& def_;
    QToolButton* legal_ = nullptr;
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
// settings). Each row it builds is stored in `rows` under its setting.
class SettingsPage : public TabPage {
    Q_OBJECT
public:
    SettingsPage(const PageDef& def, std::array<SettingRow, kSettingCount>& rows);

    QListWidget* typeList() const { return typeList_; }          // effect pages
    QWidget* b3ControlsPanel() const { return b3ControlsPanel_; }  // the Drive page's B3 panel

private:
    void buildEffectPage(std::array<SettingRow, kSettingCount>& rows);
    void buildMiscPage(std::array<SettingRow, kSettingCount>& rows);

    QListWidget* typeList_ = nullptr;
    QWidget* b3ControlsPanel_ = nullptr;
};

// Tick or untick every entry of an effect-type check list.
void checkAll(QListWidget* list);
void checkNone(QListWidget* list);

// A flat, blue-lettered button as the pages use them.
QToolButton* flatButton(const QString& text, const char* name, QWidget* parent);

}  // namespace pf::app
