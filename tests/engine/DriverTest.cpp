// The Process command as a whole: which blocks run, in which order, what the pass finds,
// and what the report says.

#include <algorithm>
#include <stdexcept>

#include "EngineTestSupport.h"
#include "engine/ProcessDriver.h"
#include "support/SavedBytes.h"

using namespace pf;
using namespace pf::test;

namespace {

// A patch with noise reduction, drive, amp (type `amp`), reverb and the G5 patch module.
Mod g5Patch(Sheet& s, std::string_view amp = "40") {
    s.patch("P");
    s.effect(0, "27", kNoiseParams);
    s.effect(1, "14", kDriveParams);
    const Mod m = s.effect(3, amp, kAmpParams);
    s.effect(4, "20", kReverbParams);
    s.effect(9, "", kPatchParams);
    s.patchEnd();
    return m;
}

}  // namespace

TEST(ProcessDriver, NothingTickedLeavesTheDocumentAndSaysSo) {
    Sheet s;
    g5Patch(s.head());
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});  // ticked effect types alone are no change
    c.types(TypeList::Reverb) = typeEntries({"Hall"});
    ProcessReport r;
    EXPECT_TRUE(sameDocument(run(s, c, &r), s.lines));
    EXPECT_TRUE(r.nothingToSave());
    EXPECT_TRUE(r.blocks.empty());
    EXPECT_EQ(r.summary(), "There are no changes to save.");
}

// One module passes through every block: each block finds it only because the one before
// rewrote its type id, and each later block's lines overwrite the earlier ones.
TEST(ProcessDriver, BlocksRunInFixedOrderEachOnTheResultOfTheOneBefore) {
    Sheet s;
    const Mod m = s.head().patch("Chain").effect(9, "27", kPatchParams);  // the patch module, its Prm1 holding 27
    s.patchEnd().tail();
    Choices c = choicesFor("g5", {{S::NoiseReductionPower, "OFF"},                  // noise reduction finds 27
                                  {S::AmpAmp, "Relay"}, {S::AmpLevel, 120},  // amp "Gate" 27 becomes 15
                                  {S::DriveDrive, "Into Spring"}, {S::DriveTone, 62},  // drive 15 becomes 54
                                  {S::ReverbDecay, 50}, {S::ReverbLevel, 88},  // reverb "Spring" 54
                                  {S::PatchLevel, 75}});  // Module9 + 3: overwrites the reverb's Decay
    c.types(TypeList::Amp) = typeEntries({"Gate"});
    c.types(TypeList::Drive) = typeEntries({"Screamer"});
    c.types(TypeList::Reverb) = typeEntries({"Spring"});
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const auto& [n, v] : Written{{0, "0"}, {1, "54"}, {2, "75"}, {3, "62"}, {4, "120"}, {6, "88"}})
        expected[m.line(n)] = prm(n, v);
    EXPECT_TRUE(sameDocument(out, expected));
    ASSERT_EQ(r.blocks.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(r.blocks[i].group, static_cast<Group>(i));
        EXPECT_EQ(r.blocks[i].hits, 1u);
    }
    EXPECT_EQ(r.linesChanged, 6u);  // the type-id line (27, 15, 54) and Prm2 (49, 75) count once each
}

