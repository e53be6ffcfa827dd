// The Load command in the window: tabs, caption, prompt, model code, unticking, lists rebuilt
// from the bundled catalogue, model-bound controls, failures.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>

#include "AppTestSupport.h"
#include "support/TempDir.h"
#include "catalogue/Catalogue.h"
#include "document/LoadLists.h"
#include "engine/Settings.h"

namespace pf::test {
namespace {

using Load = WindowTest;

QStringList visibleTabs(QTabWidget* tabs) {
    QStringList shown;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i)) shown << tabs->widget(i)->objectName();
    return shown;
}

QStringList itemsOf(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}

QStringList itemsOf(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

QStringList texts(const std::vector<std::string>& items) {
    QStringList out;
    for (const std::string& s : items) out << QString::fromStdString(s);
    return out;
}

struct Example {
    const char* file;
    const char* model;
    const char* ampPage;
    bool pedalShown;   // CTRL PDL
    bool b3Shown;      // B3 drive panel and patch Balance
};

const Example kExamples[] = {
    {"evening-set.g5a", "g5", "amp", false, false},
    {"rehearsal.g3xa", "g3x", "amp", true, false},
    {"low-end.b3a", "b3", "ampB3", true, true},
};

TEST_F(Load, EachExampleShowsItsModelsPagesListsAndControls) {
    const pf::Catalogue catalogue = pf::Catalogue::open(PF_BUILD_DIR "/Presetforger2000.ini");
    for (const Example& e : kExamples) {
        SCOPED_TRACE(e.file);
        SetUp();  // a fresh window per example
        load(exampleFile(e.file));
        EXPECT_TRUE(desktop.boxes.isEmpty());
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"%1\"").arg(QLatin1String(e.file)));
        EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Adjust settings and then click PROCESS."));
        EXPECT_TRUE(find<QToolButton>("butprocess")->isEnabled());
        EXPECT_EQ(form->modelCode(), e.model);
        EXPECT_GT(form->document().lineCount(), 100u);
        auto* tabs = find<QTabWidget>("PageControl1");
        EXPECT_EQ(visibleTabs(tabs), (QStringList{"splash", e.ampPage, "drive", "reverb", "misc"}));
        EXPECT_EQ(tabs->currentWidget()->objectName(), QLatin1String(e.ampPage));
        EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Amp"));

        for (const char* name : {"ckpatchexppedal", "cbopatchexppedal"})
            EXPECT_EQ(!find<QWidget>(name)->isHidden(), e.pedalShown) << name;
        for (const char* name : {"panb3drivespec", "ckb3drivebalance", "spinb3drivebalance", "ckb3miscbalance",
                                 "spinb3miscbalance"})
            EXPECT_EQ(!find<QWidget>(name)->isHidden(), e.b3Shown) << name;

        // Lists from the model's sections, every check-list entry ticked, first items selected.
        const pf::LoadLists lists = pf::buildLoadLists(catalogue, e.model);
        ASSERT_FALSE(lists.ampChecks.empty());
        EXPECT_EQ(itemsOf(find<QListWidget>("checklistamp")), texts(lists.ampChecks));
        EXPECT_EQ(itemsOf(find<QListWidget>("checklistB3amp")), texts(lists.ampChecks));
        EXPECT_EQ(itemsOf(find<QListWidget>("checklistdrive")), texts(lists.driveChecks));
        EXPECT_EQ(itemsOf(find<QListWidget>("CheckListreverb")), texts(lists.reverbChecks));
        for (const char* name : {"checklistamp", "checklistB3amp", "checklistdrive", "CheckListreverb"}) {
            auto* list = find<QListWidget>(name);
            for (int i = 0; i < list->count(); ++i) EXPECT_EQ(list->item(i)->checkState(), Qt::Checked) << name;
            for (int i = 0; i < list->count(); ++i) EXPECT_TRUE(list->item(i)->text().startsWith(u' ')) << name;
            EXPECT_FALSE(itemsOf(list).contains(QStringLiteral(" Remove"))) << name;
        }
        const struct {
            const char* name;
            const std::vector<std::string>* items;
        } kDropDowns[] = {{"cboampamp", &lists.ampNames},       {"cboB3ampamp", &lists.ampNames},
                          {"cboB3ampmidf", &lists.midfNames},   {"cboampcab", &lists.cabItems},
                          {"cboB3ampcab", &lists.cabItems},     {"cbodrivedrive", &lists.driveNames},
                          {"cboreverbreverb", &lists.reverbNames}, {"cbopatchfootswitch", &lists.footswitchNames},
                          {"cbopatchexppedal", &lists.exppedalNames}};
        for (const auto& d : kDropDowns) {
            auto* list = find<QComboBox>(d.name);
            EXPECT_EQ(itemsOf(list), texts(*d.items)) << d.name;
            EXPECT_EQ(list->currentIndex(), d.items->empty() ? -1 : 0) << d.name;
        }
        const struct {
            const char* name;
            const char* first;
        } kFixed[] = {{"cboamppower", "ON"},   {"cboB3amppower", "ON"}, {"cbodrivepower", "ON"},
                      {"cboreverbpower", "ON"}, {"cbomiscpower", "ON"},  {"cbomiscdetect", "GtrIn"},
                      {"cbob3drivemode", "NORM"}};
        for (const auto& f : kFixed) EXPECT_EQ(find<QComboBox>(f.name)->currentText(), QLatin1String(f.first)) << f.name;
    }
}

