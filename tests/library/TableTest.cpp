// The patch table: values read from each model's modules as the window shows them (the
// expectations written from the modules' own lines), the filters, and compare against what
// Process changed.
#include <gmock/gmock.h>

#include <fstream>
#include <set>

#include "engine/EditingSession.h"
#include "engine/EngineTestSupport.h"
#include "support/TempDir.h"
#include "library/Compare.h"
#include "library/RowFilter.h"
#include "recipe/Apply.h"

namespace pf::test {
namespace {

using ::testing::ElementsAre;

struct Expect {
    std::string column;  // "Block/SECTION.KEY" or "Block/Type"
    std::string text;
};

struct ModelCase {
    std::string file;
    std::vector<std::pair<int, std::vector<std::string>>> modules;  // module number and its values
    std::vector<Expect> expected;
};

std::vector<ModelCase> modelCases() {
    return {
        {"a.g5a",
         {{0, {"1", "27", "9", "1", "100"}},
          {1, {"1", "42", "61", "abc", "120", "50", "50", "50", "50", "88"}},
          {2, {"0", "14", "30", "40", "77", "5", "6"}},
          {4, {"1", "20", "49", "5", "40", "99", "70", "0"}},
          {9, {"0", "0", "80", "3", "0", "0", "0", "0"}}},
         {{"ZNR/Type", "id 27"}, {"ZNR/ZNR.Power", "ON"}, {"ZNR/ZNR.THRSH", "10"}, {"ZNR/ZNR.Detect", "EfxIn"},
          {"ZNR/ZNR.Level", "100"}, {"Amp/Type", "Brit Crunch"}, {"Amp/Amp.Amp", "Brit Crunch"},
          {"Amp/Amp.Gain", "61"}, {"Amp/Amp.Tube", "unreadable"}, {"Amp/Amp.Level", "120"},
          {"Amp/Amp.Cab", "Vintage 2x12  V212"}, {"Amp/B3 Amp.Gain", ""}, {"Drive/Drive.Power", "OFF"},
          {"Drive/Drive.Drive", "Fuzz"}, {"Drive/Drive.Level", "77"}, {"Drive/Drive.Balance", ""},
          {"Reverb/Reverb.Decay", "50"}, {"Reverb/Reverb.PreD", "100"}, {"Reverb/Reverb.Mix", "40"},
          {"Reverb/Reverb.Level", "70"}, {"Reverb/Reverb.Size", ""}, {"Patch/Type", ""},
          {"Patch/Patch.Patch Level", "80"}, {"Patch/Patch.CTRL SW", "Tap Tempo"}, {"Patch/Amp.Gain", ""}}},
        {"a.g3xa",
         {{0, {"0", "27", "1", "0", "5"}}, {1, {"1", "141", "7"}}, {6, {"90", "13", "0", "19", "0", "0", "0", "0"}}},
         {{"ZNR/ZNR.THRSH", "2"}, {"ZNR/ZNR.Detect", "GtrIn"}, {"Amp/Type", "Tweed Lux"}, {"Amp/Amp.Gain", "7"},
          {"Patch/Patch.Patch Level", "90"}, {"Patch/Patch.CTRL SW", "Tap Tempo"}, {"Patch/Patch.CTRL PDL", "Wah"}}},
        {"a.b3a",
         {{0, {"1", "19", "0", "0", "0"}},
          {1, {"1", "60", "13", "7", "20", "0", "55", "150", "0", "0", "45"}},
          {2, {"1", "76", "30", "12", "2", "70", "0"}},
          {3, {"100", "5", "0", "6", "0", "100", "0", "42"}}},
         {{"ZNR/Type", "id 19"}, {"ZNR/ZNR.THRSH", "1"}, {"Amp/Type", "Bass Stack"}, {"Amp/B3 Amp.Bass", "3"},
          {"Amp/B3 Amp.Mid", "-3"}, {"Amp/B3 Amp.Trebl", "10"}, {"Amp/B3 Amp.Mid-F", "250Hz"},
          {"Amp/B3 Amp.Gain", "55"}, {"Amp/B3 Amp.Level", "150"}, {"Amp/B3 Amp.Cab", "ORGN  ZZZZ"},
          {"Amp/B3 Amp.Mix", "45"}, {"Amp/Amp.Gain", ""}, {"Drive/Type", "Booster"}, {"Drive/Drive.Bass", "2"},
          {"Drive/Drive.Trebl", "-8"}, {"Drive/Drive.Level", "70"}, {"Drive/Drive.Balance", ""},
          {"Drive/Drive.Mode", ""}, {"Patch/Patch.Patch Level", "100"}, {"Patch/Patch.CTRL SW", "Mute"},
          {"Patch/Patch.CTRL PDL", "Output-Volume"}, {"Patch/Patch.Balance", "42"}}},
    };
}

TEST(PatchTable, ShowsEachModelsValuesAsTheWindowShowsThem) {
    for (const ModelCase& c : modelCases()) {
        SCOPED_TRACE(c.file);
        Sheet sheet;
        sheet.head().text("  <Patch Name=\"Other\">").patchEnd().patch("Lead, Solo");
        std::map<std::string, size_t> headerOf;  // block name to its header line
        for (const auto& [number, values] : c.modules) headerOf[std::to_string(number)] = sheet.module(number, values).header;
        sheet.patchEnd().tail();
        const DeviceModel& model = *modelOfFile(c.file);
        const PatchTable table(testCatalogue(), model);
        const std::vector<TableRow> rows = table.rows(sheet.document());
        // A document with a line kept beside its buffer is read line by line, to the same rows.
        Document spilled = sheet.document();
        spilled.setLine(0, std::string(500, ' ') + "<?xml?>");
        ASSERT_FALSE(spilled.allInBuffer());
        const std::vector<TableRow> again = table.rows(spilled);
        ASSERT_EQ(again.size(), rows.size());
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_TRUE(again[i].headerLine == rows[i].headerLine && again[i].group == rows[i].group &&
                        again[i].cells == rows[i].cells && again[i].patchName == rows[i].patchName);
        // The test catalogue's G5 amp "Gate" has the noise reduction's id: the amp block edits that
        // module too, which makes a row of its own.
        const bool gate = model.code == "g5";
        ASSERT_EQ(rows.size(), c.modules.size() + gate);
        for (size_t i = 0; i < rows.size(); ++i) {
            const size_t module = i - (gate && i > 0);
            EXPECT_EQ(rows[i].patch, 2u);
            EXPECT_EQ(rows[i].patchName, "Lead, Solo");
            EXPECT_EQ(rows[i].text(ModuleColumn::Module), std::to_string(headerOf[std::to_string(c.modules[module].first)] + 1));
        }
        if (gate) EXPECT_EQ(rows[1].type, "Gate");
        for (const Expect& e : c.expected) {
            const std::string block = e.column.substr(0, e.column.find('/')), column = e.column.substr(block.size() + 1);
            const auto row = std::find_if(rows.rbegin(), rows.rend(), [&](const TableRow& r) { return groupName(r.group) == block; });
            ASSERT_NE(row, rows.rend()) << block;
            const SettingDef* def = settingOfColumn(column);
            EXPECT_EQ(def ? row->text(def->id) : row->text(ModuleColumn::Type), e.text) << e.column;
        }
    }
}

// A file of many parts, with a line longer than a part and no final line break, read in parts
// gives the rows of the whole document.
TEST(PatchTable, AFileReadInPartsGivesTheRowsOfTheWholeDocument) {
    for (const ModelCase& c : modelCases()) {
        SCOPED_TRACE(c.file);
        Sheet sheet;
        sheet.head();
        for (int p = 0; p < 4000; ++p) {
            sheet.patch("P" + std::to_string(p));
            for (const auto& [number, values] : c.modules) sheet.module(number, values);
            if (p == 2000) sheet.text("  <Note>" + std::string(700000, 'x') + "</Note>");
            sheet.patchEnd();
        }
        TempDir dir;
        std::string bytes;
        for (const auto& l : sheet.lines) bytes += l + "\r\n";
        bytes.resize(bytes.size() - 2);
        std::ofstream(dir.path() / c.file, std::ios::binary) << bytes;
        const PatchTable table(testCatalogue(), *modelOfFile(c.file));
        const std::vector<TableRow> whole = table.rows(Document::fromBytes(bytes));
        std::vector<TableRow> parts;
        ASSERT_TRUE(table.forEachRowOfFile(dir.path() / c.file, [&](const TableRow& r) { parts.push_back(r); }));
        ASSERT_EQ(parts.size(), whole.size());
        for (size_t i = 0; i < whole.size(); ++i)
            ASSERT_TRUE(parts[i].headerLine == whole[i].headerLine && parts[i].patch == whole[i].patch &&
                        parts[i].patchName == whole[i].patchName && parts[i].cells == whole[i].cells && parts[i].type == whole[i].type)
                << i;
    }
    std::string error;
    EXPECT_FALSE(PatchTable(testCatalogue(), unknownModel()).forEachRowOfFile("/nonexistent.g5a", [](const TableRow&) {}, &error));
    EXPECT_EQ(error, "Cannot open file /nonexistent.g5a: No such file or directory");
}

TEST(RowFilter, ReadsConditionsAsRecipesDoAndKeepsTheRowsMeetingThemAll) {
    const auto mix = std::get<Condition>(readWhere("reverb.mix = 30..45"));
    EXPECT_EQ(mix.setting, S::ReverbMix);
    EXPECT_EQ(mix.rule.when, (std::pair{30, 45}));
    EXPECT_THAT(std::get<Condition>(readWhere("Amp.Cab=Vintage 2x12, Open")).rule.whenItems,
                ElementsAre("Vintage 2x12", "Open"));
    for (const char* bad : {"Reverb.Mix", "Reverb.Volume=1..2", "Reverb.Mix=50..40", "ZNR.Detect=GtrIn,Loud", "Mix=1..2"})
        EXPECT_TRUE(std::holds_alternative<std::string>(readWhere(bad))) << bad;

    const ModelCase g5 = modelCases().front();
    Sheet sheet;
    sheet.head().patch("Lead");
    for (const auto& [number, values] : g5.modules)
        if (number > 0) sheet.module(number, values);  // without the noise reduction the "Gate" amp shares
    sheet.patchEnd().tail();
    const std::vector<TableRow> rows = PatchTable(testCatalogue(), *modelOfFile("a.g5a")).rows(sheet.document());
    auto kept = [&](std::vector<std::string> where, std::vector<std::string> patches = {}) {
        RowFilter filter{{}, std::move(patches)};
        for (const auto& w : where) filter.where.push_back(std::get<Condition>(readWhere(w)));
        std::string out;
        for (const TableRow& r : rows)
            if (filter.passes(r)) out += std::string(groupName(r.group)) + " ";
        return out;
    };
    EXPECT_EQ(kept({}), "Amp Drive Reverb Patch ");
    EXPECT_EQ(kept({"Reverb.Mix=40..40"}), "Reverb ");
    EXPECT_EQ(kept({"Reverb.Mix=41..100"}), "");
    EXPECT_EQ(kept({"Amp.Cab=vintage 2x12", "Amp.Gain=0..61"}), "Amp ");
    EXPECT_EQ(kept({"Amp.Tube=0..100"}), "");  // unreadable meets nothing
    EXPECT_EQ(kept({"Drive.Drive=Fuzz"}, {"le*"}), "Drive ");
    EXPECT_EQ(kept({}, {"Solo"}), "");

    // One text: conditions and patterns by ';', patterns by ','; the first bad term's message.
    const auto one = std::get<RowFilter>(readRowFilter(" Amp.Cab=Vintage 2x12, Open ; so*, le? ;; Reverb.Mix=1..2"));
    EXPECT_THAT(one.patches, ElementsAre("so*", "le?"));
    ASSERT_EQ(one.where.size(), 2u);
    EXPECT_THAT(one.where[0].rule.whenItems, ElementsAre("Vintage 2x12", "Open"));
    EXPECT_EQ(std::get<std::string>(readRowFilter("le*; Amp.Gainz=1..2")), std::get<std::string>(readWhere("Amp.Gainz=1..2")));
    EXPECT_TRUE(std::get<RowFilter>(readRowFilter(" ")).where.empty());
}

// Process with a recipe on each example; compare of the tables before and after lists exactly
// the settings whose recorded rewrites changed a value as the record reads it.
TEST(Compare, ListsExactlyTheSettingsProcessChanged) {
    const Catalogue catalogue = Catalogue::open(PF_SOURCE_DIR "/data/Presetforger2000.ini");
    std::ifstream in(PF_SOURCE_DIR "/examples/gig-ready.recipe.ini");
    const Recipe recipe = parseRecipe(std::string(std::istreambuf_iterator<char>(in), {})).recipe;
    for (const char* example : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) {
        SCOPED_TRACE(example);
        EditingSession session;
        ASSERT_TRUE(session.load(std::string(PF_SOURCE_DIR "/examples/") + example, catalogue));
        const PatchTable table(catalogue, session.group().model());
        const std::vector<TableRow> before = table.rows(session.document());
        EditingSession::Pending p = session.process(choicesFor(recipe, session.group()).choices, catalogue);
        std::set<std::pair<long long, SettingId>> recorded;
        for (const RecordedEdit& e : *p.record())
            if (parameterValue(e.before) != parameterValue(e.after))
                recorded.insert({e.moduleLine, e.setting});
        const std::vector<TableRow> after = table.rows(session.document());
        std::set<std::pair<long long, SettingId>> listed;
        for (const Difference& d : compareTables(before, after, table.columns())) {
            ASSERT_EQ(d.kind, Difference::Kind::Value);
            EXPECT_NE(d.before, d.after);
            listed.insert({d.rowA->headerLine, d.setting});
        }
        EXPECT_FALSE(listed.empty());
        EXPECT_EQ(listed, recorded);
        EXPECT_TRUE(compareTables(after, after, table.columns()).empty());
    }
}

TEST(Compare, MatchesPatchesByNameThenOrderAndModulesByBlock) {
    auto table = [](std::vector<std::pair<std::string, std::string>> patches) {
        Sheet sheet;
        sheet.head();
        for (const auto& [name, gain] : patches) {
            sheet.patch(name);
            sheet.module(1, {"1", "40", gain});
            if (gain == "2 amps") sheet.module(2, {"1", "41", "5"});
            sheet.patchEnd();
        }
        return PatchTable(testCatalogue(), *modelOfFile("a.g5a")).rows(sheet.tail().document());
    };
    const auto a = table({{"Lead", "10"}, {"Twin", "1"}, {"Twin", "2"}, {"Gone", "3"}, {"Big", "4"}});
    const auto b = table({{"Twin", "1"}, {"New", "5"}, {"Twin", "9"}, {"Lead", "10"}, {"Big", "2 amps"}});
    std::vector<std::string> said;
    for (const Difference& d : compareTables(a, b, columnsFor(*modelOfFile("a.g5a"))))
        said.push_back(d.patch + " " + std::to_string(static_cast<int>(d.kind)) + " " + d.before + ">" + d.after);
    EXPECT_THAT(said, ElementsAre("Twin 4 2>9", "Gone 0 >", "Big 4 4>unreadable", "Big 3 >", "New 1 >"));
}

}  // namespace
}  // namespace pf::test
