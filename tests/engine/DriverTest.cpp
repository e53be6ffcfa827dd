// The Process command as a whole: which blocks run, in which order, what they find, and
// what the report says.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

// One G5 patch with every kind of module.
struct G5Patch {
    Mod noise, drive, amp, reverb, patch;
};
G5Patch addG5Patch(Sheet& s, std::string_view name, std::string_view amp = "40") {
    s.patchStart(name);
    G5Patch p;
    p.noise = s.effect(0, "27", kNoiseParams);
    p.drive = s.effect(1, "14", kDriveParams);
    p.amp = s.effect(3, amp, kAmpParams);
    p.reverb = s.effect(4, "20", kReverbParams);
    p.patch = s.settings(9, kPatchParams);
    s.patchEnd();
    return p;
}

void tickAllTypeLists(Choices& c) {
    c.types(TypeList::Amp) = typeEntries({"Clean Glass", "Tweed Lux"});
    c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"});
    c.types(TypeList::Drive) = typeEntries({"Fuzz", "Booster"});
    c.types(TypeList::Reverb) = typeEntries({"Hall", "Air"});
}

}  // namespace

TEST(ProcessDriver, NothingTickedLeavesTheDocumentAndSaysSo) {
    Sheet s;
    s.head();
    addG5Patch(s, "One");
    s.tail();
    Choices c = choicesFor("g5");
    tickAllTypeLists(c);  // ticked effect types alone are no change
    ProcessReport r;
    const auto out = run(s, c, &r);
    EXPECT_TRUE(r.nothingToSave());
    EXPECT_TRUE(r.blocks.empty());
    for (bool flag : r.groupFlags) EXPECT_FALSE(flag);
    EXPECT_EQ(r.linesChanged, 0u);
    EXPECT_TRUE(sameDocument(out, s.lines));
    EXPECT_EQ(kNoChangesToSave, "There are no changes to save.");
}

TEST(ProcessDriver, EachSettingBoxAloneRunsExactlyItsOwnBlock) {
    struct Case { S id; Group group; };
    const Case cases[] = {
        {S::MiscPower, Group::NoiseReduction}, {S::MiscThrsh, Group::NoiseReduction},
        {S::MiscDetect, Group::NoiseReduction}, {S::MiscLevel, Group::NoiseReduction},
        {S::AmpPower, Group::Amp}, {S::AmpAmp, Group::Amp}, {S::AmpGain, Group::Amp}, {S::AmpTube, Group::Amp},
        {S::AmpLevel, Group::Amp}, {S::AmpTreble, Group::Amp}, {S::AmpMiddle, Group::Amp},
        {S::AmpBass, Group::Amp}, {S::AmpPresence, Group::Amp}, {S::AmpCab, Group::Amp},
        {S::B3AmpPower, Group::Amp}, {S::B3AmpAmp, Group::Amp}, {S::B3AmpGain, Group::Amp},
        {S::B3AmpLevel, Group::Amp}, {S::B3AmpTrebl, Group::Amp}, {S::B3AmpMid, Group::Amp},
        {S::B3AmpMidF, Group::Amp}, {S::B3AmpBass, Group::Amp}, {S::B3AmpMix, Group::Amp},
        {S::B3AmpCab, Group::Amp},
        {S::DrivePower, Group::Drive}, {S::DriveDrive, Group::Drive}, {S::DriveGain, Group::Drive},
        {S::DriveTone, Group::Drive}, {S::DriveLevel, Group::Drive}, {S::DriveBalance, Group::Drive},
        {S::DriveBass, Group::Drive}, {S::DriveTrebl, Group::Drive}, {S::DriveMode, Group::Drive},
        {S::ReverbPower, Group::Reverb}, {S::ReverbReverb, Group::Reverb}, {S::ReverbDecay, Group::Reverb},
        {S::ReverbTone, Group::Reverb}, {S::ReverbMix, Group::Reverb}, {S::ReverbPreD, Group::Reverb},
        {S::ReverbHpf, Group::Reverb}, {S::ReverbLevel, Group::Reverb}, {S::ReverbShape, Group::Reverb},
        {S::ReverbSize, Group::Reverb}, {S::ReverbRef, Group::Reverb},
        {S::PatchLevel, Group::PatchLevel}, {S::PatchFootswitch, Group::PatchLevel},
        {S::PatchExpPedal, Group::PatchLevel}, {S::PatchBalance, Group::PatchLevel},
    };
    ASSERT_EQ(std::size(cases), kSettingCount);
    Sheet s;
    s.head();
    addG5Patch(s, "One");
    s.tail();
    for (const auto& cs : cases) {
        Choices c = choicesFor("b3");
        tick(c, cs.id);
        ProcessReport r;
        run(s, c, &r);
        SCOPED_TRACE(std::string(setting(cs.id).stem));
        EXPECT_FALSE(r.nothingToSave());
        for (size_t g = 0; g < kGroupCount; ++g)
            EXPECT_EQ(r.groupFlags[g], g == static_cast<size_t>(cs.group)) << groupName(static_cast<Group>(g));
        ASSERT_EQ(r.blocks.size(), 1u);
        EXPECT_EQ(r.blocks[0].group, cs.group);
    }
}

