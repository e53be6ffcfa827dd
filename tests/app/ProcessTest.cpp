// The Process command in the window: the snapshot it hands the engine, the message when
// nothing is ticked, the save dialog per model, saving, cancelling and failing.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>

#include "AppTestSupport.h"
#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "document/LoadLists.h"
#include "engine/Process.h"
#include "support/TempDir.h"

namespace pf::test {
namespace {

using Process = WindowTest;

pf::Catalogue bundledCatalogue() { return pf::Catalogue::open(PF_BUILD_DIR "/Presetforger2000.ini"); }

// What the engine makes of an example with these choices.
std::string engineResult(const char* example, const pf::Choices& choices) {
    pf::Document doc;
    EXPECT_TRUE(doc.load(PF_SOURCE_DIR "/examples/" + std::string(example)));
    pf::process(doc, bundledCatalogue(), choices);
    return doc.toBytes();
}

std::vector<pf::TypeEntry> allTicked(const std::vector<std::string>& texts) {
    std::vector<pf::TypeEntry> out;
    for (const std::string& t : texts) out.push_back({t, true});
    return out;
}

TEST_F(Process, NothingTickedOnlySaysSo) {
    load(exampleFile("evening-set.g5a"));
    const std::string before = form->document().toBytes();
    form->butprocessClick();
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind, QStringLiteral("info"));
    EXPECT_EQ(desktop.boxes[0].title, QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("There are no changes to save."));
    EXPECT_EQ(desktop.requests.size(), 1) << "no save dialog";
    EXPECT_EQ(form->document().toBytes(), before);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"evening-set.g5a\""));
}

TEST_F(Process, TheSnapshotHoldsEveryChoiceOfTheWindow) {
    load(exampleFile("low-end.b3a"));
    find<QCheckBox>("ckB3ampbass")->setChecked(true);
    find<QSpinBox>("spinB3ampbass")->setValue(-4);
    find<QCheckBox>("ckB3ampcab")->setChecked(true);
    find<QComboBox>("cboB3ampcab")->setCurrentIndex(1);
    find<QCheckBox>("ckmiscdetect")->setChecked(true);
    find<QComboBox>("cbomiscdetect")->setCurrentIndex(1);
    find<QListWidget>("checklistB3amp")->item(0)->setCheckState(Qt::Unchecked);

    const pf::Choices c = form->choices();
    const pf::LoadLists lists = pf::buildLoadLists(bundledCatalogue(), "b3");
    EXPECT_EQ(c.model, "b3");
    EXPECT_TRUE(c[SettingId::B3AmpBass].ticked);
    EXPECT_EQ(c[SettingId::B3AmpBass].number, -4);
    EXPECT_TRUE(c[SettingId::B3AmpCab].ticked);
    EXPECT_EQ(c[SettingId::B3AmpCab].text, lists.cabItems.at(1));
    EXPECT_EQ(c[SettingId::MiscDetect].text, "EfxIn");
    EXPECT_FALSE(c[SettingId::AmpGain].ticked);
    EXPECT_EQ(c[SettingId::AmpGain].number, 50);
    EXPECT_EQ(c[SettingId::ReverbPreD].number, 100);
    EXPECT_EQ(c[SettingId::AmpPower].text, "ON") << "fixed lists are set to their first item by a load";
    ASSERT_EQ(c.types(TypeList::B3Amp).size(), lists.ampChecks.size());
    EXPECT_EQ(c.types(TypeList::B3Amp)[0].text, lists.ampChecks[0]);
    EXPECT_FALSE(c.types(TypeList::B3Amp)[0].ticked);
    EXPECT_TRUE(c.types(TypeList::B3Amp)[1].ticked);
    EXPECT_EQ(c.types(TypeList::Reverb).size(), lists.reverbChecks.size());
}

TEST_F(Process, BeforeAnyLoadListsHaveNoSelection) {
    find<QCheckBox>("ckamppower")->setChecked(true);
    const pf::Choices c = form->choices();
    EXPECT_EQ(c.model, "");
    EXPECT_TRUE(c[SettingId::AmpPower].ticked);
    EXPECT_EQ(c[SettingId::AmpPower].text, "") << "no selection: empty text";
}

