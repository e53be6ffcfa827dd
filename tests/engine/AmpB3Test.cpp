// The amp block on B3 files: the B3 Amp tab's settings, tone values written plus 10, Mid-F,
// the "ORGN" cab, and the B3 type list.

#include <functional>

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

struct B3Sheet {
    Sheet sheet;
    std::vector<Mod> edited;  // Bass Stack (60) modules
    Mod flipTop;              // the one Flip Top (61) module
};

B3Sheet b3Patches() {
    B3Sheet b;
    b.sheet.head();
    for (int i = 0; i < 3; ++i) {
        b.sheet.patchStart("P" + std::to_string(i));
        b.sheet.effect(0, "19", kNoiseParams);
        const Mod m = b.sheet.effect(2, i == 1 ? "61" : "60", kB3AmpParams);
        if (i != 1) b.edited.push_back(m); else b.flipTop = m;
        b.sheet.settings(3, kPatchParams);
        b.sheet.patchEnd();
    }
    b.sheet.tail();
    return b;
}

}  // namespace

TEST(AmpBlockB3, SettingValuesAndLines) {
    struct Case {
        const char* name;
        std::function<void(Choices&)> choose;
        int prmNumber;
        std::string value;
    };
    const Case cases[] = {
        {"Power ON", [](Choices& c) { pick(c, S::B3AmpPower, "ON"); }, 0, "1"},
        {"Power OFF", [](Choices& c) { pick(c, S::B3AmpPower, "OFF"); }, 0, "0"},
        {"Power On", [](Choices& c) { pick(c, S::B3AmpPower, "On"); }, 0, "0"},
        {"Amp", [](Choices& c) { pick(c, S::B3AmpAmp, "Tube Bass"); }, 1, "62"},
        {"Amp Remove", [](Choices& c) { pick(c, S::B3AmpAmp, "Remove"); }, 1, "0"},
        {"Bass -10", [](Choices& c) { tick(c, S::B3AmpBass, -10); }, 2, "0"},
        {"Bass 0", [](Choices& c) { tick(c, S::B3AmpBass, 0); }, 2, "10"},
        {"Bass 10", [](Choices& c) { tick(c, S::B3AmpBass, 10); }, 2, "20"},
        {"Mid -10", [](Choices& c) { tick(c, S::B3AmpMid, -10); }, 3, "0"},
        {"Mid 0", [](Choices& c) { tick(c, S::B3AmpMid, 0); }, 3, "10"},
        {"Mid 7", [](Choices& c) { tick(c, S::B3AmpMid, 7); }, 3, "17"},
        {"Trebl -3", [](Choices& c) { tick(c, S::B3AmpTrebl, -3); }, 4, "7"},
        {"Trebl 10", [](Choices& c) { tick(c, S::B3AmpTrebl, 10); }, 4, "20"},
        {"Mid-F", [](Choices& c) { pick(c, S::B3AmpMidF, "Deep"); }, 5, "DEEPVALUE"},
        {"Mid-F first entry", [](Choices& c) { pick(c, S::B3AmpMidF, "250Hz"); }, 5, "0"},
        {"Gain 0", [](Choices& c) { tick(c, S::B3AmpGain, 0); }, 6, "0"},
        {"Gain 100", [](Choices& c) { tick(c, S::B3AmpGain, 100); }, 6, "100"},
        {"Level 150", [](Choices& c) { tick(c, S::B3AmpLevel, 150); }, 7, "150"},
        {"Cab ORGN", [](Choices& c) { pick(c, S::B3AmpCab, cabItem("ORGN", "ZZZZ")); }, 9, "0"},
        {"Cab orgn in other letter case is an ordinary name",
         [](Choices& c) { pick(c, S::B3AmpCab, cabItem("orgn", "ZZZZ")); }, 9, "77"},
        {"Cab", [](Choices& c) { pick(c, S::B3AmpCab, cabItem("Fliptop", "FT15")); }, 9, "33"},
        {"Cab Match-Amp is an ordinary name here",
         [](Choices& c) { pick(c, S::B3AmpCab, cabItem("Match-Amp", "MAMP")); }, 9, "88"},
        {"Cab name with a blank", [](Choices& c) { pick(c, S::B3AmpCab, cabItem("Bass 4x10", "B410")); }, 9, "21"},
        {"Mix 0", [](Choices& c) { tick(c, S::B3AmpMix, 0); }, 10, "0"},
        {"Mix 100", [](Choices& c) { tick(c, S::B3AmpMix, 100); }, 10, "100"},
        {"G5 step Gain", [](Choices& c) { tick(c, S::AmpGain, 55); }, 2, "55"},
    };
    const B3Sheet b = b3Patches();
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        Choices c = choicesFor("b3");
        c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"}, {"Flip Top"});
        cs.choose(c);
        ProcessReport r;
        const auto out = run(b.sheet, c, &r);
        auto expected = b.sheet.lines;
        for (const Mod& m : b.edited) expected[m.line(cs.prmNumber)] = prm(cs.prmNumber, cs.value);
        EXPECT_TRUE(sameDocument(out, expected));
        EXPECT_EQ(blockOf(r, Group::Amp)->hits, 2u);
    }
}

