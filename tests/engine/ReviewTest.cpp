// What the window builds on after a Process: the record grouped by module, modules left out
// of the result, what the command found nothing for, and the undo history of documents.
#include <fstream>

#include "EngineTestSupport.h"
#include "engine/EditingSession.h"
#include "engine/History.h"
#include "engine/Review.h"
#include "support/SavedBytes.h"
#include "support/TempDir.h"

using namespace pf;
using namespace pf::test;

namespace {

// Two ordinary patches and one whose patch module every block reaches in turn, so that some
// of its lines are rewritten twice (see ProcessDriver.BlocksRunInFixedOrder...).
struct Reviewed {
    Sheet sheet;
    Choices choices = choicesFor("g5", {{S::NoiseReductionPower, "OFF"}, {S::AmpAmp, "Relay"}, {S::AmpLevel, 120},
                                        {S::DriveDrive, "Into Spring"}, {S::DriveTone, 62}, {S::ReverbDecay, 50},
                                        {S::ReverbLevel, 88}, {S::PatchLevel, 75}});
    Reviewed() {
        sheet.head();
        for (const char* name : {"One", "Two"}) {
            sheet.patch(name);
            sheet.effect(0, "27", kNoiseParams);
            sheet.effect(1, "14", kDriveParams);
            sheet.effect(3, "40", kAmpParams);
            sheet.effect(9, "", kPatchParams);
            sheet.patchEnd();
        }
        sheet.patch("Chain").effect(9, "27", kPatchParams);
        sheet.patchEnd().tail();
        choices.types(TypeList::Amp) = typeEntries({"Gate"}, {"Clean Glass"});
        choices.types(TypeList::Drive) = typeEntries({"Screamer"}, {"Fuzz"});
        choices.types(TypeList::Reverb) = typeEntries({"Spring"});
    }
    // The lines from a module's header to its closing line.
    std::pair<size_t, size_t> span(long long header) const {
        size_t end = static_cast<size_t>(header);
        while (sheet.lines[end].rfind("  </Module", 0) != 0) ++end;
        return {static_cast<size_t>(header), end};
    }
};

}  // namespace

TEST(ChangeList, LeavingModulesOutGivesTheProcessedDocumentWithTheirLinesAsBefore) {
    const Reviewed r;
    EditRecord record;
    Document doc = r.sheet.document();
    process(doc, testCatalogue(), r.choices, &record);
    const std::vector<std::string> processedLines = doc.lines();
    const ChangeList changes(record);
    const auto& modules = changes.modules();
    ASSERT_EQ(modules.size(), 5u) << "two noise reductions, two patch modules and the chain module";
    size_t edits = 0;
    const char* patches[] = {"One", "One", "Two", "Two", "Chain"};
    for (size_t m = 0; m < modules.size(); ++m) {
        EXPECT_EQ(patchNameAbove(doc, static_cast<size_t>(modules[m].headerLine)), patches[m]);
        if (m > 0) {
            EXPECT_LT(modules[m - 1].headerLine, modules[m].headerLine) << "in document order";
        }
        EXPECT_EQ(changes.header(modules[m]), r.sheet.lines[static_cast<size_t>(modules[m].headerLine)]);
        for (size_t i = 0; i < modules[m].count; ++i) EXPECT_EQ(changes.edit(modules[m], i).moduleLine, modules[m].headerLine);
        edits += modules[m].count;
    }
    EXPECT_EQ(edits, record.size());
    EXPECT_EQ(patchNameAbove(doc, 1), "") << "above the first patch";
    EXPECT_EQ(patchNameAbove(doc, static_cast<size_t>(modules[4].headerLine), 0), "") << "out of reach";

    for (const std::vector<bool>& keep : {std::vector<bool>{true, true, true, true, true},
                                          std::vector<bool>{false, false, false, false, false},
                                          std::vector<bool>{true, false, true, false, true},
                                          std::vector<bool>{true, true, true, true, false},
                                          std::vector<bool>{false, false, false, false, true}}) {
        std::vector<std::string> expected = processedLines;
        for (size_t m = 0; m < modules.size(); ++m) {
            if (keep[m]) continue;
            const auto [from, to] = r.span(modules[m].headerLine);
            for (size_t i = from; i <= to; ++i) expected[i] = r.sheet.lines[i];
        }
        Document kept = doc;
        changes.restore(kept, keep);
        EXPECT_TRUE(sameDocument(kept.lines(), expected)) << "keep " << ::testing::PrintToString(keep);
    }
}

