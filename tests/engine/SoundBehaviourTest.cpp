// Guarantees of the edit pass beyond a well-formed file: no module is skipped or visited
// twice when edits change line lengths, no structure line is overwritten, and no value is
// written below what its control offers.

#include <functional>

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

// A block's view of one module type: how to build it and what to tick so that Power goes
// to OFF (the line above the type-id line) and Prm2 (the line below) gets `prm2`.
struct BlockCase {
    const char* name;
    std::string model;
    int moduleNumber;
    std::string typeId;
    int params;
    std::function<void(Choices&)> setup;
    std::string prm2;
    Group group;
};

std::vector<BlockCase> powerAndPrm2Cases() {
    return {
        {"noise reduction", "g5", 0, "27", kNoiseParams,
         [](Choices& c) { pick(c, S::MiscPower, "OFF"); tick(c, S::MiscThrsh, 5); }, "4", Group::NoiseReduction},
        {"amp", "g5", 3, "40", kAmpParams,
         [](Choices& c) {
             c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
             pick(c, S::AmpPower, "OFF");
             tick(c, S::AmpGain, 61);
         }, "61", Group::Amp},
        {"B3 amp", "b3", 3, "60", kB3AmpParams,
         [](Choices& c) {
             c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"});
             pick(c, S::B3AmpPower, "OFF");
             tick(c, S::B3AmpBass, 3);
         }, "13", Group::Amp},
        {"drive", "g5", 1, "14", kDriveParams,
         [](Choices& c) {
             c.types(TypeList::Drive) = typeEntries({"Fuzz"});
             pick(c, S::DrivePower, "OFF");
             tick(c, S::DriveGain, 62);
         }, "62", Group::Drive},
        {"reverb", "g5", 4, "20", kReverbParams,
         [](Choices& c) {
             c.types(TypeList::Reverb) = typeEntries({"Hall"});
             pick(c, S::ReverbPower, "OFF");
             tick(c, S::ReverbDecay, 50);
         }, "49", Group::Reverb},
    };
}

constexpr int kModules = 4;

}  // namespace

// A rewrite that shortens the line above the first hit by thousands of characters: the
// following modules of the same type, all within that distance, are still edited.
TEST(EditPassNoModuleSkipped, ShorterLineAboveTheHit) {
    for (const auto& bc : powerAndPrm2Cases()) {
        SCOPED_TRACE(bc.name);
        Sheet s;
        s.head();
        std::vector<Mod> mods;
        for (int i = 0; i < kModules; ++i) {
            s.patchStart("P" + std::to_string(i));
            mods.push_back(s.effect(bc.moduleNumber, bc.typeId, bc.params));
            s.patchEnd();
        }
        s.tail();
        s.lines[mods[0].line(0)] = prm(0, std::string(3000, '1'));

        Choices c = choicesFor(bc.model);
        bc.setup(c);
        ProcessReport r;
        const auto out = run(s, c, &r);
        auto expected = s.lines;
        for (const Mod& m : mods) {
            expected[m.line(0)] = prm(0, "0");
            expected[m.line(2)] = prm(2, bc.prm2);
        }
        EXPECT_TRUE(sameDocument(out, expected));
        const BlockReport* b = blockOf(r, bc.group);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->hits, static_cast<size_t>(kModules));
        EXPECT_EQ(b->editsMade, 2u * kModules);
    }
}