// One module passes through every block: each block finds it only because the one before
// rewrote its type id, and each later block's lines overwrite the earlier ones.
TEST(ProcessDriver, BlocksRunInFixedOrderEachOnTheResultOfTheOneBefore) {
    Sheet s;
    s.head().patchStart("Chain");
    const Mod m = s.effect(9, "27", kPatchParams);  // the patch module, its Prm1 holding 27
    s.patchEnd().tail();
    const size_t L = m.typeLine();

    Choices c = choicesFor("g5");
    pick(c, S::MiscPower, "OFF");         // noise reduction finds 27: Prm0 at L-1
    c.types(TypeList::Amp) = typeEntries({"Gate"});  // amp 27
    pick(c, S::AmpAmp, "Relay");          // ... becomes 15
    tick(c, S::AmpLevel, 120);            // Prm4 at L+3
    c.types(TypeList::Drive) = typeEntries({"Screamer"});  // drive 15
    pick(c, S::DriveDrive, "Into Spring");  // ... becomes 54
    tick(c, S::DriveTone, 62);            // Prm3 at L+2
    c.types(TypeList::Reverb) = typeEntries({"Spring"});  // reverb 54
    tick(c, S::ReverbDecay, 50);          // Prm2 at L+1: 49
    tick(c, S::ReverbLevel, 88);          // Prm6 at L+5
    tick(c, S::PatchLevel, 75);           // Module9 + 3 = L+1: overwrites the reverb's Decay

    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[L - 1] = prm(0, "0");
    expected[L] = prm(1, "54");
    expected[L + 1] = prm(2, "75");
    expected[L + 2] = prm(3, "62");
    expected[L + 3] = prm(4, "120");
    expected[L + 5] = prm(6, "88");
    EXPECT_TRUE(sameDocument(out, expected));

    const Group order[] = {Group::NoiseReduction, Group::Amp, Group::Drive, Group::Reverb, Group::PatchLevel};
    ASSERT_EQ(r.blocks.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(r.blocks[i].group, order[i]);
        EXPECT_EQ(r.blocks[i].hits, 1u) << groupName(order[i]);
        EXPECT_TRUE(r.groupFlags[i]);
    }
}

TEST(ProcessDriver, BlockWithNoTickedTypeRunsAndChangesNothing) {
    Sheet s;
    s.head();
    addG5Patch(s, "One");
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({}, {"Clean Glass", "Tweed Lux"});
    c.types(TypeList::Drive) = typeEntries({}, {"Fuzz"});
    c.types(TypeList::Reverb) = {};
    tick(c, S::AmpGain, 60);
    tick(c, S::DriveGain, 60);
    tick(c, S::ReverbMix, 60);
    ProcessReport r;
    const auto out = run(s, c, &r);
    EXPECT_TRUE(sameDocument(out, s.lines));
    EXPECT_FALSE(r.nothingToSave());
    ASSERT_EQ(r.blocks.size(), 3u);
    for (const auto& b : r.blocks) {
        EXPECT_EQ(b.hits, 0u);
        EXPECT_EQ(b.editsMade, 0u);
    }
    EXPECT_EQ(r.linesChanged, 0u);
}

TEST(ProcessDriver, TypeMissingFromTheCatalogueFindsNothing) {
    Sheet s;
    s.head();
    addG5Patch(s, "One");
    s.text("        <Prm1>0</Prm1>");  // a line with another id is no hit either
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Ghost Amp"});
    tick(c, S::AmpGain, 60);
    tick(c, S::AmpPower);
    ProcessReport r;
    const auto out = run(s, c, &r);
    EXPECT_TRUE(sameDocument(out, s.lines));
    const BlockReport* amp = blockOf(r, Group::Amp);
    ASSERT_NE(amp, nullptr);
    ASSERT_EQ(amp->types.size(), 1u);
    EXPECT_EQ(amp->types[0].name, "Ghost Amp");
    EXPECT_EQ(amp->types[0].hits, 0u);
}

TEST(ProcessDriver, HitOnTheFirstLineAndNearTheEndSkipOnlyEditsOutsideTheDocument) {
    Sheet s;
    s.text(prm(1, "40")).text(prm(2, "a")).text(prm(3, "b")).text(prm(4, "c"));  // lines 0..3
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "OFF");      // line -1: skipped
    tick(c, S::AmpGain, 61);          // line 1
    tick(c, S::AmpLevel, 63);         // line 3
    tick(c, S::AmpTreble, 64);        // line 4: past the end
    pick(c, S::AmpCab, cabItem("Closed4x12", "C41277"));  // line 8: past the end
    ProcessReport r;
    const auto out = run(s, c, &r);
    EXPECT_TRUE(sameDocument(out, {prm(1, "40"), prm(2, "61"), prm(3, "b"), prm(4, "63")}));
    const BlockReport* amp = blockOf(r, Group::Amp);
    ASSERT_NE(amp, nullptr);
    EXPECT_EQ(amp->hits, 1u);
    EXPECT_EQ(amp->editsMade, 2u);
    EXPECT_EQ(amp->editsSkipped, 3u);
    EXPECT_EQ(r.linesChanged, 2u);
}

