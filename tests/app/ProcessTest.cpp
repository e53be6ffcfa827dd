// The Process command in the window: the snapshot it hands the engine, ASCII digits in every
// locale, and the same bytes as the batch tool for the same choices.
#include <QProcess>

#include "AppTestSupport.h"
#include <QLineEdit>

#include "app/Pages.h"
#include "app/Widgets.h"
#include "engine/Rules.h"
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

// Every form of rule on every kind of setting, with Patches, for each model family.
const char* const kGuitarRules =
    "[Amp]\nPower = OFF if ON\nAmp = Plexi Stack if Clean Glass, brit crunch\nGain = add 7\nTube = scale 80% if 0..90\n"
    "Level = limit 40..70\nTRBL = 55 if 0..50\nMID = add -3 if 40..60\nCab = Closed4x12 if OpenBack\nPatches = *e*\n"
    "[Drive]\nDrive = Grit Box if Amber Drive\nLevel = add -10 if 50..150\nTone = scale 120%\n"
    "[Reverb]\nReverb = Hall if Room, Spring\nPreD = scale 150%\nShape = limit -5..5\nDecay = add -20 if 0..60\n"
    "[ZNR]\nTHRSH = add 3\nDetect = EfxIn if GtrIn\nLevel = limit 80..120\n"
    "[Patch]\nPatch Level = limit 50..90\nCTRL SW = Tap Tempo if Bypass\nCTRL PDL = Wah if Off\nPatches = ?l*\nPatches = *a*\n";
const char* const kBassRules =
    "[B3 Amp]\nPower = ON if OFF\nAmp = Flip Top if Deep Tube, Studio DI\nGain = scale 110% if 20..100\nBass = add 3\n"
    "Mid = limit -2..2\nMid-F = 800Hz if 250Hz, 500Hz\nTrebl = -4 if -10..0\nCab = 4x10 if ORGN\nMix = add -15\n"
    "[Drive]\nDrive = Bass Fuzz if Booster\nBalance = limit 20..80\nBass = add -2 if -10..5\nMode = BsBST if NORM\n"
    "[Reverb]\nReverb = Room if Hall\nMix = add 10\nPatches = *u*\n"
    "[ZNR]\nTHRSH = scale 50%\nPower = OFF if ON\n"
    "[Patch]\nBalance = add 10\nCTRL PDL = Filter Sweep if Off\nCTRL SW = Tuner if Bypass, Tap Tempo\n";

