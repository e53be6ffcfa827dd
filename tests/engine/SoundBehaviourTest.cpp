// Guarantees of the edit pass beyond a well-formed file: no module is skipped or visited
// twice when edits change line lengths, no structure line is overwritten, no value is
// written below what its control offers, and a type edit that cannot be made keeps the
// module's old layout.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;

namespace {

enum Distortion {
    LongLineAbove,     // the first module's Prm0 holds 3000 characters: Power shortens it
    ShortLinesAbove,   // every Prm0 lacks its blanks: Power lengthens the line above the hit
    LongHitLine,       // the first type-id line stands after 3000 blanks: the type edit shortens it
    IndentedHitLines,  // every type-id line stands after 40 blanks: the type edit shortens it
};

struct PassCase {
    const char* name;
    std::string model;
    ModuleDef mod;
    TypeList list;
    const char* type;
    std::vector<Set> sets;
    Written written;
    std::vector<Distortion> distortions;
};

}  // namespace

// Four modules of one type in four patches; the literal restart at "previous position + 1"
// in the edited text would skip the later ones (a line above a hit got shorter) or visit a
// module twice (it got longer).
TEST(EditPass, NoModuleSkippedOrVisitedTwiceWhenLinesChangeLength) {
    const std::vector<Distortion> above = {LongLineAbove, ShortLinesAbove};
    const PassCase cases[] = {
        {"noise", "g5", {0, "27", kNoiseParams}, TypeList::Amp, nullptr, {{S::NoiseReductionPower, "OFF"}, {S::NoiseReductionThrsh, 5}},
         {{0, "0"}, {2, "4"}}, above},
        {"amp", "g5", {3, "40", kAmpParams}, TypeList::Amp, "Clean Glass", {{S::AmpPower, "OFF"}, {S::AmpGain, 61}},
         {{0, "0"}, {2, "61"}}, above},
        {"B3 amp", "b3", {3, "60", kB3AmpParams}, TypeList::B3Amp, "Bass Stack",
         {{S::B3AmpPower, "OFF"}, {S::B3AmpBass, 3}}, {{0, "0"}, {2, "13"}}, above},
        {"drive", "g5", {1, "14", kDriveParams}, TypeList::Drive, "Fuzz", {{S::DrivePower, "OFF"}, {S::DriveGain, 62}},
         {{0, "0"}, {2, "62"}}, above},
        {"reverb", "g5", {4, "20", kReverbParams}, TypeList::Reverb, "Hall",
         {{S::ReverbPower, "OFF"}, {S::ReverbDecay, 50}}, {{0, "0"}, {2, "49"}}, above},
        {"amp type", "g5", {3, "40", kAmpParams}, TypeList::Amp, "Clean Glass",
         {{S::AmpAmp, "Tweed Lux"}, {S::AmpGain, 61}}, {{1, "41"}, {2, "61"}}, {LongHitLine}},
        {"drive type", "g5", {1, "14", kDriveParams}, TypeList::Drive, "Fuzz",
         {{S::DriveDrive, "Screamer"}, {S::DriveGain, 61}}, {{1, "15"}, {2, "61"}}, {LongHitLine}},
        {"reverb type", "g5", {4, "20", kReverbParams}, TypeList::Reverb, "Hall",
         {{S::ReverbReverb, "HD Reverb"}, {S::ReverbDecay, 61}}, {{1, "105"}, {2, "61"}}, {LongHitLine}},
        {"own type again", "g5", {3, "40", kAmpParams}, TypeList::Amp, "Clean Glass",
         {{S::AmpAmp, "Clean Glass"}, {S::AmpTube, 20}}, {{1, "40"}, {3, "20"}}, {IndentedHitLines}},
    };
    for (const auto& cs : cases) {
        for (const Distortion d : cs.distortions) {
            SCOPED_TRACE(std::string(cs.name) + " " + std::to_string(d));
            Sheet s;
            s.head();
            std::vector<Mod> mods;
            for (int i = 0; i < 4; ++i) {
                mods.push_back(s.patch("P").effect(cs.mod.number, cs.mod.typeId, cs.mod.params));
                s.patchEnd();
            }
            s.tail();
            for (const Mod& m : mods) {
                const bool first = &m == &mods[0];
                if (d == LongLineAbove && first) s.lines[m.line(0)] = prm(0, std::string(3000, '1'));
                if (d == ShortLinesAbove) s.lines[m.line(0)] = "<Prm0>1</Prm0>";
                if (d == LongHitLine && first) s.lines[m.line(1)] = std::string(3000, ' ') + prm(1, cs.mod.typeId);
                if (d == IndentedHitLines) s.lines[m.line(1)] = std::string(40, ' ') + prm(1, cs.mod.typeId);
            }
            Choices c = choicesFor(cs.model, cs.sets);
            if (cs.type) c.types(cs.list) = typeEntries({cs.type});
            ProcessReport r;
            const auto out = run(s, c, &r);
            auto expected = s.lines;
            for (const Mod& m : mods)
                for (const auto& [n, v] : cs.written) expected[m.line(n)] = prm(n, v);
            EXPECT_TRUE(sameDocument(out, expected));
            EXPECT_EQ(r.blocks.at(0).hits, 4u);
            EXPECT_EQ(r.blocks.at(0).editsMade, 8u);
        }
    }
}

