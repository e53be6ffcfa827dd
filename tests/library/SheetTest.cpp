// Sheets: CSV quoting both ways, an unedited sheet giving no edit, an edited one giving exactly
// its cells through one undoable step, and rows that no longer match refused.
#include <gmock/gmock.h>

#include <fstream>

#include "engine/EditingSession.h"
#include "engine/EngineTestSupport.h"
#include "library/SheetEdits.h"
#include "support/SavedBytes.h"
#include "support/TempDir.h"
#include "text/Csv.h"

namespace pf::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(Csv, QuotesWhatNeedsItAndReadsItBack) {
    const std::vector<std::string> fields{"plain", "a,b", "say \"hi\"", "two\r\nlines", "", "lf\nonly", " blank "};
    std::string text;
    appendCsvRecord(text, fields);
    EXPECT_EQ(text, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\r\nlines\",,\"lf\nonly\", blank \r\n");
    appendCsvRecord(text, {"x"});
    CsvReader reader(text);
    EXPECT_EQ(reader.next(), fields);
    EXPECT_EQ(reader.next(), std::vector<std::string>{"x"});
    EXPECT_EQ(reader.line(), 4u);
    EXPECT_EQ(reader.next(), std::nullopt);

    CsvReader lf("\xEF\xBB\xBF" "a,b\nc,\"d\"\n\"open");
    EXPECT_THAT(*lf.next(), ElementsAre("a", "b"));
    EXPECT_THAT(*lf.next(), ElementsAre("c", "d"));
    EXPECT_EQ(lf.next(), std::nullopt);
    EXPECT_EQ(lf.error(), "line 3: a quoted field is not closed");
}

struct Loaded {
    TempDir dir;
    EditingSession session;
    std::vector<TableRow> rows;
    std::string sheet;

    explicit Loaded(const std::string& bytes) {
        const auto path = dir.path() / "set.g5a";
        std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_TRUE(session.load(path, testCatalogue()));
        const PatchTable table(testCatalogue(), session.group().model());
        rows = table.rows(session.document());
        appendCsvRecord(sheet, sheetHeader(table.columns()));
        for (const TableRow& r : rows) appendCsvRecord(sheet, sheetFields("set.g5a", r, table.columns()));
    }
    SheetEdits edits(const std::string& text) {
        auto read = readSheet(text);
        if (auto* message = std::get_if<std::string>(&read)) return {{}, {*message}};
        std::vector<const SheetRow*> of;
        for (const SheetRow& r : std::get<std::vector<SheetRow>>(read)) of.push_back(&r);
        const PatchTable table(testCatalogue(), session.group().model());
        const auto current = table.rows(session.document());
        return editsFromSheet(of, session.group(), current);
    }
};

std::string file() {
    Sheet s;
    s.head().patch("Lead, Solo");
    s.module(1, {"1", "42", "61", "abc", "120", "50", "50", "50", "50", "88"});
    s.module(4, {"1", "20", "49", "5", "40", "99", "70", "0"});
    s.patchEnd().patch("Clean");
    s.module(4, {"1", "66", "49", "5", "40", "99", "70", "0"});
    s.module(9, {"0", "0", "80", "3", "0", "0", "0", "0"});
    s.patchEnd().tail();
    std::string bytes;
    for (const auto& l : s.lines) bytes += l + "\r\n";
    return bytes;
}

// Replaces the field of a column in the record of a row (by its position among the records).
std::string edited(std::string sheet, size_t record, const std::string& column, const std::string& value) {
    CsvReader reader(sheet);
    std::vector<std::vector<std::string>> all;
    while (auto f = reader.next()) all.push_back(*f);
    const size_t at = static_cast<size_t>(std::ranges::find(all[0], column) - all[0].begin());
    all[record][at] = value;
    std::string out;
    for (const auto& f : all) appendCsvRecord(out, f);
    return out;
}