// The record of the same run: every rewrite that changed a line, in the order made, with the
// block, the hit's type, the setting and the module's header; replayed on the input it gives
// the output, and keeping it changes nothing written.
TEST(ProcessDriver, RecordNamesEveryRewriteAndReplaysToTheResult) {
    Sheet s;
    const Mod m = s.head().patch("Chain").effect(9, "27", kPatchParams);
    s.patchEnd().tail();
    Choices c = choicesFor("g5", {{S::NoiseReductionPower, "OFF"}, {S::AmpAmp, "Relay"}, {S::AmpLevel, 120},
                                  {S::DriveDrive, "Into Spring"}, {S::DriveTone, 62}, {S::ReverbDecay, 50},
                                  {S::ReverbLevel, 88}, {S::PatchLevel, 75}});
    c.types(TypeList::Amp) = typeEntries({"Gate"});
    c.types(TypeList::Drive) = typeEntries({"Screamer"});
    c.types(TypeList::Reverb) = typeEntries({"Spring"});
    EditRecord record;
    const auto out = run(s, c, nullptr, &record);
    EXPECT_EQ(out, run(s, c));

    auto replayed = s.lines;
    for (const auto& e : record) {
        ASSERT_LT(e.line, replayed.size());
        EXPECT_EQ(replayed[e.line], e.before) << "line " << e.line;
        EXPECT_NE(e.before, e.after);
        replayed[e.line] = e.after;
        EXPECT_EQ(e.moduleLine, static_cast<long long>(m.header));
        EXPECT_EQ(e.module, "  <Module9>");
        EXPECT_EQ(groupName(setting(e.setting).group), groupName(e.group)) << "the setting belongs to its block";
    }
    EXPECT_TRUE(sameDocument(replayed, out));
    struct Seen { Group group; const char* type; SettingId setting; size_t line; const char* after; };
    const Seen expected[] = {
        {Group::NoiseReduction, "<Prm1>27</Prm1>", S::NoiseReductionPower, m.line(0), "0"},
        {Group::Amp, "Gate", S::AmpAmp, m.line(1), "15"},
        {Group::Drive, "Screamer", S::DriveDrive, m.line(1), "54"},
        {Group::Reverb, "Spring", S::ReverbLevel, m.line(6), "88"},
        {Group::PatchLevel, "<Module9>", S::PatchLevel, m.line(2), "75"},
    };
    for (const auto& x : expected) {
        const bool found = std::any_of(record.begin(), record.end(), [&](const RecordedEdit& e) {
            return e.group == x.group && e.type == x.type && e.setting == x.setting && e.line == x.line &&
                   e.after == prm(static_cast<int>(x.line - m.line(0)), x.after);
        });
        EXPECT_TRUE(found) << groupName(x.group) << " " << x.type << " line " << x.line;
    }
}

// "N lines changed" counts distinct lines whose final text differs from the text before
// Process, however often they were written: the amp block writes the G5/G3X and the B3 Amp
// settings into the same lines, the latter plus ten, and a type change brings the next
// ticked type's scan back to the module.
TEST(ProcessDriver, LinesChangedCountsLinesThatEndDifferentNotWrites) {
    struct Case {
        const char* name;
        std::vector<Set> sets;
        std::vector<TypeEntry> types;
        Written written;  // the module's lines that end different
        size_t editsMade;
    };
    const auto glass = typeEntries({"Clean Glass"});
    const std::vector<Case> cases = {
        {"rewritten with its own text", {{S::AmpGain, 12}, {S::AmpPower, "ON"}}, glass, {}, 2},
        {"written twice, two new texts", {{S::AmpGain, 60}, {S::B3AmpBass, -5}}, glass, {{2, "5"}}, 2},
        {"written, then back to its text", {{S::AmpGain, 60}, {S::B3AmpBass, 2}}, glass, {}, 2},
        {"every kind at once",
         {{S::AmpGain, 60}, {S::B3AmpBass, 2}, {S::AmpTube, 30}, {S::AmpLevel, 51}, {S::B3AmpTrebl, -10},
          {S::AmpPower, "OFF"}, {S::B3AmpPower, "ON"}, {S::AmpMiddle, 99}},
         glass, {{4, "0"}, {6, "99"}}, 8},
        {"a type change meets the module again",
         {{S::AmpAmp, "Tweed Lux"}, {S::AmpGain, 60}}, typeEntries({"Clean Glass", "Tweed Lux"}),
         {{1, "41"}, {2, "60"}}, 4},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Sheet s;
        s.head().patch("P");
        const Mod m = s.module(3, {"1", "40", "12", "30", "50", "60", "70", "80", "90", "100"});
        s.patchEnd().tail();
        Choices c = choicesFor("g5", k.sets);
        c.types(TypeList::Amp) = k.types;
        ProcessReport r;
        auto expected = s.lines;
        for (const auto& [n, v] : k.written) expected[m.line(n)] = prm(n, v);
        EXPECT_TRUE(sameDocument(run(s, c, &r), expected));
        EXPECT_EQ(r.blocks.at(0).editsMade, k.editsMade);
        EXPECT_EQ(r.linesChanged, k.written.size());
    }
}