TEST_F(Load, ModelBoundControlsFollowEachLoad) {
    auto pedal = [this] { return !find<QWidget>("ckpatchexppedal")->isHidden(); };
    auto b3 = [this] { return !find<QWidget>("panb3drivespec")->isHidden() && !find<QWidget>("ckb3miscbalance")->isHidden(); };
    load(exampleFile("evening-set.g5a"));
    EXPECT_FALSE(pedal());
    EXPECT_FALSE(b3());
    load(exampleFile("rehearsal.g3xa"));
    EXPECT_TRUE(pedal());
    EXPECT_FALSE(b3());
    load(exampleFile("low-end.b3a"));
    EXPECT_TRUE(pedal());
    EXPECT_TRUE(b3());
    EXPECT_EQ(find<QTabWidget>("PageControl1")->currentWidget()->objectName(), QStringLiteral("ampB3"));
    load(exampleFile("evening-set.g5a"));
    EXPECT_FALSE(pedal());
    EXPECT_FALSE(b3());
    EXPECT_FALSE(find<QTabWidget>("PageControl1")->isTabVisible(2)) << "the B3 Amp tab is hidden again";
}

TEST_F(Load, ASecondLoadRebuildsListsUntick_sBoxesAndKeepsSpinValues) {
    load(exampleFile("low-end.b3a"));
    const QStringList amps = itemsOf(find<QListWidget>("checklistB3amp"));
    const QStringList cabs = itemsOf(find<QComboBox>("cboB3ampcab"));
    for (const SettingDef& def : settings()) find<QCheckBox>(def.checkBoxName())->setChecked(true);
    find<QSpinBox>("spinreverbshape")->setValue(-7);
    find<QSpinBox>("spinB3ampgain")->setValue(88);
    find<QListWidget>("checklistB3amp")->item(0)->setCheckState(Qt::Unchecked);
    find<QComboBox>("cboB3ampcab")->setCurrentIndex(2);

    load(exampleFile("low-end.b3a"));
    EXPECT_EQ(itemsOf(find<QListWidget>("checklistB3amp")), amps) << "each name once";
    EXPECT_EQ(itemsOf(find<QComboBox>("cboB3ampcab")), cabs);
    EXPECT_EQ(find<QListWidget>("checklistB3amp")->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(find<QComboBox>("cboB3ampcab")->currentIndex(), 0);
    for (const SettingDef& def : settings()) {
        EXPECT_FALSE(find<QCheckBox>(def.checkBoxName())->isChecked()) << def.checkBoxName();
        EXPECT_FALSE(find<QWidget>(def.valueControlName())->isEnabled()) << def.valueControlName();
    }
    EXPECT_EQ(find<QSpinBox>("spinreverbshape")->value(), -7);
    EXPECT_EQ(find<QSpinBox>("spinB3ampgain")->value(), 88);
}

TEST_F(Load, AnUnrecognisedExtensionAsFirstLoadKeepsTheEmptyModelCode) {
    TempDir dir;
    const std::string bytes = readFile(PF_SOURCE_DIR "/examples/evening-set.g5a");
    for (const char* name : {"old.g3a", "LOUD.G5A"}) {
        SCOPED_TRACE(name);
        SetUp();
        writeFile(dir / name, bytes);
        load(QString::fromStdString((dir / name).string()));
        EXPECT_TRUE(desktop.boxes.isEmpty());
        EXPECT_EQ(form->modelCode(), "");
        EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"%1\"").arg(QLatin1String(name)));
        EXPECT_EQ(visibleTabs(find<QTabWidget>("PageControl1")), (QStringList{"splash", "amp", "drive", "reverb", "misc"}));
        // Catalogue sections without a model prefix do not exist: the lists stay empty.
        EXPECT_EQ(find<QListWidget>("checklistamp")->count(), 0);
        // Model-bound controls keep their start-up visibility.
        for (const char* control : {"ckpatchexppedal", "panb3drivespec", "ckb3miscbalance"})
            EXPECT_FALSE(find<QWidget>(control)->isHidden()) << control;
    }
}