TEST(SheetEdits, AnUneditedSheetAsksNothingAndEditedCellsEndUpInTheFileAlone) {
    const std::string bytes = file();
    Loaded f(bytes);
    ASSERT_EQ(f.rows.size(), 4u);
    SheetEdits none = f.edits(f.sheet);
    EXPECT_TRUE(none.edits.empty());
    EXPECT_TRUE(none.refusals.empty()) << none.refusals.front();

    // Record 1 is the amp, 2 the first reverb, 3 the Air, 4 the patch module.
    std::string sheet = edited(f.sheet, 2, "Reverb.Mix", "33");
    sheet = edited(sheet, 1, "Amp.Cab", " closed4x12 ");
    sheet = edited(sheet, 1, "Amp.Gain", "62");
    sheet = edited(sheet, 3, "Reverb.Reverb", "Hall");
    sheet = edited(sheet, 4, "Patch.CTRL SW", "Bypass");
    SheetEdits some = f.edits(sheet);
    ASSERT_TRUE(some.refusals.empty()) << some.refusals.front();
    ASSERT_EQ(some.edits.size(), 5u);
    const std::vector<std::string> lines = f.session.document().lines();
    EditingSession::Pending p = f.session.writeCells(some.edits, testCatalogue());
    EXPECT_EQ(p.report().linesChanged, 5u);
    EXPECT_EQ(p.changes().modules().size(), 4u);
    const Document& now = f.session.document();
    std::vector<size_t> changed;
    for (size_t i = 0; i < lines.size(); ++i)
        if (now.line(i) != lines[i]) changed.push_back(i);
    EXPECT_THAT(changed, ElementsAre(6, 13, 20, 29, 41));
    EXPECT_EQ(now.line(6), prm(2, "62"));
    EXPECT_EQ(now.line(13), prm(9, "77"));
    EXPECT_EQ(now.line(20), prm(4, "33"));
    EXPECT_EQ(now.line(29), prm(1, "20"));
    EXPECT_EQ(now.line(41), prm(3, "0"));
    f.session.keep(std::move(p));
    ASSERT_TRUE(f.session.undo());
    EXPECT_EQ(savedBytes(f.session.document()), bytes);

    // A type and a setting given in either order: the setting goes where the new type has it.
    const TableRow& hall = f.rows[1];
    const std::vector<CellEdit> retype{std::get<CellEdit>(editOf(f.session.group(), hall, S::ReverbLevel, "80")),
                                       std::get<CellEdit>(editOf(f.session.group(), hall, S::ReverbReverb, "HD Reverb"))};
    f.session.keep(f.session.writeCells(retype, testCatalogue()));
    EXPECT_EQ(f.session.document().line(17), prm(1, "105"));
    EXPECT_EQ(f.session.document().line(22), prm(6, "70"));
    EXPECT_EQ(f.session.document().line(23), prm(7, "80"));
}

TEST(SheetEdits, RefusesRowsThatNoLongerMatchOrCannotBeWritten) {
    Loaded f(file());
    struct Case {
        size_t record;
        std::string column, value, refusal;
    };
    const std::vector<Case> cases{
        {1, "Name", "Lead", "line 2: the module at line 4 has changed: Name is \"Lead\" in the sheet but \"Lead, Solo\" in the file"},
        {3, "Type", "Hall", "line 4: the module at line 28 has changed: Type is \"Hall\" in the sheet but \"Air\" in the file"},
        {1, "Patch", "2", "line 2: the module at line 4 has changed: Patch is \"2\" in the sheet but \"1\" in the file"},
        {1, "Module", "6", "line 2: the file has no Amp module at line 6"},
        {1, "Block", "Drive", "line 2: the file has no Drive module at line 4"},
        {1, "Block", "Organ", "line 2: Module \"4\" and Block \"Organ\" name no module"},
        {1, "Amp.Gain", "101", "line 2: Amp.Gain: 101 is out of range 0 to 100"},
        {1, "Amp.Gain", "add 5", "line 2: Amp.Gain: \"add 5\" is a rule; a cell takes a value"},
        {1, "Amp.Gain", "", "line 2: Amp.Gain is empty; the module holds 61"},
        {1, "Amp.Amp", "Nowhere", "\"Nowhere\" is not in catalogue section [g5-amp]"},
        {1, "Reverb.Mix", "40", "line 2: Reverb.Mix is not a setting of the Amp block"},
        {2, "Reverb.Size", "40", "line 3: Reverb.Size does not stand in a module of type Hall"},
    };
    for (const Case& c : cases) {
        SheetEdits got = f.edits(edited(f.sheet, c.record, c.column, c.value));
        ASSERT_EQ(got.refusals.size(), 1u) << c.column << "=" << c.value;
        EXPECT_THAT(got.refusals[0], HasSubstr(c.refusal));
        EXPECT_TRUE(got.edits.empty());
    }
    for (const char* bad : {"File,Name\r\n", "File,Module,Block,Amp.Gain,Amp.Gain\r\n", "File,Module,Block,Loud\r\n",
                            "File,Module,Block\r\na,1,Amp,x\r\n"})
        EXPECT_THAT(f.edits(bad).refusals, ElementsAre(HasSubstr("line "))) << bad;
}

}  // namespace
}  // namespace pf::test