// A type change that shortens the hit line itself (the hit stood after 3000 blanks).
TEST(EditPassNoModuleSkipped, ShorterHitLine) {
    struct Case {
        const char* name;
        int moduleNumber;
        std::string typeId, newTypeId;
        int params;
        std::function<void(Choices&)> setup;
        Group group;
    };
    const Case cases[] = {
        {"amp", 3, "40", "41", kAmpParams,
         [](Choices& c) {
             c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
             pick(c, S::AmpAmp, "Tweed Lux");
             tick(c, S::AmpGain, 61);
         }, Group::Amp},
        {"drive", 1, "14", "15", kDriveParams,
         [](Choices& c) {
             c.types(TypeList::Drive) = typeEntries({"Fuzz"});
             pick(c, S::DriveDrive, "Screamer");
             tick(c, S::DriveGain, 61);
         }, Group::Drive},
        {"reverb", 4, "20", "105", kReverbParams,
         [](Choices& c) {
             c.types(TypeList::Reverb) = typeEntries({"Hall"});
             pick(c, S::ReverbReverb, "HD Reverb");
             tick(c, S::ReverbDecay, 61);  // HD Reverb: as shown
         }, Group::Reverb},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        Sheet s;
        s.head();
        std::vector<Mod> mods;
        for (int i = 0; i < kModules; ++i) mods.push_back(s.effect(cs.moduleNumber, cs.typeId, cs.params));
        s.tail();
        s.lines[mods[0].typeLine()] = std::string(3000, ' ') + prm(1, cs.typeId);

        Choices c = choicesFor("g5");
        cs.setup(c);
        ProcessReport r;
        const auto out = run(s, c, &r);
        auto expected = s.lines;
        for (const Mod& m : mods) {
            expected[m.typeLine()] = prm(1, cs.newTypeId);
            expected[m.line(2)] = prm(2, "61");
        }
        EXPECT_TRUE(sameDocument(out, expected));
        EXPECT_EQ(blockOf(r, cs.group)->hits, static_cast<size_t>(kModules));
    }
}

// A rewrite that lengthens the line above the hit does not bring the same module back.
TEST(EditPassNoModuleVisitedTwice, LongerLineAboveTheHit) {
    for (const auto& bc : powerAndPrm2Cases()) {
        SCOPED_TRACE(bc.name);
        Sheet s;
        s.head();
        std::vector<Mod> mods;
        for (int i = 0; i < kModules; ++i) mods.push_back(s.effect(bc.moduleNumber, bc.typeId, bc.params));
        s.tail();
        for (const Mod& m : mods) s.lines[m.line(0)] = "<Prm0>1</Prm0>";

        Choices c = choicesFor(bc.model);
        bc.setup(c);
        ProcessReport r;
        const auto out = run(s, c, &r);
        auto expected = s.lines;
        for (const Mod& m : mods) {
            expected[m.line(0)] = prm(0, "0");
            expected[m.line(2)] = prm(2, bc.prm2);
        }
        EXPECT_TRUE(sameDocument(out, expected));
        const BlockReport* b = blockOf(r, bc.group);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->hits, static_cast<size_t>(kModules));
        EXPECT_EQ(b->editsMade, 2u * kModules);
    }
}

TEST(EditPassNoModuleVisitedTwice, ModuleGivenItsOwnTypeAgain) {
    Sheet s;
    s.head();
    const Mod a = s.effect(3, "40", kAmpParams);
    const Mod b = s.effect(3, "40", kAmpParams);
    s.tail();
    s.lines[a.typeLine()] = std::string(40, ' ') + prm(1, "40");  // rewritten shorter than the hit's column
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpAmp, "Clean Glass");
    tick(c, S::AmpTube, 20);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const Mod* m : {&a, &b}) {
        expected[m->typeLine()] = prm(1, "40");
        expected[m->line(3)] = prm(3, "20");
    }
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Amp)->hits, 2u);
}

// Where a module is laid out differently, an edit whose line is not a parameter line of its
// own number leaves that line alone and is counted as skipped.
TEST(EditPassNoStructureOverwritten, ShortAmpModuleBeforeTheNextModule) {
    Sheet s;
    s.head().patchStart("Short");
    const Mod amp = s.module(3, {"1", "40", "11", "12", "13"});  // Prm0..Prm4 only
    s.effect(4, "20", kReverbParams);
    s.patchEnd().tail();
    const size_t L = amp.typeLine();

    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "OFF");
    tick(c, S::AmpGain, 61);
    tick(c, S::AmpTube, 62);
    tick(c, S::AmpLevel, 63);
    tick(c, S::AmpTreble, 64);     // L+4: the closing line
    tick(c, S::AmpMiddle, 65);     // L+5: the next module's header
    tick(c, S::AmpBass, 66);       // L+6: its Prm0
    tick(c, S::AmpPresence, 67);   // L+7: its type-id line
    pick(c, S::AmpCab, cabItem("Closed4x12", "C41277"));  // L+8: its Prm2
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[L - 1] = prm(0, "0");
    expected[L + 1] = prm(2, "61");
    expected[L + 2] = prm(3, "62");
    expected[L + 3] = prm(4, "63");
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport* b = blockOf(r, Group::Amp);
    EXPECT_EQ(b->editsMade, 4u);
    EXPECT_EQ(b->editsSkipped, 5u);
}

