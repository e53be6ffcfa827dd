// The Load command in the window: tabs, caption, prompt, model code, unticking, lists rebuilt
// from the bundled catalogue, model-bound controls.
#include <QMenu>
#include <sys/stat.h>
#include <unistd.h>

#include "AppTestSupport.h"

namespace pf::test {
namespace {

using Load = WindowTest;

QStringList texts(const std::vector<std::string>& items) {
    QStringList out;
    for (const std::string& s : items) out << QString::fromStdString(s);
    return out;
}

// One window loads a file of another kind first (a capital-letter extension: no model code,
// no catalogue section without a model, so empty lists; model-bound controls left as they
// are), then G5, G3X, B3, another kind again (the B3 model stays) and G5 again. Before each
// load every box is ticked and values are changed.
TEST_F(Load, EachFileShowsItsModelsPagesListsAndControls) {
    TempDir dir;
    writeFile(dir / "LOUD.G5A", exampleBytes("evening-set.g5a"));
    writeFile(dir / "old.g3a", exampleBytes("rehearsal.g3xa"));
    const struct { QString path; const char* model; const char* ampPage; bool pedal, b3; } kLoads[] = {
        {qpath(dir / "LOUD.G5A"), "", "amp", true, true}, {exampleFile("evening-set.g5a"), "g5", "amp", false, false},
        {exampleFile("rehearsal.g3xa"), "g3x", "amp", true, false}, {exampleFile("low-end.b3a"), "b3", "ampB3", true, true},
        {qpath(dir / "old.g3a"), "b3", "ampB3", true, true}, {exampleFile("evening-set.g5a"), "g5", "amp", false, false}};
    const pf::Catalogue catalogue = bundledCatalogue();
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
        EXPECT_EQ(window->document().toBytes(), readFile(e.path.toStdString()));
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

        // Lists from the model's sections, each name once, every check-list entry ticked, first items selected.
        const pf::CatalogueLists lists = pf::CatalogueLists::read(catalogue, e.model);
        EXPECT_EQ(lists.typeEntries(TypeList::Amp).empty(), !*e.model);
        const char* const kNames[] = {"checklistamp", "checklistB3amp", "checklistdrive", "CheckListreverb"};
        for (int l = 0; l < 4; ++l) {
            auto* list = find<QListWidget>(kNames[l]);
            EXPECT_EQ(itemsOf(list), texts(lists.typeEntries(static_cast<TypeList>(l)))) << kNames[l];
            for (int i = 0; i < list->count(); ++i) EXPECT_EQ(list->item(i)->checkState(), Qt::Checked) << kNames[l];
        }
        const struct { const char* name; std::string_view section; } kDropDowns[] = {
            {"cboampamp", "-amp"}, {"cboB3ampamp", "-amp"}, {"cboB3ampmidf", "-midf"}, {"cboampcab", "-cab"},
            {"cboB3ampcab", "-cab"}, {"cbodrivedrive", "-drive"}, {"cboreverbreverb", "-reverb"},
            {"cbopatchfootswitch", "-footswitch"}, {"cbopatchexppedal", "-exppedal"}};
        for (const auto& d : kDropDowns) {
            std::vector<std::string> items;
            for (const pf::ListItem& i : lists.items(d.section)) items.push_back(i.text);
            EXPECT_EQ(itemsOf(find<QComboBox>(d.name)), texts(items)) << d.name;
            EXPECT_EQ(find<QComboBox>(d.name)->currentIndex(), items.empty() ? -1 : 0) << d.name;
        }
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
    QStringList loaded;
    for (int i = 0; i < 7; ++i) {
        const auto copy = dir / ("set" + std::to_string(i % 6) + ".g5a");
        writeFile(copy, exampleBytes("evening-set.g5a"));
        load(qpath(copy));
        loaded.prepend(qpath(copy));
    }
    loaded.removeLast();  // set0 was loaded again last: once, first
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

    QStringList shown;
    for (const QAction* a : window->findChild<QMenu*>("recentmenu")->actions()) shown << a->text();
    const QStringList expected = {"&1  " + exampleFile("low-end.b3a"), "&2  " + loaded[0], "&3  " + loaded[1],
                                  "&4  " + loaded[2], "&5  " + loaded[3]};
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(find<QToolButton>("butrecent")->isEnabled());
    window->findChild<QMenu*>("recentmenu")->actions().at(1)->trigger();
    EXPECT_EQ(window->windowTitle(), caption("set0.g5a"));
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

// A list of 200,000 recent files costs the start next to nothing: the menu shows the newest
// five, and the next load writes five back.
TEST_F(Load, AHugeRecentListCostsTheStartLittleAndTheMenuShowsFive) {
    const std::string path = settingsPath();
    std::string recent = "[load]\nrecent=";
    for (int i = 0; i < 200000; ++i) recent += "/sets/" + std::to_string(i) + ".g5a, ";
    writeFile(path, recent + "/sets/last.g5a\n");
    {
        Deadline deadline(10);
        window = std::make_unique<pf::app::TPresetforger_Form>(desktop);
        window->show();
        EXPECT_EQ(recentMenu(*window), (QStringList{"&1  /sets/0.g5a", "&2  /sets/1.g5a", "&3  /sets/2.g5a", "&4  /sets/3.g5a", "&5  /sets/4.g5a"}));
        load(exampleFile("low-end.b3a"));
    }
    EXPECT_EQ(recentMenu(*window), (QStringList{"&1  " + exampleFile("low-end.b3a"), "&2  /sets/0.g5a", "&3  /sets/1.g5a", "&4  /sets/2.g5a", "&5  /sets/3.g5a"}));
    EXPECT_LT(std::filesystem::file_size(path), 1000u);
}

}  // namespace
}  // namespace pf::test