TEST(ProcessDriver, HitsIgnoreLetterCaseAndTextAroundTheSearchString) {
    Sheet s;
    s.head().patchStart("Odd");
    // Capital letters throughout the module.
    const size_t caps = s.lines.size();
    s.text("  <MODULE3>").text("        <PRM0>1</PRM0>").text("        <PRM1>40</PRM1>")
        .text("        <PRM2>5</PRM2>").text("  </MODULE3>");
    // Ten leading blanks, and more text after the search string on the same line.
    const size_t wide = s.lines.size();
    s.text("  <Module4>").text(prm(0, "1")).text("          <Prm1>40</Prm1> <!-- moved -->")
        .text(prm(2, "6")).text("  </Module4>");
    s.patchEnd().tail();

    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "OFF");
    tick(c, S::AmpGain, 61);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[caps + 1] = prm(0, "0");
    expected[caps + 3] = prm(2, "61");
    expected[wide + 1] = prm(0, "0");
    expected[wide + 3] = prm(2, "61");
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Amp)->hits, 2u);
}

TEST(ProcessDriver, EveryPatchIsEditedAndOnlyTickedTypes) {
    Sheet s;
    s.head();
    const G5Patch a = addG5Patch(s, "A", "40");
    const G5Patch b = addG5Patch(s, "B", "43");  // Plexi Stack, not ticked
    const G5Patch d = addG5Patch(s, "C", "40");
    const G5Patch e = addG5Patch(s, "D", "41");
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass", "Tweed Lux"}, {"Plexi Stack"});
    tick(c, S::AmpPresence, 44);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const G5Patch* p : {&a, &d, &e}) expected[p->amp.line(8)] = prm(8, "44");
    (void)b;
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport* amp = blockOf(r, Group::Amp);
    ASSERT_EQ(amp->types.size(), 2u);
    EXPECT_EQ(amp->types[0].hits, 2u);
    EXPECT_EQ(amp->types[1].hits, 1u);
    EXPECT_EQ(amp->hits, 3u);
    EXPECT_EQ(r.linesChanged, 3u);
}

TEST(ProcessDriver, TypeTickedTwiceIsSearchedTwice) {
    Sheet s;
    s.head();
    const G5Patch a = addG5Patch(s, "A", "40");
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass", "Clean Glass"});
    tick(c, S::AmpTube, 33);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[a.amp.line(3)] = prm(3, "33");
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport* amp = blockOf(r, Group::Amp);
    ASSERT_EQ(amp->types.size(), 2u);
    EXPECT_EQ(amp->types[0].hits, 1u);
    EXPECT_EQ(amp->types[1].hits, 1u);
}

TEST(ProcessDriver, RewriteWithTheSameTextIsAnEditButNoChangedLine) {
    Sheet s;
    s.head();
    const Mod m = s.module(3, {"1", "40", "50", "50"});
    s.tail();
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "ON");
    tick(c, S::AmpGain, 50);
    tick(c, S::AmpTube, 51);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[m.line(3)] = prm(3, "51");
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Amp)->editsMade, 3u);
    EXPECT_EQ(r.linesChanged, 1u);
}

TEST(ProcessDriver, WithoutAKnownModelNoiseReductionUses27AndPatchLevelDoesNothing) {
    Sheet s;
    s.head();
    const G5Patch p = addG5Patch(s, "A");
    const Mod b3Noise = s.effect(0, "19", kNoiseParams);
    s.tail();
    Choices c = choicesFor("");
    tick(c, S::MiscLevel, 90);
    tick(c, S::PatchLevel, 70);
    pick(c, S::PatchExpPedal, "Input-Volume");
    tick(c, S::PatchBalance, 20);
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    tick(c, S::AmpGain, 60);  // no section "-amp" in the catalogue: no type id
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[p.noise.line(4)] = prm(4, "90");
    (void)b3Noise;
    EXPECT_TRUE(sameDocument(out, expected));
    ASSERT_NE(blockOf(r, Group::PatchLevel), nullptr);
    EXPECT_EQ(blockOf(r, Group::PatchLevel)->hits, 0u);
}

TEST(ProcessDriver, SecondRunOnTheEditedDocumentGivesTheSameText) {
    Sheet s;
    s.head();
    addG5Patch(s, "A");
    addG5Patch(s, "B", "41");
    s.tail();
    Choices c = choicesFor("g5");
    tickAllTypeLists(c);
    tick(c, S::MiscThrsh, 12);
    tick(c, S::AmpGain, 60);
    tick(c, S::DriveLevel, 90);
    tick(c, S::ReverbDecay, 40);
    tick(c, S::PatchLevel, 80);
    Document doc = s.document();
    process(doc, testCatalogue(), c);
    const auto once = doc.lines();
    EXPECT_FALSE(sameDocument(once, s.lines));
    const ProcessReport again = process(doc, testCatalogue(), c);
    EXPECT_TRUE(sameDocument(doc.lines(), once));
    EXPECT_EQ(again.linesChanged, 0u);
}