TEST_F(Process, SaveWritesExactlyWhatTheEngineMakesAndNamesTheFile) {
    TempDir dir;
    load(exampleFile("evening-set.g5a"));
    find<QCheckBox>("ckampgain")->setChecked(true);
    find<QSpinBox>("spinampgain")->setValue(60);
    find<QListWidget>("checklistamp")->item(1)->setCheckState(Qt::Unchecked);
    const QString target = QString::fromStdString((dir / "gain60.g5a").string());
    desktop.answers.push_back(target);
    form->butprocessClick();

    ASSERT_EQ(desktop.requests.size(), 2);
    const pf::app::FileDialogRequest& save = desktop.requests[1];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.nameFilters, (QStringList{"G5 Patch Groups (*.g5a)", "G3v2 Patch Groups (*.g3xa)", "B3 Patch Groups (*.b3a)"}));
    EXPECT_EQ(save.selectedFilter, QStringLiteral("G5 Patch Groups (*.g5a)"));
    EXPECT_EQ(save.defaultSuffix, QStringLiteral("g5a"));
    EXPECT_TRUE(save.selectedFile.isEmpty()) << "an empty name box";
    EXPECT_EQ(save.directory, QStringLiteral(PF_SOURCE_DIR "/examples"));
    EXPECT_TRUE(desktop.boxes.isEmpty());

    pf::Choices expected = pf::Choices::atStart();
    expected.model = "g5";
    expected[SettingId::AmpGain] = {true, 60, ""};
    const pf::LoadLists lists = pf::buildLoadLists(bundledCatalogue(), "g5");
    expected[SettingId::AmpPower].text = "ON";
    expected[SettingId::B3AmpPower].text = "ON";
    expected[SettingId::DrivePower].text = "ON";
    expected[SettingId::ReverbPower].text = "ON";
    expected[SettingId::MiscPower].text = "ON";
    expected[SettingId::MiscDetect].text = "GtrIn";
    expected[SettingId::DriveMode].text = "NORM";
    expected.types(TypeList::Amp) = allTicked(lists.ampChecks);
    expected.types(TypeList::Amp)[1].ticked = false;
    expected.types(TypeList::B3Amp) = allTicked(lists.ampChecks);
    expected.types(TypeList::Drive) = allTicked(lists.driveChecks);
    expected.types(TypeList::Reverb) = allTicked(lists.reverbChecks);
    const std::string written = readFile(dir / "gain60.g5a");
    EXPECT_EQ(written, engineResult("evening-set.g5a", expected));
    EXPECT_NE(written, readFile(PF_SOURCE_DIR "/examples/evening-set.g5a")) << "the edits are in the file";
    EXPECT_NE(written.find("<Prm2>60</Prm2>"), std::string::npos);
    EXPECT_EQ(form->document().toBytes(), written);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"gain60.g5a\""));
    EXPECT_EQ(entryCount(dir.path()), 1u) << "no temporary file is left";
}

TEST_F(Process, TheSaveDialogOffersTheLoadedModelsFilter) {
    const struct {
        const char* file;
        const char* filter;
        const char* suffix;
    } kCases[] = {{"evening-set.g5a", "G5 Patch Groups (*.g5a)", "g5a"},
                  {"rehearsal.g3xa", "G3v2 Patch Groups (*.g3xa)", "g3xa"},
                  {"low-end.b3a", "B3 Patch Groups (*.b3a)", "b3a"}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file);
        load(exampleFile(c.file));
        find<QCheckBox>("ckreverbdecay")->setChecked(true);
        form->butprocessClick();  // cancelled
        ASSERT_TRUE(desktop.requests.back().save);
        EXPECT_EQ(desktop.requests.back().selectedFilter, QLatin1String(c.filter));
        EXPECT_EQ(desktop.requests.back().defaultSuffix, QLatin1String(c.suffix));
    }
}

TEST_F(Process, ACancelledSaveKeepsTheEditsAndTheCaption) {
    load(exampleFile("rehearsal.g3xa"));
    const std::string original = form->document().toBytes();
    find<QCheckBox>("ckampgain")->setChecked(true);
    find<QSpinBox>("spinampgain")->setValue(99);
    form->butprocessClick();  // no answer queued: cancelled
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_NE(form->document().toBytes(), original) << "the buffer holds the edits";
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"rehearsal.g3xa\""));
    // A second Process works on the edited text and asks again.
    TempDir dir;
    desktop.answers.push_back(QString::fromStdString((dir / "again.g3xa").string()));
    form->butprocessClick();
    EXPECT_EQ(readFile(dir / "again.g3xa"), form->document().toBytes());
}

TEST_F(Process, AFailedSaveSaysSoAndKeepsBufferAndCaption) {
    load(exampleFile("low-end.b3a"));
    find<QCheckBox>("ckB3ampgain")->setChecked(true);
    const QString target = QStringLiteral("/nonexistent/folder/out.b3a");
    desktop.answers.push_back(target);
    form->butprocessClick();
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind, QStringLiteral("error"));
    EXPECT_EQ(desktop.boxes[0].title, QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("Cannot create file ") + target);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Presetforging:  \"low-end.b3a\""));
    EXPECT_NE(form->document().toBytes(), readFile(PF_SOURCE_DIR "/examples/low-end.b3a"));
}

TEST_F(Process, ASpinTextStillBeingTypedIsBroughtIntoRangeFirst) {
    load(exampleFile("evening-set.g5a"));
    find<QCheckBox>("ckampgain")->setChecked(true);
    auto* spin = find<QSpinBox>("spinampgain");
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("999"));
    EXPECT_EQ(spin->text(), QStringLiteral("999")) << "typing may leave the range for now";
    const pf::Choices c = form->choices();
    EXPECT_EQ(c[SettingId::AmpGain].number, 100);
    EXPECT_EQ(spin->text(), QStringLiteral("100"));
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    EXPECT_EQ(form->choices()[SettingId::AmpGain].number, 0) << "an empty text is the minimum";
}

}  // namespace
}  // namespace pf::test
