// The amp block on G5 and G3X files: the ten settings of the Amp tab, the twenty steps of
// both amp tabs in their interleaved order, and the cab choices.

#include <functional>

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

struct AmpSheet {
    Sheet sheet;
    std::vector<Mod> edited;  // modules of the ticked type
};

// Three patches: amps of type `ticked`, `other`, `ticked`, each with a reverb after it.
AmpSheet ampPatches(std::string_view ticked, std::string_view other, int params = kAmpParams) {
    AmpSheet a;
    a.sheet.head();
    for (int i = 0; i < 3; ++i) {
        a.sheet.patchStart("P" + std::to_string(i));
        a.sheet.effect(0, "27", kNoiseParams);
        const Mod m = a.sheet.effect(3, i == 1 ? other : ticked, params);
        if (i != 1) a.edited.push_back(m);
        a.sheet.effect(4, "20", kReverbParams);
        a.sheet.patchEnd();
    }
    a.sheet.tail();
    return a;
}

struct StepCase {
    const char* name;
    std::function<void(Choices&)> choose;
    int prmNumber;  // written on the line prmNumber - 1 below the type-id line
    std::string value;
};

void expectStep(const std::string& model, std::string_view typeName, const AmpSheet& a, const StepCase& cs) {
    SCOPED_TRACE(model + ": " + cs.name);
    Choices c = choicesFor(model);
    c.types(TypeList::Amp) = typeEntries({typeName}, {"Plexi Stack"});
    cs.choose(c);
    ProcessReport r;
    const auto out = run(a.sheet, c, &r);
    auto expected = a.sheet.lines;
    for (const Mod& m : a.edited) expected[m.line(cs.prmNumber)] = prm(cs.prmNumber, cs.value);
    EXPECT_TRUE(sameDocument(out, expected));
    const BlockReport* b = blockOf(r, Group::Amp);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->hits, 2u);
}

}  // namespace

TEST(AmpBlock, G5SettingValuesAndLines) {
    const AmpSheet a = ampPatches("40", "43");
    const StepCase cases[] = {
        {"Power ON", [](Choices& c) { pick(c, S::AmpPower, "ON"); }, 0, "1"},
        {"Power OFF", [](Choices& c) { pick(c, S::AmpPower, "OFF"); }, 0, "0"},
        {"Power on", [](Choices& c) { pick(c, S::AmpPower, "on"); }, 0, "0"},
        {"Power, nothing selected", [](Choices& c) { pick(c, S::AmpPower, ""); }, 0, "0"},
        {"Amp", [](Choices& c) { pick(c, S::AmpAmp, "Tweed Lux"); }, 1, "41"},
        {"Amp Remove", [](Choices& c) { pick(c, S::AmpAmp, "Remove"); }, 1, "0"},
        {"Amp unknown", [](Choices& c) { pick(c, S::AmpAmp, "Nowhere"); }, 1, ""},
        {"Gain 0", [](Choices& c) { tick(c, S::AmpGain, 0); }, 2, "0"},
        {"Gain 100", [](Choices& c) { tick(c, S::AmpGain, 100); }, 2, "100"},
        {"Tube", [](Choices& c) { tick(c, S::AmpTube, 37); }, 3, "37"},
        {"Level 150", [](Choices& c) { tick(c, S::AmpLevel, 150); }, 4, "150"},
        {"TRBL", [](Choices& c) { tick(c, S::AmpTreble, 64); }, 5, "64"},
        {"MID", [](Choices& c) { tick(c, S::AmpMiddle, 65); }, 6, "65"},
        {"BASS", [](Choices& c) { tick(c, S::AmpBass, 66); }, 7, "66"},
        {"PRSNS", [](Choices& c) { tick(c, S::AmpPresence, 67); }, 8, "67"},
        {"Cab", [](Choices& c) { pick(c, S::AmpCab, cabItem("Closed4x12", "C41277")); }, 9, "77"},
        {"Cab value of two characters", [](Choices& c) { pick(c, S::AmpCab, cabItem("Tiny", "AB")); }, 9, ""},
        {"Cab value of four characters", [](Choices& c) { pick(c, S::AmpCab, cabItem("Four", "ABCD")); }, 9, ""},
        {"Cab value cut at 300", [](Choices& c) { pick(c, S::AmpCab, cabItem("Impulse", "IR01")); }, 9,
         longValue(350).substr(0, 300)},
        {"Cab name with a blank, first word known",
         [](Choices& c) { pick(c, S::AmpCab, cabItem("Open Back", "OB12")); }, 9, "55"},
        {"Cab name with a blank, first word unknown",
         [](Choices& c) { pick(c, S::AmpCab, cabItem("Vintage 2x12", "V212")); }, 9, ""},
        {"Cab Match-Amp", [](Choices& c) { pick(c, S::AmpCab, cabItem("Match-Amp", "MAMP")); }, 9, "101"},
        {"Cab match-amp in other letter case is an ordinary name",
         [](Choices& c) { pick(c, S::AmpCab, cabItem("match-amp", "MAMP")); }, 9, ""},
        {"Cab ORGN is an ordinary name here", [](Choices& c) { pick(c, S::AmpCab, cabItem("ORGN", "OR00")); }, 9,
         "99"},
        {"Cab Remove", [](Choices& c) { pick(c, S::AmpCab, cabItem("Remove", "NONE")); }, 9, ""},
    };
    for (const auto& cs : cases) expectStep("g5", "Clean Glass", a, cs);
}