// An edit replaces its line only when that line is a parameter line of its own number:
// after blanks and tabs, "<PrmN>" in any letter case. Other lines are counted as skipped.
TEST(EditPass, ParameterLinesAreKnownByTagNotByPlace) {
    Sheet s;
    const size_t h = s.head().lines.size();
    s.text("  <Module3>")
        .text("\t\t<Prm0>1</Prm0>")               // tabs: a Prm0 line
        .text(prm(1, "40"))
        .text("    <prm2>5</prm2>")               // other letter case, four blanks
        .text("<PRM3>7</PRM3>")                   // no blanks at all
        .text(" \t <Prm4>9</Prm4> <!-- x -->")    // mixed blanks, text after it
        .text("        <Prm50>1</Prm50>")         // Prm50 is not Prm5
        .text("        <!-- <Prm6>1</Prm6> -->")  // a comment is not a parameter line
        .text("        <Prm 7>1</Prm 7>")         // nor is a broken tag
        .text("        <Prm8/>")                  // nor a tag without ">" after N
        .text(prm(9, "3")).text("  </Module3>").tail();
    Choices c = choicesFor("g5", {{S::AmpPower, "OFF"}, {S::AmpGain, 61}, {S::AmpTube, 62}, {S::AmpLevel, 63},
                                  {S::AmpTreble, 64}, {S::AmpMiddle, 65}, {S::AmpBass, 66}, {S::AmpPresence, 67},
                                  {S::AmpCab, " Closed4x12  C412"}});
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const auto& [n, v] : Written{{0, "0"}, {2, "61"}, {3, "62"}, {4, "63"}, {9, "77"}})
        expected[h + 1 + n] = prm(n, v);
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(r.blocks.at(0).editsMade, 5u);
    EXPECT_EQ(r.blocks.at(0).editsSkipped, 4u);
}

// Short modules: the closing line, the next module's header and its lines stand where the
// tables expect further parameters; they are left alone.
TEST(EditPass, ShortModulesKeepTheLinesAfterThem) {
    Sheet s;
    s.head().patch("Short");
    const Mod noise = s.module(0, {"1", "19", "8"});             // Prm0..Prm2
    const Mod patch = s.module(3, {"60", "0", "71", "72"});      // Prm0..Prm3
    const Mod amp = s.module(2, {"1", "60", "11", "12", "13"});  // Prm0..Prm4
    s.effect(4, "20", kReverbParams);
    s.patchEnd().tail();
    Choices c = choicesFor("b3", {{S::NoiseReductionPower, "OFF"}, {S::NoiseReductionThrsh, 5}, {S::NoiseReductionDetect, "EfxIn"},
                                  {S::NoiseReductionLevel, 90}, {S::PatchLevel, 80}, {S::PatchFootswitch, "Mute"},
                                  {S::PatchExpPedal, "Output-Volume"}, {S::PatchBalance, 30},
                                  {S::B3AmpPower, "OFF"}, {S::B3AmpBass, 3}, {S::B3AmpMid, 0}, {S::B3AmpTrebl, 0},
                                  {S::B3AmpMidF, "Deep"}, {S::B3AmpGain, 61}, {S::B3AmpLevel, 62},
                                  {S::B3AmpCab, " Fliptop  FT15"}, {S::B3AmpMix, 63}});
    c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"});
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    expected[noise.line(0)] = prm(0, "0");
    expected[noise.line(2)] = prm(2, "4");
    for (const auto& [n, v] : Written{{0, "80"}, {1, "5"}, {3, "6"}}) expected[patch.line(n)] = prm(n, v);
    for (const auto& [n, v] : Written{{0, "0"}, {2, "13"}, {3, "10"}, {4, "10"}}) expected[amp.line(n)] = prm(n, v);
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::NoiseReduction)->editsSkipped, 2u);
    EXPECT_EQ(blockOf(r, Group::Amp)->editsSkipped, 5u);
    EXPECT_EQ(blockOf(r, Group::PatchLevel)->editsSkipped, 2u);
}

