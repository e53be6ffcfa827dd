// The amp block: the ten settings of each Amp tab, the twenty steps of both tabs in their
// interleaved order, the cab choices ("Match-Amp", "ORGN"), and the check list per model.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;

namespace {

struct StepCase { std::vector<Set> sets; Written written; };

// Two patches with a module of the ticked type and, beside it, one of an unticked type.
void expectSteps(const std::string& model, const char* type, const char* unticked, ModuleDef target,
                 const char* otherId, const std::vector<StepCase>& cases) {
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(model + " case " + std::to_string(i));
        Choices c = choicesFor(model, cases[i].sets);
        c.types(model == "b3" ? TypeList::B3Amp : TypeList::Amp) = typeEntries({type}, {unticked});
        expectEdits(c, Group::Amp, target, cases[i].written,
                    {{0, "27", kNoiseParams}, {target.number, otherId, target.params}, {4, "20", kReverbParams}});
    }
}

}  // namespace

TEST(AmpBlock, G5SettingValuesAndLines) {
    expectSteps("g5", "Clean Glass", "Plexi Stack", {3, "40", kAmpParams}, "43", {
        {{{S::AmpPower, "ON"}}, {{0, "1"}}},
        {{{S::AmpPower, "OFF"}}, {{0, "0"}}},
        {{{S::AmpPower, "on"}}, {{0, "0"}}},  // exactly "ON" or off
        {{{S::AmpAmp, "Tweed Lux"}}, {{1, "41"}}},
        {{{S::AmpAmp, "Remove"}}, {{1, "0"}}},
        {{{S::AmpAmp, "Nowhere"}}, {{1, ""}}},
        {{{S::AmpGain, 0}}, {{2, "0"}}},
        {{{S::AmpTube, 37}}, {{3, "37"}}},
        {{{S::AmpLevel, 150}}, {{4, "150"}}},
        {{{S::AmpTreble, 64}}, {{5, "64"}}},
        {{{S::AmpMiddle, 65}}, {{6, "65"}}},
        {{{S::AmpBass, 66}}, {{7, "66"}}},
        {{{S::AmpPresence, 100}}, {{8, "100"}}},
        {{{S::AmpCab, " Closed4x12  C412"}}, {{9, "77"}}},
        {{{S::AmpCab, " Tiny  AB"}}, {{9, ""}}},    // a value of four characters or fewer
        {{{S::AmpCab, " Four  ABCD"}}, {{9, ""}}},
        {{{S::AmpCab, " Impulse  IR01"}}, {{9, longValue(350).substr(0, 300)}}},  // at most 300 characters
        {{{S::AmpCab, " Open Back  OB12"}}, {{9, "55"}}},  // looked up by its first word
        {{{S::AmpCab, " Vintage 2x12  V212"}}, {{9, ""}}},
        {{{S::AmpCab, " Match-Amp  MAMP"}}, {{9, "101"}}},  // the cab named after the amp found
        {{{S::AmpCab, " match-amp  MAMP"}}, {{9, ""}}},     // an ordinary name in other letter case
        {{{S::AmpCab, " ORGN  OR00"}}, {{9, "99"}}},        // an ordinary name on this tab
        {{{S::AmpPower, "OFF"}, {S::AmpAmp, "Brit Crunch"}, {S::AmpGain, 61}, {S::AmpTube, 62}, {S::AmpLevel, 63},
          {S::AmpTreble, 64}, {S::AmpMiddle, 65}, {S::AmpBass, 66}, {S::AmpPresence, 67},
          {S::AmpCab, " Match-Amp  MAMP"}},
         {{0, "0"}, {1, "42"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}, {6, "65"}, {7, "66"}, {8, "67"},
          {9, "101"}}},
    });
}

TEST(AmpBlock, G3XUsesItsOwnSections) {
    expectSteps("g3x", "Clean Glass", "Tweed Lux", {3, "140", kAmpParams}, "141", {
        {{{S::AmpAmp, "Tweed Lux"}}, {{1, "141"}}},
        {{{S::AmpCab, " Closed4x12  C412"}}, {{9, "177"}}},
        {{{S::AmpCab, " Match-Amp  MAMP"}}, {{9, "111"}}},
    });
}

TEST(AmpBlock, B3SettingValuesAndLines) {
    expectSteps("b3", "Bass Stack", "Flip Top", {3, "60", kB3AmpParams}, "61", {
        {{{S::B3AmpPower, "ON"}}, {{0, "1"}}},
        {{{S::B3AmpPower, "On"}}, {{0, "0"}}},
        {{{S::B3AmpAmp, "Tube Bass"}}, {{1, "62"}}},
        {{{S::B3AmpBass, -10}}, {{2, "0"}}},
        {{{S::B3AmpBass, 10}}, {{2, "20"}}},
        {{{S::B3AmpMid, 0}}, {{3, "10"}}},
        {{{S::B3AmpTrebl, -3}}, {{4, "7"}}},
        {{{S::B3AmpMidF, "Deep"}}, {{5, "DEEPVALUE"}}},  // nothing cut from a Mid-F value
        {{{S::B3AmpGain, 100}}, {{6, "100"}}},
        {{{S::B3AmpLevel, 150}}, {{7, "150"}}},
        {{{S::B3AmpCab, " ORGN  ZZZZ"}}, {{9, "0"}}},  // whatever the catalogue holds
        {{{S::B3AmpCab, " orgn  ZZZZ"}}, {{9, "77"}}},
        {{{S::B3AmpCab, " Match-Amp  MAMP"}}, {{9, "88"}}},  // an ordinary name on this tab
        {{{S::B3AmpCab, " Bass 4x10  B410"}}, {{9, "21"}}},
        {{{S::B3AmpMix, 0}}, {{10, "0"}}},
        {{{S::AmpGain, 55}}, {{2, "55"}}},  // the G5/G3X steps run too
        // All ten: Prm8 is never written.
        {{{S::B3AmpPower, "OFF"}, {S::B3AmpAmp, "Tube Bass"}, {S::B3AmpGain, 61}, {S::B3AmpLevel, 62},
          {S::B3AmpTrebl, 3}, {S::B3AmpMid, -3}, {S::B3AmpMidF, "250Hz"}, {S::B3AmpBass, 0}, {S::B3AmpMix, 63},
          {S::B3AmpCab, " Fliptop  FT15"}},
         {{0, "0"}, {1, "62"}, {2, "10"}, {3, "7"}, {4, "13"}, {5, "0"}, {6, "61"}, {7, "62"}, {9, "33"}, {10, "63"}}},
    });
}

