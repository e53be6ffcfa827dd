// The Load command in the window: tabs, caption, prompt, model code, unticking, lists rebuilt
// from the bundled catalogue, model-bound controls.
#include <QMenu>
#include <sys/stat.h>
#include <unistd.h>

#include "AppTestSupport.h"
#include "support/SavedBytes.h"

namespace pf::test {
namespace {

using Load = WindowTest;

// One window loads a file of another kind first (a capital-letter extension: no model code,
// no catalogue section without a model, so empty lists; model-bound controls left as they
// are), then G5, G3X, B3, another kind again (the B3 model stays) and G5 again. Before each
// load every box is ticked and values are changed.
TEST_F(Load, EachFileShowsItsModelsPagesListsAndControls) {
    TempDir dir;
    writeFile(dir / "LOUD.G5A", exampleBytes("evening-set.g5a"));
    writeFile(dir / "old.g3a", exampleBytes("rehearsal.g3xa"));
    // A few lists as the catalogue file writes them, by model.
    const QStringList g5Amps{" Clean Glass", " Tweed Lux", " Brit Crunch", " Plexi Stack", " Modern Lead", " Boutique Blues",
                             " Stack Roar", " Hi-Gain Fury", " Jazz Box", " Vintage Combo"};
    const QStringList g3xAmps{" Clean Glass", " Tweed Lux", " Brit Crunch", " Plexi Stack", " Modern Lead", " Stack Roar", " Hi-Gain Fury"};
    const QStringList b3Amps{" Deep Tube", " Studio DI", " Flip Top", " Growl 400", " Iron Ten", " Sub Thunder"};
    using Lists = std::vector<std::pair<const char*, QStringList>>;
    const Lists none{{"cboB3ampmidf", {}}, {"cbopatchfootswitch", {}}, {"cbopatchexppedal", {}}};
    const Lists g5{{"cbopatchfootswitch", {"Bypass", "Tap Tempo", "Delay Hold", "Bank Up", "Bank Down"}}};
    const Lists g3x{{"cbopatchfootswitch", {"Bypass", "Tap Tempo", "Delay Hold"}},
                    {"cbopatchexppedal", {"Off", "Input-Volume", "Output-Volume", "Wah", "Pitch Bend"}}};
    const Lists b3{{"cboB3ampmidf", {"250Hz", "500Hz", "800Hz", "1.6kHz", "3kHz"}},
                   {"cboB3ampcab", {" ORGN  ORGN", " Deep Tube  DT15", " Studio DI  DI00", " Flip Top  FT15", " Growl 400  GR10",
                                    " Iron Ten  IT10", " Sub Thunder  ST18", " 4x10  4X10", " 8x10  8X10", " Remove  NONE"}}};
    const struct { QString path; const char* model; const char* ampPage; bool pedal, b3; Lists lists; QStringList ampTypes; } kLoads[] = {
        {qpath(dir / "LOUD.G5A"), "", "amp", true, true, none, {}}, {exampleFile("evening-set.g5a"), "g5", "amp", false, false, g5, g5Amps},
        {exampleFile("rehearsal.g3xa"), "g3x", "amp", true, false, g3x, g3xAmps}, {exampleFile("low-end.b3a"), "b3", "ampB3", true, true, b3, b3Amps},
        {qpath(dir / "old.g3a"), "b3", "ampB3", true, true, b3, b3Amps}, {exampleFile("evening-set.g5a"), "g5", "amp", false, false, g5, g5Amps}};
    for (const auto& e : kLoads) {
        SCOPED_TRACE(e.path.toStdString());
        for (const SettingDef& def : settings()) tick(pf::app::checkBoxName(def.id));
        find<QSpinBox>("spinreverbshape")->setValue(-7);
        if (QListWidgetItem* item = find<QListWidget>("checklistdrive")->item(0)) item->setCheckState(Qt::Unchecked);
        find<QComboBox>("cbodrivedrive")->setCurrentIndex(1);
        find<QComboBox>("cbomiscdetect")->setCurrentIndex(1);
        load(e.path);

        EXPECT_TRUE(desktop.boxes.isEmpty());
        EXPECT_EQ(window->windowTitle(), caption(QFileInfo(e.path).fileName()));
        EXPECT_EQ(prompt(), QStringLiteral("Adjust settings and then click PROCESS."));
        EXPECT_TRUE(find("butprocess")->isEnabled());
        EXPECT_EQ(window->modelCode(), e.model);
        EXPECT_EQ(savedBytes(window->document()), readFile(e.path.toStdString()));
        EXPECT_EQ(visibleTabs(tabs()), (QStringList{"splash", e.ampPage, "drive", "reverb", "misc"}));
        EXPECT_EQ(tabs()->currentWidget()->objectName(), QLatin1String(e.ampPage));
        for (const char* name : {"ckpatchexppedal", "cbopatchexppedal"}) EXPECT_EQ(!find(name)->isHidden(), e.pedal) << name;
        for (const char* name : {"panb3drivespec", "ckb3drivebalance", "spinb3drivebalance", "ckb3miscbalance", "spinb3miscbalance"})
            EXPECT_EQ(!find(name)->isHidden(), e.b3) << name;
        for (const SettingDef& def : settings()) {
            EXPECT_FALSE(find<QCheckBox>(pf::app::checkBoxName(def.id))->isChecked()) << static_cast<int>(def.id);
            EXPECT_FALSE(find(pf::app::valueControlName(def.id))->isEnabled()) << static_cast<int>(def.id);
        }
        EXPECT_EQ(find<QSpinBox>("spinreverbshape")->value(), -7) << "spin values are kept";

        // Lists from the model's sections of the bundled catalogue, every check-list entry
        // ticked ("Remove" left out), the first item of each drop-down selected.
        const char* const kLists[] = {"checklistamp", "checklistB3amp", "checklistdrive", "CheckListreverb"};
        for (const char* name : kLists) {
            auto* list = find<QListWidget>(name);
            EXPECT_EQ(list->count() == 0, !*e.model) << name;
            for (int i = 0; i < list->count(); ++i) EXPECT_EQ(list->item(i)->checkState(), Qt::Checked) << name;
        }
        for (const auto& [name, items] : e.lists) EXPECT_EQ(itemsOf(find<QComboBox>(name)), items) << name;
        if (*e.model) EXPECT_EQ(itemsOf(find<QListWidget>("checklistamp")), e.ampTypes);
        for (const char* name : {"cboampamp", "cboB3ampamp", "cboampcab", "cbodrivedrive", "cboreverbreverb", "cbopatchfootswitch"})
            EXPECT_EQ(find<QComboBox>(name)->currentIndex(), *e.model ? 0 : -1) << name;
        for (const char* name : {"cboamppower", "cboB3amppower", "cbodrivepower", "cboreverbpower", "cbomiscpower",
                                 "cbomiscdetect", "cbob3drivemode"})
            EXPECT_EQ(find<QComboBox>(name)->currentIndex(), 0) << name;
    }
}

// The user's place across runs: a new window's Load and Save dialogs open in the folders last
// used, and its Recent files menu lists the last loaded files, newest first, each once, at
// most five; choosing one loads it. A plain click on Load still asks for a file.
TEST_F(Load, FoldersAndRecentFilesAreRememberedAcrossRuns) {
    TempDir dir;
    EXPECT_FALSE(find<QToolButton>("butrecent")->isEnabled()) << "nothing loaded yet";
    EXPECT_EQ(desktop.requests.size(), 0);
    // set0 to set5, then set2 again: once, first, so that set1 is still among the five and
    // set0 is not.
    for (int i : {0, 1, 2, 3, 4, 5, 2}) {
        const auto copy = dir / ("set" + std::to_string(i) + ".g5a");
        writeFile(copy, exampleBytes("evening-set.g5a"));
        load(qpath(copy));
    }
    auto set = [&](int i) { return qpath(dir / ("set" + std::to_string(i) + ".g5a")); };
    auto recentMenu = [this] {
        QStringList shown;
        for (const QAction* a : window->findChild<QMenu*>("recentmenu")->actions()) shown << a->text();
        return shown;
    };
    EXPECT_EQ(recentMenu(), (QStringList{"&1  " + set(2), "&2  " + set(5), "&3  " + set(4), "&4  " + set(3), "&5  " + set(1)}));
    ASSERT_TRUE(window->applyRecipe(QStringLiteral(PF_SOURCE_DIR "/examples/gig-ready.recipe.ini")));
    process(qpath(dir / "out.g5a"));
    ASSERT_TRUE(std::filesystem::exists(dir / "out.g5a"));

    window = std::make_unique<pf::app::TPresetforger_Form>(desktop);  // the next run
    window->show();
    desktop.requests.clear();
    load({});
    EXPECT_EQ(desktop.requests.at(0).directory, qpath(dir.path())) << "the last Load folder";
    load(exampleFile("low-end.b3a"));
    ASSERT_TRUE(window->applyRecipe(QStringLiteral(PF_SOURCE_DIR "/examples/gig-ready.recipe.ini")));
    process({});
    EXPECT_EQ(desktop.requests.at(2).directory, qpath(dir.path())) << "the last Save folder";

    EXPECT_EQ(recentMenu(), (QStringList{"&1  " + exampleFile("low-end.b3a"), "&2  " + set(2), "&3  " + set(5), "&4  " + set(4),
                                  "&5  " + set(3)}));
    EXPECT_TRUE(find<QToolButton>("butrecent")->isEnabled());
    window->findChild<QMenu*>("recentmenu")->actions().at(1)->trigger();
    EXPECT_EQ(window->windowTitle(), caption("set2.g5a"));
    EXPECT_EQ(desktop.requests.size(), 3) << "no dialog for a recent file";
}

// The settings file's path, its folder made.
std::string settingsPath() {
    const std::string path = settingsFile().toStdString();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return path;
}

// Ends the test program, failed, should the scope take longer than `seconds`: a window that
// hangs fails the run instead of holding it up.
struct Deadline {
    explicit Deadline(unsigned seconds) { ::alarm(seconds); }
    ~Deadline() { ::alarm(0); }
};

QStringList recentMenu(const pf::app::TPresetforger_Form& window) {
    QStringList shown;
    for (const QAction* a : window.findChild<QMenu*>("recentmenu")->actions()) shown << a->text();
    return shown;
}

// A named pipe where the settings file belongs would keep the window from ever showing: it is
// moved aside, said so, and the window starts as on a first run and remembers anew.
TEST_F(Load, ASettingsFileThatIsNoFileIsMovedAsideAndTheWindowStarts) {
    const std::string path = settingsPath();
    std::filesystem::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    testing::internal::CaptureStderr();
    {
        Deadline deadline(10);
        window = std::make_unique<pf::app::TPresetforger_Form>(desktop);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "presetforger: settings file " + path + " is not a regular file; moved aside to " + path + ".not-a-file\n");
    struct stat st {};
    EXPECT_TRUE(::lstat((path + ".not-a-file").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    std::filesystem::remove(path + ".not-a-file");
    EXPECT_TRUE(recentMenu(*window).isEmpty());
    load(exampleFile("low-end.b3a"));
    EXPECT_EQ(recentMenu(*window), QStringList{"&1  " + exampleFile("low-end.b3a")});
    EXPECT_TRUE(::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode));
}

// However long a kept list of recent files, the window takes only the newest five (a menu entry
// for each of 200,000 once held the start up for half a minute), and the next load writes five
// back.
TEST_F(Load, AHugeRecentListCostsTheStartLittleAndTheMenuShowsFive) {
    const std::string path = settingsPath();
    std::string recent = "[load]\nrecent=";
    for (int i = 0; i < 20000; ++i) recent += "/sets/" + std::to_string(i) + ".g5a, ";
    writeFile(path, recent + "/sets/last.g5a\n");
    window = std::make_unique<pf::app::TPresetforger_Form>(desktop);
    window->show();
    EXPECT_EQ(recentMenu(*window), (QStringList{"&1  /sets/0.g5a", "&2  /sets/1.g5a", "&3  /sets/2.g5a", "&4  /sets/3.g5a", "&5  /sets/4.g5a"}));
    load(exampleFile("low-end.b3a"));
    EXPECT_EQ(recentMenu(*window), (QStringList{"&1  " + exampleFile("low-end.b3a"), "&2  /sets/0.g5a", "&3  /sets/1.g5a", "&4  /sets/2.g5a", "&5  /sets/3.g5a"}));
    EXPECT_LT(std::filesystem::file_size(path), 1000u);
}

}  // namespace
}  // namespace pf::test