TEST(ProcessOutcome, CountsChangesAndNamesWhatWasNotFound) {
    Sheet s;
    s.head().patch("P");
    s.effect(3, "40", kAmpParams);
    s.effect(5, "40", kAmpParams);
    s.effect(1, "14", 2);  // a short drive: its Level line is not there
    s.patchEnd().tail();
    Choices c = choicesFor("g5", {{S::AmpGain, 61}, {S::DriveLevel, 90}, {S::ReverbMix, 30}, {S::NoiseReductionLevel, 70}});
    c.types(TypeList::Amp) = typeEntries({"Tweed Lux", "Clean Glass", "Brit Crunch"});
    c.types(TypeList::Drive) = typeEntries({"Fuzz"});
    c.types(TypeList::Reverb) = typeEntries({}, {"Hall"});
    ProcessReport report;
    EditRecord record;
    run(s, c, &report, &record);
    const ProcessOutcome o = outcomeOf(report, ChangeList(record));
    EXPECT_EQ(o.linesChanged, 2u);
    EXPECT_EQ(o.modulesChanged, 2u);
    EXPECT_EQ(o.editsSkipped, 1u);
    std::vector<std::pair<Group, std::string>> notFound;
    for (const auto& n : o.notFound) notFound.emplace_back(n.group, n.type);
    EXPECT_EQ(notFound, (std::vector<std::pair<Group, std::string>>{
                            {Group::NoiseReduction, ""}, {Group::Amp, "Tweed Lux"}, {Group::Amp, "Brit Crunch"}}));
    EXPECT_EQ(o.blocksWithoutTypes, std::vector<Group>{Group::Reverb});
}

TEST(History, UndoAndRedoGoBackAndForthByteForByteWithTheirNotes) {
    const Reviewed r;
    Document doc = r.sheet.document();
    std::string note = "loaded";
    History<std::string> history;
    EXPECT_FALSE(history.canUndo());
    std::vector<std::string> states{savedBytes(doc)};
    Choices louder = r.choices;
    louder[S::PatchLevel].number = 99;
    for (const auto& [after, choices] : {std::pair{"first", r.choices}, std::pair{"second", louder}}) {
        Document before = doc;
        process(doc, testCatalogue(), choices);
        history.changed(std::move(before), std::exchange(note, after));
        states.push_back(savedBytes(doc));
    }
    ASSERT_NE(states[1], states[2]) << "the second Process changes the result of the first";
    const std::vector<std::string> notes{"loaded", "first", "second"};
    for (size_t i : {1, 0}) {
        EXPECT_TRUE(history.undo(doc, note));
        EXPECT_EQ(savedBytes(doc), states[i]);
        EXPECT_EQ(note, notes[i]);
    }
    EXPECT_FALSE(history.undo(doc, note));
    EXPECT_EQ(savedBytes(doc), states[0]);
    for (size_t i : {1, 2}) {
        EXPECT_TRUE(history.redo(doc, note));
        EXPECT_EQ(savedBytes(doc), states[i]);
        EXPECT_EQ(note, notes[i]);
    }
    EXPECT_FALSE(history.redo(doc, note));

    // A new change after an undo drops what could be redone.
    history.undo(doc, note);
    history.changed(Document(doc), "again");
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.undoCount(), 2u);
    history.clear();
    EXPECT_FALSE(history.canUndo());
}

// The budget counts exactly the states held: three fit, a fourth lets the oldest go, and
// states moved by undo and redo, dropped by a new change or cleared count as they should.
TEST(History, TheOldestStatesGoOnceTheBudgetIsExceededButTheLatestStays) {
    const Document doc = Document::fromBytes(std::string(1000, 'x') + "\r\n");  // 1006 bytes held a state
    auto filled = [&](History<int>& history, int states) {
        for (int i = 0; i < states; ++i) history.changed(Document(doc), i);
    };
    Document current = doc;
    int note = 9;
    History<int> history(3100);
    filled(history, 4);
    EXPECT_EQ(history.undoCount(), 3u);
    history.undo(current, note);
    EXPECT_EQ(note, 3);

    // Undo and redo move a state's size between the lists: three still fit after them.
    History<int> moved(3100);
    filled(moved, 2);
    for (int i = 0; i < 3; ++i) {
        moved.undo(current, note);
        moved.redo(current, note);
    }
    moved.changed(Document(doc), 2);
    EXPECT_EQ(moved.undoCount(), 3u);
    // What could be redone and is dropped by a new change no longer counts.
    History<int> dropped(3100);
    filled(dropped, 3);
    for (int i = 0; i < 3; ++i) dropped.undo(current, note);
    filled(dropped, 3);
    EXPECT_EQ(dropped.undoCount(), 3u);
    // Nor does what clear() let go.
    History<int> cleared(3100);
    filled(cleared, 3);
    cleared.clear();
    filled(cleared, 3);
    EXPECT_EQ(cleared.undoCount(), 3u);

    History<int> tiny(1);
    filled(tiny, 2);
    EXPECT_EQ(tiny.undoCount(), 1u);

    // A state without a document counts what its note holds.
    struct Held {
        size_t bytes() const { return 1006; }
    };
    History<Held> notes(3100);
    for (int i = 0; i < 4; ++i) notes.changed(Held{});
    EXPECT_EQ(notes.undoCount(), 3u);
}

