// The Load command in the window: tabs, caption, prompt, model code, unticking, lists rebuilt
// from the bundled catalogue, model-bound controls.
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

}  // namespace
}  // namespace pf::test