TEST_F(Load, AnUnrecognisedExtensionAfterARecognisedLoadKeepsThatModel) {
    TempDir dir;
    writeFile(dir / "other.g3a", readFile(PF_SOURCE_DIR "/examples/low-end.b3a"));
    load(exampleFile("low-end.b3a"));
    load(QString::fromStdString((dir / "other.g3a").string()));
    EXPECT_EQ(form->modelCode(), "b3");
    EXPECT_EQ(find<QTabWidget>("PageControl1")->currentWidget()->objectName(), QStringLiteral("ampB3"));
    EXPECT_GT(find<QListWidget>("checklistB3amp")->count(), 0);
}

TEST_F(Load, ACancelledDialogChangesNothing) {
    load(exampleFile("rehearsal.g3xa"));
    find<QCheckBox>("ckampgain")->setChecked(true);
    const size_t lines = form->document().lineCount();
    form->butloadClick();  // no answer queued: cancelled
    EXPECT_EQ(desktop.requests.size(), 2);
    EXPECT_TRUE(desktop.requests[1].selectedFile.endsWith(QLatin1String("rehearsal.g3xa"))) << "the last path is offered";
    EXPECT_TRUE(find<QCheckBox>("ckampgain")->isChecked());
    EXPECT_EQ(form->document().lineCount(), lines);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"rehearsal.g3xa\""));
}

TEST_F(Load, AFileThatCannotBeReadKeepsThePreviousDocument) {
    load(exampleFile("rehearsal.g3xa"));
    find<QCheckBox>("ckampgain")->setChecked(true);
    const std::string before = form->document().toBytes();
    TempDir dir;
    const QString missing = QString::fromStdString((dir / "typed-name.g5a").string());
    load(missing);
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind, QStringLiteral("error"));
    EXPECT_EQ(desktop.boxes[0].title, QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Cannot open file ") + missing);
    EXPECT_EQ(form->document().toBytes(), before);
    EXPECT_EQ(form->modelCode(), "g3x");
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"rehearsal.g3xa\""));
    EXPECT_TRUE(find<QCheckBox>("ckampgain")->isChecked());
    EXPECT_FALSE(find<QWidget>("ckpatchexppedal")->isHidden());
}

TEST_F(Load, AFileThatCannotBeReadAsFirstLoadLeavesTheStartState) {
    load(QStringLiteral("/nonexistent/folder/x.b3a"));
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Cannot open file /nonexistent/folder/x.b3a"));
    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Click LOAD to begin."));
    EXPECT_FALSE(find<QToolButton>("butprocess")->isEnabled());
    EXPECT_EQ(visibleTabs(find<QTabWidget>("PageControl1")), QStringList{"splash"});
    EXPECT_EQ(form->modelCode(), "");
}

}  // namespace
}  // namespace pf::test