// Setting boxes ticked while no type (or only a type the catalogue lacks) is ticked: the
// blocks run and change nothing.
TEST(ProcessDriver, NoTickedTypeOrUnknownTypeChangesNothing) {
    Sheet s;
    g5Patch(s.head());
    s.tail();
    Choices c = choicesFor("g5", {{S::AmpGain, 60}, {S::AmpPower, "OFF"}, {S::DriveGain, 60}, {S::ReverbMix, 60}});
    c.types(TypeList::Amp) = typeEntries({"Ghost Amp"}, {"Clean Glass"});
    c.types(TypeList::Drive) = typeEntries({}, {"Fuzz"});
    ProcessReport r;
    EXPECT_TRUE(sameDocument(run(s, c, &r), s.lines));
    ASSERT_EQ(r.blocks.size(), 3u);
    for (const auto& b : r.blocks) EXPECT_EQ(b.hits, 0u);
    EXPECT_EQ(r.blocks[0].types.at(0).name, "Ghost Amp");
    EXPECT_EQ(r.linesChanged, 0u);
}

TEST(ProcessDriver, HitOnTheFirstLineAndNearTheEndSkipOnlyEditsOutsideTheDocument) {
    Sheet s;
    s.text(prm(1, "40")).text(prm(2, "a")).text(prm(3, "b")).text(prm(4, "c"));
    Choices c = choicesFor("g5", {{S::AmpPower, "OFF"}, {S::AmpGain, 61}, {S::AmpLevel, 63}, {S::AmpTreble, 64},
                                  {S::AmpCab, " Closed4x12  C412"}});  // -1, +1, +3 in; +4, +8 out
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    ProcessReport r;
    EXPECT_TRUE(sameDocument(run(s, c, &r), {prm(1, "40"), prm(2, "61"), prm(3, "b"), prm(4, "63")}));
    EXPECT_EQ(r.blocks.at(0).editsMade, 2u);
    EXPECT_EQ(r.blocks.at(0).editsSkipped, 3u);
    EXPECT_EQ(r.linesChanged, 2u);
}

// Capital letters, ten leading blanks and text after the search string: still hits, on
// their own lines; a line holding the search string twice is hit twice. Only ticked types
// in every patch, in text order; a type ticked twice is searched twice.
TEST(ProcessDriver, HitsIgnoreLetterCaseAndTextAroundAndCoverEveryPatch) {
    Sheet s;
    s.head().patch("Odd");
    const size_t caps = s.lines.size();
    s.text("  <MODULE3>").text("        <PRM0>1</PRM0>").text("        <PRM1>40</PRM1>").text("        <PRM2>5</PRM2>");
    const size_t wide = s.lines.size();
    s.text(prm(0, "1")).text("          <Prm1>40</Prm1>        <Prm1>40</Prm1> <!-- x -->").text(prm(2, "6")).patchEnd();
    const Mod a = g5Patch(s), b = g5Patch(s, "41");
    g5Patch(s, "43");  // Plexi Stack, not ticked
    s.tail();
    Choices c = choicesFor("g5", {{S::AmpPower, "OFF"}, {S::AmpGain, 61}});
    c.types(TypeList::Amp) = typeEntries({"Clean Glass", "Tweed Lux", "Clean Glass"}, {"Plexi Stack"});
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (size_t L : {caps + 2, wide + 1, a.typeLine(), b.typeLine()}) {
        expected[L - 1] = prm(0, "0");
        expected[L + 1] = prm(2, "61");
    }
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport& amp = r.blocks.at(0);
    ASSERT_EQ(amp.types.size(), 3u);
    EXPECT_EQ(amp.types[0].hits, 4u);
    EXPECT_EQ(amp.types[1].hits, 1u);
    EXPECT_EQ(amp.types[2].hits, 4u);
    EXPECT_EQ(amp.editsMade, 18u);  // the second "Clean Glass" pass rewrites lines with the same text:
    EXPECT_EQ(r.linesChanged, 8u);  // edits, but no further changed lines
}