TEST(AmpBlock, G3XUsesItsOwnSections) {
    const AmpSheet a = ampPatches("140", "141");
    const StepCase cases[] = {
        {"Amp", [](Choices& c) { pick(c, S::AmpAmp, "Tweed Lux"); }, 1, "141"},
        {"Gain", [](Choices& c) { tick(c, S::AmpGain, 58); }, 2, "58"},
        {"Cab", [](Choices& c) { pick(c, S::AmpCab, cabItem("Closed4x12", "C412")); }, 9, "177"},
        {"Cab Match-Amp", [](Choices& c) { pick(c, S::AmpCab, cabItem("Match-Amp", "MAMP")); }, 9, "111"},
    };
    for (const auto& cs : cases) expectStep("g3x", "Clean Glass", a, cs);
}

// Both amp tabs' steps run at every hit, whatever the model; where two steps write the same
// line, the later step of the fixed order stands.
TEST(AmpBlock, StepsOfBothTabsInterleaveAndTheLaterOneStands) {
    const AmpSheet a = ampPatches("40", "43", kB3AmpParams);
    const StepCase cases[] = {
        {"Power, then B3 Power", [](Choices& c) { pick(c, S::AmpPower, "ON"); pick(c, S::B3AmpPower, "OFF"); }, 0, "0"},
        {"B3 Power after Power", [](Choices& c) { pick(c, S::AmpPower, "OFF"); pick(c, S::B3AmpPower, "ON"); }, 0, "1"},
        {"Amp, then B3 Amp", [](Choices& c) { pick(c, S::AmpAmp, "Tweed Lux"); pick(c, S::B3AmpAmp, "Brit Crunch"); },
         1, "42"},
        {"Gain, then B3 Bass", [](Choices& c) { tick(c, S::AmpGain, 61); tick(c, S::B3AmpBass, 2); }, 2, "12"},
        {"Tube, then B3 Mid", [](Choices& c) { tick(c, S::AmpTube, 37); tick(c, S::B3AmpMid, -4); }, 3, "6"},
        {"Level, then B3 Trebl", [](Choices& c) { tick(c, S::AmpLevel, 63); tick(c, S::B3AmpTrebl, 5); }, 4, "15"},
        {"TRBL, then B3 Mid-F", [](Choices& c) { tick(c, S::AmpTreble, 64); pick(c, S::B3AmpMidF, "Deep"); }, 5, "5"},
        {"B3 Gain, then MID", [](Choices& c) { tick(c, S::B3AmpGain, 62); tick(c, S::AmpMiddle, 65); }, 6, "65"},
        {"B3 Level, then BASS", [](Choices& c) { tick(c, S::B3AmpLevel, 140); tick(c, S::AmpBass, 66); }, 7, "66"},
        {"Cab, then B3 Cab", [](Choices& c) {
             pick(c, S::AmpCab, cabItem("Closed4x12", "C412"));
             pick(c, S::B3AmpCab, cabItem("ORGN", "OR00"));
         }, 9, "0"},
        {"B3 Mix", [](Choices& c) { tick(c, S::B3AmpMix, 44); }, 10, "44"},
    };
    for (const auto& cs : cases) expectStep("g5", "Clean Glass", a, cs);
}

TEST(AmpBlock, B3MixOnAG5AmpModuleMeetsTheClosingLineAndIsSkipped) {
    const AmpSheet a = ampPatches("40", "43");
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    tick(c, S::B3AmpMix, 44);
    ProcessReport r;
    EXPECT_TRUE(sameDocument(run(a.sheet, c, &r), a.sheet.lines));
    EXPECT_EQ(blockOf(r, Group::Amp)->editsSkipped, 2u);
}

