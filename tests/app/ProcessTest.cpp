// The Process command in the window: the snapshot it hands the engine, the save dialog per
// model, and saving exactly what the engine makes.
#include "AppTestSupport.h"

namespace pf::test {
namespace {

using Process = WindowTest;

TEST_F(Process, TheSnapshotHoldsEveryChoiceOfTheWindow) {
    tick("ckamppower");
    EXPECT_EQ(form->choices()[SettingId::AmpPower].text, "") << "before any load: no selection, empty text";
    load(exampleFile("low-end.b3a"));
    tick("ckB3ampbass");
    find<QSpinBox>("spinB3ampbass")->setValue(-4);
    tick("ckB3ampcab");
    find<QComboBox>("cboB3ampcab")->setCurrentIndex(1);
    find<QComboBox>("cbomiscdetect")->setCurrentIndex(1);
    find<QListWidget>("checklistB3amp")->item(0)->setCheckState(Qt::Unchecked);
    const pf::Choices c = form->choices();
    const pf::LoadLists lists = pf::buildLoadLists(bundledCatalogue(), "b3");
    EXPECT_EQ(c.model, "b3");
    EXPECT_TRUE(c[SettingId::B3AmpBass].ticked && c[SettingId::B3AmpCab].ticked);
    EXPECT_FALSE(c[SettingId::AmpGain].ticked || c[SettingId::MiscDetect].ticked);
    EXPECT_EQ(c[SettingId::B3AmpBass].number, -4);
    EXPECT_EQ(c[SettingId::B3AmpCab].text, lists.cabItems.at(1));
    EXPECT_EQ(c[SettingId::MiscDetect].text, "EfxIn");
    EXPECT_EQ(c[SettingId::AmpPower].text, "ON");
    ASSERT_EQ(c.types(TypeList::B3Amp).size(), lists.ampChecks.size());
    EXPECT_EQ(c.types(TypeList::B3Amp)[0].text, lists.ampChecks[0]);
    EXPECT_FALSE(c.types(TypeList::B3Amp)[0].ticked);
    EXPECT_TRUE(c.types(TypeList::B3Amp)[1].ticked);
    EXPECT_EQ(c.types(TypeList::Reverb).size(), lists.reverbChecks.size());

    // A spin text still being typed is brought into range first; an empty text is the minimum.
    auto* spin = find<QSpinBox>("spinB3ampbass");
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("99"));
    EXPECT_EQ(spin->text(), QStringLiteral("99")) << "typing may leave the range for now";
    EXPECT_EQ(form->choices()[SettingId::B3AmpBass].number, 10);
    EXPECT_EQ(spin->text(), QStringLiteral("10"));
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    EXPECT_EQ(form->choices()[SettingId::B3AmpBass].number, -10);
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
        const pf::Choices c = form->choices();
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

// The choices of a fresh window after loading an example, with one gain ticked at 60 and the
// second entry of its page's type list unticked, built here without the window.
pf::Choices gainChoices(const std::string& model, SettingId gain, TypeList list) {
    pf::Choices c = pf::Choices::atStart();
    c.model = model;
    for (const SettingDef& def : settings())
        if (def.kind == ValueKind::FixedList) c[def.id].text = std::string(def.items.front());
    const pf::LoadLists lists = pf::buildLoadLists(bundledCatalogue(), model);
    const std::vector<std::string>* checks[] = {&lists.ampChecks, &lists.ampChecks, &lists.driveChecks, &lists.reverbChecks};
    for (size_t i = 0; i < kTypeListCount; ++i)
        for (const std::string& t : *checks[i]) c.typeLists[i].push_back({t, true});
    c[gain] = {true, 60, ""};
    c.types(list)[1].ticked = false;
    return c;
}

TEST_F(Process, SaveWritesExactlyWhatTheEngineMakesWithTheModelsFilterAndNamesTheFile) {
    const struct { const char* file; const char* model; const char* filter; const char* gain; SettingId id; TypeList list; } kCases[] = {
        {"evening-set.g5a", "g5", "G5 Patch Groups (*.g5a)", "ampgain", SettingId::AmpGain, TypeList::Amp},
        {"rehearsal.g3xa", "g3x", "G3v2 Patch Groups (*.g3xa)", "ampgain", SettingId::AmpGain, TypeList::Amp},
        {"low-end.b3a", "b3", "B3 Patch Groups (*.b3a)", "B3ampgain", SettingId::B3AmpGain, TypeList::B3Amp}};
    TempDir dir;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.file);
        SetUp();
        const std::string loaded = exampleBytes(c.file);
        load(exampleFile(c.file));
        tick(std::string("ck") + c.gain);
        find<QSpinBox>(std::string("spin") + c.gain)->setValue(60);
        find<QListWidget>(c.list == TypeList::Amp ? "checklistamp" : "checklistB3amp")->item(1)->setCheckState(Qt::Unchecked);
        const QString suffix = QFileInfo(QLatin1String(c.file)).suffix();
        process(qpath(dir / "gain60.") + suffix);

        ASSERT_EQ(desktop.requests.size(), 2);
        const pf::app::FileDialogRequest& save = desktop.requests[1];
        EXPECT_TRUE(save.save);
        EXPECT_EQ(save.nameFilters, (QStringList{"G5 Patch Groups (*.g5a)", "G3v2 Patch Groups (*.g3xa)", "B3 Patch Groups (*.b3a)"}));
        EXPECT_EQ(save.selectedFilter, QLatin1String(c.filter));
        EXPECT_EQ(save.defaultSuffix, suffix);
        EXPECT_TRUE(save.selectedFile.isEmpty()) << "an empty name box";
        EXPECT_EQ(save.directory, QStringLiteral(PF_SOURCE_DIR "/examples"));
        const std::string written = readFile(dir / ("gain60." + suffix.toStdString()));
        EXPECT_EQ(written, processed(exampleBytes(c.file), gainChoices(c.model, c.id, c.list)));
        EXPECT_NE(written, exampleBytes(c.file)) << "the edits are in the file";
        EXPECT_EQ(form->document().toBytes(), written);
        EXPECT_EQ(form->windowTitle(), caption("gain60." + suffix));
        EXPECT_EQ(exampleBytes(c.file), loaded) << "the loaded file is never written";
    }
    EXPECT_EQ(entryCount(dir.path()), 3u) << "no temporary file is left";
}

}  // namespace
}  // namespace pf::test