TEST(AmpBlockB3, AllTenSettingsLeavePrm8Alone) {
    const B3Sheet b = b3Patches();
    Choices c = choicesFor("b3");
    c.types(TypeList::B3Amp) = typeEntries({"Bass Stack"}, {"Flip Top"});
    pick(c, S::B3AmpPower, "OFF");
    pick(c, S::B3AmpAmp, "Tube Bass");
    tick(c, S::B3AmpGain, 61);
    tick(c, S::B3AmpLevel, 62);
    tick(c, S::B3AmpTrebl, 3);
    tick(c, S::B3AmpMid, -3);
    pick(c, S::B3AmpMidF, "Deep");
    tick(c, S::B3AmpBass, 0);
    tick(c, S::B3AmpMix, 63);
    pick(c, S::B3AmpCab, cabItem("Fliptop", "FT15"));
    const auto out = run(b.sheet, c);
    auto expected = b.sheet.lines;
    for (const Mod& m : b.edited) {
        const size_t L = m.typeLine();
        expected[L - 1] = "        <Prm0>0</Prm0>";
        expected[L] = "        <Prm1>62</Prm1>";
        expected[L + 1] = "        <Prm2>10</Prm2>";
        expected[L + 2] = "        <Prm3>7</Prm3>";
        expected[L + 3] = "        <Prm4>13</Prm4>";
        expected[L + 4] = "        <Prm5>DEEPVALUE</Prm5>";
        expected[L + 5] = "        <Prm6>61</Prm6>";
        expected[L + 6] = "        <Prm7>62</Prm7>";
        expected[L + 8] = "        <Prm9>33</Prm9>";
        expected[L + 9] = "        <Prm10>63</Prm10>";
    }
    EXPECT_TRUE(sameDocument(out, expected));
}

TEST(AmpBlockB3, FilterListComesFromTheB3ListAlone) {
    const B3Sheet b = b3Patches();
    Choices c = choicesFor("b3");
    c.types(TypeList::Amp) = typeEntries({"Bass Stack", "Flip Top"});
    c.types(TypeList::B3Amp) = {};
    tick(c, S::B3AmpGain, 61);
    EXPECT_TRUE(sameDocument(run(b.sheet, c), b.sheet.lines));

    c.types(TypeList::Amp) = {};
    c.types(TypeList::B3Amp) = typeEntries({"Flip Top"});
    auto expected = b.sheet.lines;
    expected[b.flipTop.line(6)] = prm(6, "61");
    EXPECT_TRUE(sameDocument(run(b.sheet, c), expected));
}