// Every spin edit at its minimum, every block, every special layout: no value written is negative.
TEST(WrittenValues, EverySpinAtItsMinimumWritesNoNegativeValue) {
    for (const std::string model : {"g5", "g3x", "b3"}) {
        SCOPED_TRACE(model);
        Sheet s;
        s.head().patch("All").effect(0, model == "b3" ? "19" : "27", kNoiseParams);
        for (const char* id : {"76", "78", "14", "31", "114"}) s.effect(1, id, kDriveParams);
        s.effect(3, model == "b3" ? "60" : model == "g3x" ? "140" : "40", kB3AmpParams);
        for (const char* id : {"20", "120", "105", "65", "66", "54", "55"}) s.effect(4, id, kReverbParams);
        s.effect(model == "g5" ? 9 : model == "g3x" ? 6 : 3, "", kPatchParams);
        s.patchEnd().tail();
        Choices c = choicesFor(model);
        for (const auto& def : settings())
            if (def.kind == ValueKind::Spin) c[def.id] = {true, def.minimum, ""};
        c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
        c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"});
        c.types(TypeList::Drive) = typeEntries({"Booster", "Bass Muff", "Fuzz", "Octave"});
        c.types(TypeList::Reverb) =
            typeEntries({"Hall", "HD Reverb", "Early Reflections", "Air", "Spring", "Plate", "Room"});
        ProcessReport r;
        const auto out = run(s, c, &r);
        EXPECT_GT(r.linesChanged, 20u);
        for (const auto& line : out) EXPECT_EQ(line.find(">-"), std::string::npos) << line;
    }
}

// A type edit that cannot be made (the hit line holds more than the type-id line) leaves the
// module of its old type, and the other edits keep the old type's layout.
TEST(EditPass, SkippedTypeEditKeepsTheOldLayout) {
    struct Case {
        std::string model;
        TypeList list;
        const char* type;
        ModuleDef mod;
        std::vector<Set> sets;
        Written written;
    };
    const Case cases[] = {
        {"b3", TypeList::Drive, "Booster", {1, "76", kDriveParams}, {{S::DriveDrive, "Bass Muff"}, {S::DriveLevel, 90}},
         {{5, "90"}}},  // the Booster's Level, not the Bass Muff's Prm4
        {"g5", TypeList::Reverb, "HD Reverb", {4, "105", kReverbParams},
         {{S::ReverbReverb, "Hall"}, {S::ReverbLevel, 90}},
         {{7, "90"}}},  // the HD Reverb's Level, not the Hall's Prm6
    };
    for (const auto& cs : cases) {
        Sheet s;
        const Mod m = s.head().effect(cs.mod.number, cs.mod.typeId, cs.mod.params);
        s.tail();
        s.lines[m.typeLine()] = "  <!-- -->" + prm(1, cs.mod.typeId);
        Choices c = choicesFor(cs.model, cs.sets);
        c.types(cs.list) = typeEntries({cs.type});
        auto expected = s.lines;
        for (const auto& [n, v] : cs.written) expected[m.line(n)] = prm(n, v);
        EXPECT_TRUE(sameDocument(run(s, c), expected));
    }
}