TEST(EditPassNoStructureOverwritten, MissingParameterShiftsTheRest) {
    Sheet s;
    s.head();
    const size_t h = s.lines.size();
    s.text(moduleHeader(3)).text(prm(0, "1")).text(prm(1, "140")).text(prm(2, "11"));
    for (int n = 4; n <= 9; ++n) s.text(prm(n, "1" + std::to_string(n)));  // no Prm3
    s.text(moduleEnd(3)).tail();
    const size_t L = h + 2;

    Choices c = choicesFor("g3x");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "OFF");
    tick(c, S::AmpGain, 61);
    tick(c, S::AmpTube, 62);      // finds <Prm4>
    tick(c, S::AmpLevel, 63);     // finds <Prm5>
    tick(c, S::AmpTreble, 64);
    tick(c, S::AmpMiddle, 65);
    tick(c, S::AmpBass, 66);
    tick(c, S::AmpPresence, 67);  // finds <Prm9>
    pick(c, S::AmpCab, cabItem("Closed4x12", "C412177"));  // finds the closing line
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[L - 1] = prm(0, "0");
    expected[L + 1] = prm(2, "61");
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Amp)->editsMade, 2u);
    EXPECT_EQ(blockOf(r, Group::Amp)->editsSkipped, 7u);
}

TEST(EditPassNoStructureOverwritten, ParameterLinesAreKnownByTagNotByLayout) {
    Sheet s;
    s.head();
    const size_t h = s.lines.size();
    s.text(moduleHeader(3))
        .text("\t\t<Prm0>1</Prm0>")              // tabs: a Prm0 line
        .text(prm(1, "40"))
        .text("    <prm2>5</prm2>")              // other letter case, four blanks
        .text("<PRM3>7</PRM3>")                  // no blanks at all
        .text(" \t <Prm4>9</Prm4> <!-- x -->")   // mixed blanks, text after it
        .text("        <Prm50>1</Prm50>")        // Prm50 is not Prm5
        .text("        <!-- <Prm6>1</Prm6> -->") // a comment is not a parameter line
        .text("        <Prm 7>1</Prm 7>")        // nor is a broken tag
        .text("        <Prm8/>")                 // nor a tag without the closing bracket after N
        .text(prm(9, "3"))
        .text(moduleEnd(3));
    s.tail();
    const size_t L = h + 2;

    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "OFF");
    tick(c, S::AmpGain, 61);
    tick(c, S::AmpTube, 62);
    tick(c, S::AmpLevel, 63);
    tick(c, S::AmpTreble, 64);
    tick(c, S::AmpMiddle, 65);
    tick(c, S::AmpBass, 66);
    tick(c, S::AmpPresence, 67);
    pick(c, S::AmpCab, cabItem("Closed4x12", "C41277"));
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[L - 1] = prm(0, "0");
    expected[L + 1] = prm(2, "61");
    expected[L + 2] = prm(3, "62");
    expected[L + 3] = prm(4, "63");
    expected[L + 8] = prm(9, "77");
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Amp)->editsMade, 5u);
    EXPECT_EQ(blockOf(r, Group::Amp)->editsSkipped, 4u);
}

TEST(EditPassNoStructureOverwritten, ShortNoiseReductionAndPatchModules) {
    Sheet s;
    s.head().patchStart("Short");
    const Mod noise = s.module(0, {"1", "19", "8"});          // Prm0..Prm2
    const Mod patch = s.module(3, {"60", "0", "71", "72"});   // Prm0..Prm3
    s.effect(4, "20", kReverbParams);
    s.patchEnd().tail();

    Choices c = choicesFor("b3");
    pick(c, S::MiscPower, "OFF");
    tick(c, S::MiscThrsh, 5);          // +1 Prm2
    pick(c, S::MiscDetect, "EfxIn");   // +2: closing line
    tick(c, S::MiscLevel, 90);         // +3: next header
    tick(c, S::PatchLevel, 80);        // +1 Prm0
    pick(c, S::PatchFootswitch, "Mute");  // +2 Prm1
    pick(c, S::PatchExpPedal, "Output-Volume");  // +6: the next module's header; +4 Prm3
    tick(c, S::PatchBalance, 30);      // +8: its type-id line
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[noise.line(0)] = prm(0, "0");
    expected[noise.line(2)] = prm(2, "4");
    expected[patch.line(0)] = prm(0, "80");
    expected[patch.line(1)] = prm(1, "5");
    expected[patch.line(3)] = prm(3, "6");
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::NoiseReduction)->editsSkipped, 2u);
    EXPECT_EQ(blockOf(r, Group::PatchLevel)->editsSkipped, 2u);
}

