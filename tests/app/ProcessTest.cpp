// The Process command in the window: the snapshot it hands the engine, ASCII digits in every
// locale, and the same bytes as the batch tool for the same choices.
#include <QProcess>

#include "AppTestSupport.h"
#include "app/Pages.h"
#include "recipe/Recipe.h"

namespace pf::test {
namespace {

using Process = WindowTest;

// What Process reads beyond what reaches the file in
// Recipes.TheWindowSavesTheBytesTheBatchToolWritesFromItsSavedRecipe: no selection before a load; a spin text still being typed is brought into range first, and an
// empty text is the minimum.
TEST_F(Process, TheSnapshotHasNoSelectionBeforeALoadAndReadsTypedTextsInRange) {
    tick("ckamppower");
    EXPECT_EQ(window->choices()[SettingId::AmpPower].text, "") << "before any load: no selection, empty text";
    load(exampleFile("low-end.b3a"));
    tick("ckB3ampbass");
    auto* spin = find<QSpinBox>("spinB3ampbass");
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("99"));
    EXPECT_EQ(spin->text(), QStringLiteral("99")) << "typing may leave the range for now";
    EXPECT_EQ(window->choices()[SettingId::B3AmpBass].number, 10);
    EXPECT_EQ(spin->text(), QStringLiteral("10"));
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    EXPECT_EQ(window->choices()[SettingId::B3AmpBass].number, -10);
}

// Makes `locale` the default of every widget created while it lives, as a user's locale does.
struct DefaultLocale {
    explicit DefaultLocale(const char* name) { QLocale::setDefault(QLocale(QLatin1String(name))); }
    ~DefaultLocale() { QLocale::setDefault(saved); }
    QLocale saved;
};

TEST_F(Process, SpinEditsShowReadAndWriteAsciiDigitsWhateverTheLocale) {
    TempDir dir;
    std::string inC;
    // Local digits, a minus sign with a direction mark, group separators: none may reach a file.
    for (const char* name : {"C", "ar_EG", "fa_IR", "bn_BD", "hi_IN", "he_IL", "de_DE"}) {
        SCOPED_TRACE(name);
        DefaultLocale locale(name);
        SetUp();
        load(exampleFile("low-end.b3a"));
        for (const char* box : {"ckB3ampgain", "ckB3ampbass", "ckreverbpred"}) tick(box);
        auto* gain = find<QSpinBox>("spinB3ampgain");
        gain->setFocus();
        gain->selectAll();
        QTest::keyClicks(gain, QStringLiteral("60"));
        find<QSpinBox>("spinB3ampbass")->setValue(-4);
        find<QSpinBox>("spinreverbpred")->setValue(150);
        const pf::Choices c = window->choices();
        EXPECT_EQ(QList<int>({c[SettingId::B3AmpGain].number, c[SettingId::B3AmpBass].number, c[SettingId::ReverbPreD].number}),
                  QList<int>({60, -4, 150}));
        EXPECT_EQ(QStringList({gain->text(), find<QSpinBox>("spinB3ampbass")->text(), find<QSpinBox>("spinreverbpred")->text()}),
                  QStringList({"60", "-4", "150"}));
        process(qpath(dir / (std::string(name) + ".b3a")));
        const std::string written = readFile(dir / (std::string(name) + ".b3a"));
        if (inC.empty()) inC = written;
        EXPECT_EQ(written, inC) << "the same bytes as under the C locale";
    }
    EXPECT_NE(inC, exampleBytes("low-end.b3a"));
}

// Setting types in the window for each model family, beside the example recipes.
// Names in any letter case pick the catalogue's item.
const char* const kGuitarTypes = "[Amp]\nPower = OFF\nAmp = tweed lux\nCab = CLOSED4X12\n[Drive]\nPower = OFF\n"
                                 "Drive = Grit Box\n[Reverb]\nPower = OFF\nReverb = air\nSize = 5\n[ZNR]\nPower = OFF\n";
const char* const kBassTypes = "[B3 Amp]\nPower = OFF\nAmp = flip top\nCab = orgn\n[Drive]\nDrive = Bass Muff\n"
                               "Mode = NORM\n[Reverb]\nReverb = HD Reverb\nHPF = 9\n[ZNR]\nDetect = GtrIn\n";

// What a user does in the window to make a recipe's choices: each key the model offers ticks
// its box and sets its value control; Only leaves just the named entries of a list ticked.
class Recipes : public WindowTest {
protected:
    void choose(const pf::Recipe& recipe) {
        const pf::DeviceModel& model = pf::deviceModel(window->modelCode());
        const pf::CatalogueLists lists = pf::CatalogueLists::read(bundledCatalogue(), model.code);
        for (const pf::RecipeValue& v : recipe.values) {
            if (!offeredFor(v.id, model)) continue;
            tick(pf::app::checkBoxName(v.id));
            const SettingDef& def = setting(v.id);
            const QString control = pf::app::valueControlName(v.id);
            if (def.kind == ValueKind::Spin) {
                find<QSpinBox>(control)->setValue(v.number);
            } else if (def.kind == ValueKind::FixedList) {
                find<QComboBox>(control)->setCurrentText(QString::fromStdString(v.text));
            } else {
                const auto& items = lists.items(def.catalogueSuffix);
                const auto item = std::ranges::find_if(items, [&](const pf::ListItem& i) { return pf::equalsNoCase(i.name, v.text); });
                ASSERT_NE(item, items.end()) << v.text;
                find<QComboBox>(control)->setCurrentIndex(static_cast<int>(item - items.begin()));
            }
        }
        for (const pf::app::PageDef& page : pf::app::pageDefs()) {
            if (!page.typeList || !recipe.only[static_cast<size_t>(*page.typeList)]) continue;
            const auto& names = *recipe.only[static_cast<size_t>(*page.typeList)];
            auto* list = find<QListWidget>(page.listName);
            for (int i = 0; i < list->count(); ++i) {
                const bool named = std::ranges::count(names, list->item(i)->text().trimmed().toStdString()) > 0;
                list->item(i)->setCheckState(named ? Qt::Checked : Qt::Unchecked);
            }
        }
    }
};

// Every example with every example recipe (and the type recipes, once with the first type of
// every list unticked), made by hand in the window: Process saves the bytes the batch tool writes
// from the recipe the window saves for those choices, or neither writes a file, and so does a
// fresh window the saved recipe is applied to. The save dialog offers the model's filter.
TEST_F(Recipes, TheWindowSavesTheBytesTheBatchToolWritesFromItsSavedRecipe) {
    const struct { const char* file; const char* filter; const char* types; } kExamples[] = {
        {"evening-set.g5a", "G5 Patch Groups (*.g5a)", kGuitarTypes},
        {"rehearsal.g3xa", "G3v2 Patch Groups (*.g3xa)", kGuitarTypes},
        {"low-end.b3a", "B3 Patch Groups (*.b3a)", kBassTypes}};
    TempDir dir;
    std::vector<std::string> examples;
    for (const auto& e : kExamples) examples.push_back(exampleBytes(e.file));
    size_t written = 0;
    for (const auto& e : kExamples) {
        for (const std::string name : {"amp", "b3-amp", "drive", "reverb", "znr", "patch", "gig-ready", "types", "types-firsts"}) {
            SCOPED_TRACE(std::string(e.file) + " " + name);
            const std::string source = name.starts_with("types") ? std::string(e.types)
                                       : readFile(std::filesystem::path(PF_SOURCE_DIR "/examples") / (name + ".recipe.ini"));
            const std::string suffix = std::filesystem::path(e.file).extension().string();
            const auto recipe = dir / (name + ".recipe.ini");
            const auto byWindow = dir / ("window-" + name + suffix), byBatch = dir / ("batch-" + name + suffix);
            const auto byApplied = dir / ("applied-" + name + suffix);

            SetUp();
            EXPECT_FALSE(find<QToolButton>("butsaverecipe")->isEnabled());
            EXPECT_FALSE(find<QToolButton>("butapplyrecipe")->isEnabled());
            load(exampleFile(e.file));
            const pf::RecipeResult parsed = pf::parseRecipe(source);
            ASSERT_TRUE(parsed.ok());
            choose(parsed.recipe);
            if (name == "types-firsts")
                for (const pf::app::PageDef& page : pf::app::pageDefs())
                    if (page.typeList) find<QListWidget>(page.listName)->item(0)->setCheckState(Qt::Unchecked);
            desktop.answers = {qpath(recipe)};
            find<QToolButton>("butsaverecipe")->click();
            ASSERT_TRUE(desktop.boxes.isEmpty()) << desktop.boxes.value(0).text.toStdString();
            desktop.requests.clear();
            process(qpath(byWindow));

            QProcess batch;
            batch.start(QStringLiteral(PF_BUILD_DIR "/presetforger-cli"),
                        {"--recipe", qpath(recipe), "-o", qpath(byBatch), exampleFile(e.file)});
            ASSERT_TRUE(batch.waitForFinished(30000));
            ASSERT_EQ(std::filesystem::exists(byWindow), std::filesystem::exists(byBatch)) << batch.readAllStandardError().toStdString();
            if (!std::filesystem::exists(byWindow)) {
                EXPECT_EQ(desktop.boxes.value(0).text, QStringLiteral("There are no changes to save."));
            } else {
                ++written;
                EXPECT_EQ(readFile(byWindow), readFile(byBatch));
                EXPECT_NE(readFile(byWindow), exampleBytes(e.file));
                EXPECT_EQ(window->windowTitle(), caption(QString::fromStdString(byWindow.filename().string())));
                const pf::app::FileDialogRequest& save = desktop.requests.at(0);
                EXPECT_TRUE(save.save);
                EXPECT_EQ(save.nameFilters, (QStringList{"G5 Patch Groups (*.g5a)", "G3v2 Patch Groups (*.g3xa)", "B3 Patch Groups (*.b3a)"}));
                EXPECT_EQ(save.selectedFilter, QLatin1String(e.filter));
                EXPECT_EQ(save.defaultSuffix, QString::fromStdString(suffix.substr(1)));
                EXPECT_TRUE(save.selectedFile.isEmpty()) << "an empty name box";
                EXPECT_EQ(save.directory, QStringLiteral(PF_SOURCE_DIR "/examples"));
            }

            // The saved recipe applied in a fresh window: Process there saves the same bytes.
            SetUp();
            load(exampleFile(e.file));
            desktop.answers = {qpath(recipe)};
            find<QToolButton>("butapplyrecipe")->click();
            process(qpath(byApplied));
            ASSERT_EQ(std::filesystem::exists(byApplied), std::filesystem::exists(byBatch));
            if (std::filesystem::exists(byApplied)) EXPECT_EQ(readFile(byApplied), readFile(byBatch));
        }
    }
    EXPECT_GE(written, 21u);
    EXPECT_EQ(entryCount(dir.path()), 3 * written + 9) << "recipes and results only, no temporary file";
    for (size_t i = 0; i < std::size(kExamples); ++i)
        EXPECT_EQ(exampleBytes(kExamples[i].file), examples[i]) << "the loaded file is never written";
}

// A recipe the batch tool refuses changes nothing in the window, and the box names the line
// or the key at fault.
TEST_F(Recipes, ARecipeWithAnErrorChangesNothing) {
    TempDir dir;
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    find<QListWidget>("checklistamp")->item(1)->setCheckState(Qt::Unchecked);
    const auto before = dir / "before.recipe.ini", after = dir / "after.recipe.ini";
    desktop.answers = {qpath(before)};
    find<QToolButton>("butsaverecipe")->click();
    const struct { const char* recipe; const char* named; } kCases[] = {
        {"[Drive]\nLevel = 70\nPower\n", "line 3: not a key=value line: Power"},
        {"[Amp]\nGain = 60\nAmp = No Such Amp\n", "[Amp] Amp: \"No Such Amp\" is not in catalogue section [G5-amp]"}};
    for (const auto& c : kCases) {
        writeFile(dir / "bad.recipe.ini", c.recipe);
        desktop.boxes.clear();
        desktop.answers = {qpath(dir / "bad.recipe.ini"), qpath(after)};
        find<QToolButton>("butapplyrecipe")->click();
        ASSERT_EQ(desktop.boxes.size(), 1);
        EXPECT_EQ(desktop.boxes[0].kind, "error");
        EXPECT_TRUE(desktop.boxes[0].text.contains(QLatin1String(c.named), Qt::CaseInsensitive)) << desktop.boxes[0].text.toStdString();
        find<QToolButton>("butsaverecipe")->click();
        EXPECT_EQ(readFile(after), readFile(before));
    }
}

}  // namespace
}  // namespace pf::test