// Both tabs' steps run at every hit; where two write the same line, the later step stands.
TEST(AmpBlock, StepsOfBothTabsInterleaveAndTheLaterOneStands) {
    expectSteps("g5", "Clean Glass", "Plexi Stack", {3, "40", kB3AmpParams}, "43", {
        {{{S::AmpPower, "ON"}, {S::B3AmpPower, "OFF"}}, {{0, "0"}}},
        {{{S::AmpPower, "OFF"}, {S::B3AmpPower, "ON"}}, {{0, "1"}}},
        {{{S::AmpAmp, "Tweed Lux"}, {S::B3AmpAmp, "Brit Crunch"}}, {{1, "42"}}},
        {{{S::AmpGain, 61}, {S::B3AmpBass, 2}}, {{2, "12"}}},
        {{{S::AmpTube, 37}, {S::B3AmpMid, -4}}, {{3, "6"}}},
        {{{S::AmpLevel, 63}, {S::B3AmpTrebl, 5}}, {{4, "15"}}},
        {{{S::AmpTreble, 64}, {S::B3AmpMidF, "Deep"}}, {{5, "5"}}},
        {{{S::B3AmpGain, 62}, {S::AmpMiddle, 65}}, {{6, "65"}}},
        {{{S::B3AmpLevel, 140}, {S::AmpBass, 66}}, {{7, "66"}}},
        {{{S::AmpCab, " Closed4x12  C412"}, {S::B3AmpCab, " ORGN  OR00"}}, {{9, "0"}}},
        {{{S::B3AmpMix, 44}}, {{10, "44"}}},
    });
}

// A module given a new type that is ticked later in the list is found again and ends with
// the cab of its new amp; otherwise it keeps the cab of the amp it had when found.
TEST(AmpBlock, MatchAmpFollowsTheTypeChange) {
    struct Case { std::vector<TypeEntry> list; const char* newAmp; Written m40, m41; std::vector<size_t> hits; };
    const auto both = typeEntries({"Clean Glass", "Tweed Lux"});
    const Case cases[] = {
        {both, "Tweed Lux", {{1, "41"}, {9, "102"}}, {{1, "41"}, {9, "102"}}, {1, 2}},
        {both, "Clean Glass", {{1, "40"}, {9, "101"}}, {{1, "40"}, {9, "102"}}, {1, 1}},
        {typeEntries({"Clean Glass"}, {"Tweed Lux"}), "Tweed Lux", {{1, "41"}, {9, "101"}}, {}, {1}},
        {typeEntries({"Tweed Lux", "Clean Glass"}), "Clean Glass", {{1, "40"}, {9, "101"}}, {{1, "40"}, {9, "101"}},
         {1, 2}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.newAmp + std::to_string(cs.hits.size()));
        Sheet s;
        const Mod m40 = s.head().effect(3, "40", kAmpParams), m41 = s.effect(3, "41", kAmpParams);
        s.effect(3, "42", kAmpParams);
        s.tail();
        Choices c = choicesFor("g5", {{S::AmpAmp, cs.newAmp}, {S::AmpCab, " Match-Amp  MAMP"}});
        c.types(TypeList::Amp) = cs.list;
        ProcessReport r;
        const auto out = run(s, c, &r);
        auto expected = s.lines;
        for (const auto& [n, v] : cs.m40) expected[m40.line(n)] = prm(n, v);
        for (const auto& [n, v] : cs.m41) expected[m41.line(n)] = prm(n, v);
        EXPECT_TRUE(sameDocument(out, expected));
        ASSERT_EQ(r.blocks.at(0).types.size(), cs.hits.size());
        for (size_t i = 0; i < cs.hits.size(); ++i) EXPECT_EQ(r.blocks[0].types[i].hits, cs.hits[i]);
    }
}

// The B3 check list serves B3 files alone, the other list every other model.
TEST(AmpBlock, CheckListByModel) {
    for (const std::string model : {"g5", "b3"}) {
        Choices c = choicesFor(model, {{S::AmpGain, 61}});
        c.types(model == "b3" ? TypeList::Amp : TypeList::B3Amp) = typeEntries({"Clean Glass", "Bass Stack"});
        expectEdits(c, Group::Amp, {3, model == "b3" ? "60" : "40", kAmpParams}, {}, {}, 0);
        c.types(model == "b3" ? TypeList::B3Amp : TypeList::Amp) = typeEntries({"Clean Glass", "Bass Stack"});
        expectEdits(c, Group::Amp, {3, model == "b3" ? "60" : "40", kAmpParams}, {{2, "61"}});
    }
}