TEST(AmpBlock, AllTenSettingsTogether) {
    const AmpSheet a = ampPatches("40", "43");
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = typeEntries({"Clean Glass"});
    pick(c, S::AmpPower, "OFF");
    pick(c, S::AmpAmp, "Brit Crunch");
    tick(c, S::AmpGain, 61);
    tick(c, S::AmpTube, 62);
    tick(c, S::AmpLevel, 63);
    tick(c, S::AmpTreble, 64);
    tick(c, S::AmpMiddle, 65);
    tick(c, S::AmpBass, 66);
    tick(c, S::AmpPresence, 67);
    pick(c, S::AmpCab, cabItem("Match-Amp", "MAMP"));
    const auto out = run(a.sheet, c);
    auto expected = a.sheet.lines;
    for (const Mod& m : a.edited) {
        const size_t L = m.typeLine();
        expected[L - 1] = "        <Prm0>0</Prm0>";
        expected[L] = "        <Prm1>42</Prm1>";
        expected[L + 1] = "        <Prm2>61</Prm2>";
        expected[L + 2] = "        <Prm3>62</Prm3>";
        expected[L + 3] = "        <Prm4>63</Prm4>";
        expected[L + 4] = "        <Prm5>64</Prm5>";
        expected[L + 5] = "        <Prm6>65</Prm6>";
        expected[L + 6] = "        <Prm7>66</Prm7>";
        expected[L + 7] = "        <Prm8>67</Prm8>";
        expected[L + 8] = "        <Prm9>101</Prm9>";  // the cab of the amp it had when found
    }
    EXPECT_TRUE(sameDocument(out, expected));
}

// A module given a new type that is ticked later in the list is found again and ends with
// the cab of its new amp; otherwise it keeps the cab of the amp it had when found.
TEST(AmpBlock, MatchAmpFollowsTheTypeChange) {
    struct Case {
        const char* name;
        std::vector<TypeEntry> list;
        const char* newAmp;
        const char* m40Type; const char* m40Cab;
        const char* m41Type; const char* m41Cab;  // nullptr: untouched
        std::vector<size_t> typeHits;
    };
    const Case cases[] = {
        {"new type ticked later", typeEntries({"Clean Glass", "Tweed Lux"}), "Tweed Lux",
         "41", "102", "41", "102", {1, 2}},
        {"new type ticked earlier", typeEntries({"Clean Glass", "Tweed Lux"}), "Clean Glass",
         "40", "101", "40", "102", {1, 1}},
        {"new type not ticked", typeEntries({"Clean Glass"}, {"Tweed Lux"}), "Tweed Lux",
         "41", "101", nullptr, nullptr, {1}},
        {"list in the other order", typeEntries({"Tweed Lux", "Clean Glass"}), "Clean Glass",
         "40", "101", "40", "101", {1, 2}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        Sheet s;
        s.head();
        const Mod m40 = s.effect(3, "40", kAmpParams);
        const Mod m41 = s.effect(3, "41", kAmpParams);
        const Mod m42 = s.effect(3, "42", kAmpParams);
        s.tail();
        Choices c = choicesFor("g5");
        c.types(TypeList::Amp) = cs.list;
        pick(c, S::AmpAmp, cs.newAmp);
        tick(c, S::AmpGain, 61);
        pick(c, S::AmpCab, cabItem("Match-Amp", "MAMP"));
        ProcessReport r;
        const auto out = run(s, c, &r);
        auto expected = s.lines;
        expected[m40.typeLine()] = prm(1, cs.m40Type);
        expected[m40.line(2)] = prm(2, "61");
        expected[m40.line(9)] = prm(9, cs.m40Cab);
        if (cs.m41Type) {
            expected[m41.typeLine()] = prm(1, cs.m41Type);
            expected[m41.line(2)] = prm(2, "61");
            expected[m41.line(9)] = prm(9, cs.m41Cab);
        }
        (void)m42;
        EXPECT_TRUE(sameDocument(out, expected));
        const BlockReport* b = blockOf(r, Group::Amp);
        ASSERT_EQ(b->types.size(), cs.typeHits.size());
        for (size_t i = 0; i < cs.typeHits.size(); ++i) EXPECT_EQ(b->types[i].hits, cs.typeHits[i]) << i;
    }
}

TEST(AmpBlock, FilterListComesFromTheAmpListOnG5) {
    const AmpSheet a = ampPatches("40", "43");
    Choices c = choicesFor("g5");
    c.types(TypeList::Amp) = {};
    c.types(TypeList::B3Amp) = typeEntries({"Clean Glass"});  // the B3 list plays no part here
    tick(c, S::AmpGain, 61);
    EXPECT_TRUE(sameDocument(run(a.sheet, c), a.sheet.lines));
}