// Reverb Decay is written one less for most types; at 0 it stays 0.
TEST(WrittenValuesStayInRange, ReverbDecayZero) {
    struct Case { std::string model, typeName, typeId; };
    const Case cases[] = {
        {"g5", "Hall", "20"}, {"g5", "Early Reflections", "65"}, {"g5", "HD Reverb", "105"},
        {"g3x", "Hall", "120"}, {"b3", "Hall", "20"}, {"b3", "Early Reflections", "54"}, {"b3", "HD Reverb", "65"},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + cs.typeName);
        Sheet s;
        s.head();
        const Mod m = s.effect(4, cs.typeId, kReverbParams);
        s.tail();
        Choices c = choicesFor(cs.model);
        c.types(TypeList::Reverb) = typeEntries({cs.typeName});
        tick(c, S::ReverbDecay, 0);
        auto expected = s.lines;
        expected[m.line(2)] = prm(2, "0");
        EXPECT_TRUE(sameDocument(run(s, c), expected));
    }
}

// Every spin edit at its minimum, every block, every special layout: no value written is
// negative.
TEST(WrittenValuesStayInRange, EverySpinAtItsMinimumWritesNoNegativeValue) {
    for (const std::string model : {"g5", "g3x", "b3"}) {
        SCOPED_TRACE(model);
        Sheet s;
        s.head().patchStart("All");
        s.effect(0, model == "b3" ? "19" : "27", kNoiseParams);
        for (const char* id : {"76", "78", "14", "31", "114"}) s.effect(1, id, kDriveParams);
        s.effect(3, model == "b3" ? "60" : model == "g3x" ? "140" : "40", kB3AmpParams);
        for (const char* id : {"20", "120", "105", "65", "66", "54", "55"}) s.effect(4, id, kReverbParams);
        s.settings(model == "g5" ? 9 : model == "g3x" ? 6 : 3, kPatchParams);
        s.patchEnd().tail();

        Choices c = choicesFor(model);
        for (const auto& def : settings()) {
            if (def.kind == ValueKind::Spin) tick(c, def.id, def.minimum);
        }
        c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
        c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"});
        c.types(TypeList::Drive) = typeEntries({"Booster", "Bass Muff", "Fuzz", "Octave"});
        c.types(TypeList::Reverb) =
            typeEntries({"Hall", "HD Reverb", "Early Reflections", "Air", "Spring", "Plate", "Room"});
        ProcessReport r;
        const auto out = run(s, c, &r);
        EXPECT_GT(r.linesChanged, 20u);
        for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i].find(">-"), std::string::npos) << out[i];
    }
}

// A type edit that cannot be made (the hit line holds more than the type-id line) leaves the
// module of its old type, and the rest of the edits keep the old type's layout.
TEST(EditPassNoStructureOverwritten, SkippedTypeEditKeepsTheOldLayout) {
    Sheet s;
    s.head();
    const Mod booster = s.effect(1, "76", kDriveParams);
    s.tail();
    const size_t L = booster.typeLine();
    s.lines[L] = "  <!-- -->" + prm(1, "76");

    Choices c = choicesFor("b3");
    c.types(TypeList::Drive) = typeEntries({"Booster"});
    pick(c, S::DriveDrive, "Bass Muff");
    tick(c, S::DriveLevel, 90);
    const auto out = run(s, c);
    auto expected = s.lines;
    expected[L + 4] = prm(5, "90");  // the Booster's Level, not the Bass Muff's Prm4
    EXPECT_TRUE(sameDocument(out, expected));
}