// What a user does in the window to make a recipe's choices: each key the model offers ticks
// its box and sets its value control, a rule is typed into the row's rule box; Only leaves
// just the named entries of a list ticked; Patches fill their section's field.
class Recipes : public WindowTest {
protected:
    // The row's rule button opened from the keyboard, `text` typed and Enter pressed.
    void typeRule(SettingId id, const QString& text) {
        auto* rule = find<QToolButton>(QStringLiteral("rule") + pf::app::qs(pf::app::lookOf(id).stem));
        rule->setFocus();
        QTest::keyClick(rule, Qt::Key_Space);
        auto* field = find<QLineEdit>("ruletext");
        ASSERT_TRUE(field && field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
    }

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
            if (!v.rule.plain())
                typeRule(v.id, QString::fromStdString(pf::ruleForm(v.rule, def.kind == ValueKind::Spin ? std::to_string(v.number) : v.text,
                                                                   v.rule.whenItems)));
        }
        for (size_t i = 0; i < kSectionCount; ++i) {
            QStringList patterns;
            for (const std::string& p : recipe.patches[i]) patterns << QString::fromStdString(p);
            find<QLineEdit>(pf::app::patchesFieldName(i))->setText(patterns.join(u','));
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
// every list unticked, and every form of rule), made by hand in the window: Process saves the bytes the batch tool writes
// from the recipe the window saves for those choices, or neither writes a file, and so does a
// fresh window the saved recipe is applied to. The save dialog offers the model's filter.
TEST_F(Recipes, TheWindowSavesTheBytesTheBatchToolWritesFromItsSavedRecipe) {
    const struct { const char* file; const char* filter; const char* types; const char* rules; } kExamples[] = {
        {"evening-set.g5a", "G5 Patch Groups (*.g5a)", kGuitarTypes, kGuitarRules},
        {"rehearsal.g3xa", "G3v2 Patch Groups (*.g3xa)", kGuitarTypes, kGuitarRules},
        {"low-end.b3a", "B3 Patch Groups (*.b3a)", kBassTypes, kBassRules}};
    TempDir dir;
    std::vector<std::string> examples;
    for (const auto& e : kExamples) examples.push_back(exampleBytes(e.file));
    size_t written = 0;
    for (const auto& e : kExamples) {
        for (const std::string name : {"amp", "b3-amp", "drive", "reverb", "znr", "patch", "gig-ready", "rules", "types",
                                       "types-firsts", "every-rule"}) {
            SCOPED_TRACE(std::string(e.file) + " " + name);
            const std::string source = name.starts_with("types") ? std::string(e.types)
                                       : name == "every-rule"   ? std::string(e.rules)
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
    EXPECT_EQ(entryCount(dir.path()), 3 * written + 11) << "recipes and results only, no temporary file";
    for (size_t i = 0; i < std::size(kExamples); ++i)
        EXPECT_EQ(exampleBytes(kExamples[i].file), examples[i]) << "the loaded file is never written";
}

// A recipe's rules and patterns applied in the window show on their rows and fields, and the
// recipe saved from the window says them in the same forms; a load takes them back to plain
// values and every patch.
TEST_F(Recipes, RulesAndPatternsAppliedAreSavedBackInTheirForms) {
    TempDir dir;
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    find<QSpinBox>("spinampgain")->setValue(42);
    desktop.answers = {exampleFile("rules.recipe.ini")};
    find<QToolButton>("butapplyrecipe")->click();
    ASSERT_TRUE(desktop.boxes.isEmpty()) << desktop.boxes.value(0).text.toStdString();
    EXPECT_EQ(find<QSpinBox>("spinampgain")->value(), 42) << "a limit sets no value";
    const QStringList marks{find<QToolButton>("ruleampgain")->text(), find<QToolButton>("ruleamplevel")->text(),
                            find<QToolButton>("rulereverbmix")->text(), find<QToolButton>("rulemiscthrsh")->text(),
                            find<QToolButton>("rulereverbreverb")->text(), find<QToolButton>("ruleamptube")->text()};
    EXPECT_EQ(marks, QStringList({QStringLiteral("\u2195"), "+", "%", "?", "?", "="}));
    EXPECT_EQ(find<QToolButton>("ruleamplevel")->toolTip(), QStringLiteral("add -5 if 81..150"));
    EXPECT_EQ(find<QLineEdit>("editpatchpatches")->text(), QStringLiteral("s*, *night"));
    const auto saved = dir / "saved.recipe.ini";
    desktop.answers = {qpath(saved)};
    find<QToolButton>("butsaverecipe")->click();
    EXPECT_EQ(readFile(saved), "[Amp]\nGain = limit 30..60\nLevel = add -5 if 81..150\n\n"
                               "[Reverb]\nReverb = Hall if Room\nMix = scale 80%\n\n"
                               "[ZNR]\nTHRSH = 10 if 1..5\n\n"
                               "[Patch]\nPatch Level = scale 90%\nPatches = s*\nPatches = *night\n");
    load(exampleFile("evening-set.g5a"));
    const pf::Choices after = window->choices();
    EXPECT_TRUE(std::ranges::all_of(after.settings, [](const SettingChoice& c) { return c.rule.plain(); }));
    EXPECT_TRUE(std::ranges::all_of(after.patches, [](const auto& p) { return p.empty(); }));
    EXPECT_EQ(find<QToolButton>("ruleampgain")->text(), QStringLiteral("="));
}

// The rule box from the keyboard: Tab reaches a ticked row's rule button after its value
// control, Space opens the box with the value as a recipe says it, Enter takes a rule the
// recipe's reader reads and refuses one it does not, saying why, Esc leaves all as it was. An
// empty text is the value shown again. The button is enabled exactly while its box is ticked.
TEST_F(Recipes, ARuleIsTypedFromTheKeyboard) {
    load(exampleFile("low-end.b3a"));
    auto* rule = find<QToolButton>("ruleB3ampbass");
    EXPECT_FALSE(rule->isEnabled());
    tick("ckB3ampbass");
    EXPECT_TRUE(rule->isEnabled());
    auto* spin = find<QSpinBox>("spinB3ampbass");
    spin->setValue(-3);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Tab);
    ASSERT_EQ(window->focusWidget(), rule);
    QTest::keyClick(rule, Qt::Key_Space);
    auto* field = find<QLineEdit>("ruletext");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), QStringLiteral("-3"));
    QTest::keyClicks(field, QStringLiteral("scale 90"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(find<QLabel>("rulemessage")->text().contains(QLatin1String("scale 90%"))) << "says why not";
    EXPECT_TRUE(window->choices()[SettingId::B3AmpBass].rule.plain());
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("add 4 if -10..0"));
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("ruletext")), nullptr) << "the box closes";
    EXPECT_EQ(window->focusWidget(), rule);
    pf::ValueRule added;
    added.form = pf::ValueRule::Form::Add;
    added.amount = 4;
    added.when = std::pair{-10, 0};
    EXPECT_EQ(window->choices()[SettingId::B3AmpBass].rule, added);
    EXPECT_EQ(spin->value(), -3);

    QTest::keyClick(rule, Qt::Key_Space);
    field = find<QLineEdit>("ruletext");
    EXPECT_EQ(field->text(), QStringLiteral("add 4 if -10..0"));
    QTest::keyClicks(field, QStringLiteral("x"));
    QTest::keyClick(field, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(window->choices()[SettingId::B3AmpBass].rule, added) << "Esc changes nothing";

    QTest::keyClick(rule, Qt::Key_Space);
    field = find<QLineEdit>("ruletext");
    field->clear();
    QTest::keyClick(field, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(window->choices()[SettingId::B3AmpBass].rule.plain());
    EXPECT_EQ(window->choices()[SettingId::B3AmpBass].number, -3);
    EXPECT_EQ(rule->text(), QStringLiteral("="));

    // A list's condition names the catalogue's items, in any letter case.
    tick("ckB3ampmidf");
    find<QToolButton>("ruleB3ampmidf")->click();
    field = find<QLineEdit>("ruletext");
    QTest::keyClicks(field, QStringLiteral("800hz if 250Hz, 3KHZ"));
    QTest::keyClick(field, Qt::Key_Return);
    const SettingChoice midF = window->choices()[SettingId::B3AmpMidF];
    EXPECT_EQ(pf::shownRule(SettingId::B3AmpMidF, midF), "800Hz if 250Hz, 3kHz");
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