// The window's way through the session: Processes kept whole or in part (two of them rewriting
// the same lines, the patch module of "Chain" rewritten twice within one), single cells written,
// one Process without a record, one discarded, then undo and redo several steps deep. Every
// state comes back line for line and byte for byte as the whole copy taken when it was made,
// and each kept state counts the lines that differ from the state before it.
TEST(History, UndoAndRedoInTheSessionGiveEveryStateBackAsItWasMade) {
    const Reviewed r;
    TempDir dir;
    const auto path = dir.path() / "set.g5a";
    std::ofstream(path, std::ios::binary) << savedBytes(r.sheet.document());
    EditingSession session;
    ASSERT_TRUE(session.load(path, testCatalogue()));
    Choices louder = r.choices, quieter = r.choices;
    louder[S::PatchLevel].number = 99;
    louder[S::AmpLevel].number = 121;
    quieter[S::PatchLevel].number = 60;
    std::vector<long long> patchModules;
    for (size_t l = 0; l < r.sheet.lines.size(); ++l)
        if (r.sheet.lines[l] == "  <Module9>") patchModules.push_back(static_cast<long long>(l));
    SettingChoice level;
    level.ticked = true;
    level.number = 42;
    const std::vector<CellEdit> cells{{patchModules.at(1), Group::PatchLevel, "", S::PatchLevel, level}};

    enum Kind { Process, Louder, Unrecorded, Cells, Discard, Undo, Redo };
    struct Step {
        Kind kind;
        bool partly = false;  // every other module kept, the last one ("Chain") not
    };
    const std::vector<Step> steps{{Process, true}, {Louder, true}, {Undo},          {Undo}, {Redo}, {Redo}, {Cells},
                                  {Unrecorded}, {Process, true}, {Undo},   {Undo}, {Undo}, {Redo}, {Discard},
                                  {Redo},    {Redo},        {Undo},          {Undo}, {Undo}, {Undo}, {Redo},
                                  {Louder},  {Undo},        {Redo},          {Process, true}, {Undo}, {Undo}, {Redo}};
    std::vector<std::vector<std::string>> lines{session.document().lines()};
    std::vector<std::string> bytes{savedBytes(session.document())};
    size_t at = 0;  // the current state
    for (size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const Step& step = steps[i];
        if (step.kind == Undo) {
            ASSERT_TRUE(session.undo());
            --at;
        } else if (step.kind == Redo) {
            ASSERT_TRUE(session.redo());
            ++at;
        } else if (step.kind == Discard) {
            session.discard(session.process(louder, testCatalogue()));
        } else {
            EditingSession::Pending p = step.kind == Cells ? session.writeCells(cells, testCatalogue())
                                                           : session.process(step.kind == Louder       ? louder
                                                                             : step.kind == Unrecorded ? quieter
                                                                                                       : r.choices,
                                                                             testCatalogue(), step.kind != Unrecorded);
            std::vector<bool> kept;
            if (step.partly)
                for (size_t m = 0; m < p.changes().modules().size(); ++m) kept.push_back(m % 2 == 1);
            session.keep(std::move(p), kept);
            lines.resize(++at);
            bytes.resize(at);
            lines.push_back(session.document().lines());
            bytes.push_back(savedBytes(session.document()));
            ASSERT_NE(lines[at], lines[at - 1]);
            size_t differing = 0;
            for (size_t l = 0; l < lines[at].size(); ++l) differing += lines[at][l] != lines[at - 1][l];
            EXPECT_EQ(session.state().made->linesChanged, differing);
        }
        EXPECT_EQ(session.document().lines(), lines[at]);
        EXPECT_EQ(savedBytes(session.document()), bytes[at]);
        EXPECT_EQ(session.canRedo(), at + 1 < lines.size());
    }
}