// Without a known model the noise-reduction block looks for 27 and the patch-level block
// has no header to look for.
TEST(ProcessDriver, WithoutAKnownModel) {
    expectEdits(choicesFor("", {{S::NoiseReductionLevel, 90}}), Group::NoiseReduction, {0, "27", kNoiseParams}, {{4, "90"}},
                {{0, "19", kNoiseParams}, {1, "14", kDriveParams}});
    expectEdits(choicesFor("", {{S::PatchLevel, 70}, {S::PatchExpPedal, "Input-Volume"}, {S::PatchBalance, 20}}),
                Group::PatchLevel, {9, "", kPatchParams}, {}, {{3, "", kPatchParams}, {6, "", kPatchParams}}, 0);
}

// Process is all or nothing: a block that fails part-way, after an earlier block and its own
// earlier hits rewrote lines (one of them twice, one longer), leaves the document
// byte-identical, runs no later block, and its error reaches the caller. The document then
// processes as if freshly loaded.
TEST(ProcessDriver, ABlockFailingPartWayUndoesTheWholeCommandAndPassesItsErrorOn) {
    Sheet s;
    s.head();
    g5Patch(s);
    g5Patch(s);
    s.tail();
    Document doc = s.document();
    const std::string before = savedBytes(doc);
    const Choices c = choicesFor("g5", {{S::NoiseReductionLevel, 90}, {S::AmpGain, 61}, {S::DriveGain, 62}});

    size_t changedWhenFailing = 0;
    bool laterBlockRan = false;
    const BlockStep blocks[] = {
        {Group::NoiseReduction, runNoiseReductionEdits},
        {Group::Amp, [&](const BlockInput& in) {
             BlockReport r;
             size_t hits = 0;
             runFixedPass(in, typeIdSearchString("40"), r, [&](long long L) {
                 in.session.writeParameter(L + 1, 2, "61");
                 in.session.writeParameter(L + 1, 2, longValue(300));
                 if (++hits == 2) {
                     changedWhenFailing = in.session.linesChanged();
                     throw std::runtime_error("'6x' is not a valid integer value");
                 }
                 in.session.writeParameter(L, 1, "41");
             });
             return r;
         }},
        {Group::Drive, [&](const BlockInput&) { laterBlockRan = true; return BlockReport{}; }},
    };
    try {
        processWithBlocks(doc, testCatalogue(), c, blocks);
        ADD_FAILURE() << "the failure did not reach the caller";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "'6x' is not a valid integer value");
    }
    EXPECT_EQ(changedWhenFailing, 5u);  // two noise levels; Prm1 and Prm2 of the first amp, Prm2 of the second
    EXPECT_FALSE(laterBlockRan);
    EXPECT_EQ(savedBytes(doc), before);

    Document fresh = s.document();
    const ProcessReport expected = process(fresh, testCatalogue(), c);
    const ProcessReport again = process(doc, testCatalogue(), c);
    EXPECT_EQ(savedBytes(doc), savedBytes(fresh));
    EXPECT_EQ(again.linesChanged, expected.linesChanged);
}
