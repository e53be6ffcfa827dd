// The noise-reduction block: the ZNR settings of the Misc tab, written around every type-id
// line with the model's fixed noise-reduction id.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

struct NoiseSheet {
    Sheet sheet;
    std::vector<Mod> g5Noise;  // id 27
    std::vector<Mod> b3Noise;  // id 19
};

// Three patches, each with a 27 and a 19 module, so that every model has hits and misses.
NoiseSheet threePatches() {
    NoiseSheet n;
    n.sheet.head();
    for (int i = 0; i < 3; ++i) {
        n.sheet.patchStart("P" + std::to_string(i));
        n.g5Noise.push_back(n.sheet.effect(0, "27", kNoiseParams));
        n.sheet.effect(1, "14", kDriveParams);
        n.b3Noise.push_back(n.sheet.effect(2, "19", kNoiseParams));
        n.sheet.patchEnd();
    }
    n.sheet.tail();
    return n;
}

}  // namespace

TEST(NoiseReductionBlock, SettingValuesAndLines) {
    struct Case {
        const char* name;
        S id;
        int number;
        const char* text;
        int prmNumber;  // written on the line prmNumber - 1 below the type-id line
        const char* value;
    };
    const Case cases[] = {
        {"Power ON", S::MiscPower, 0, "ON", 0, "1"},
        {"Power OFF", S::MiscPower, 0, "OFF", 0, "0"},
        {"THRSH 1", S::MiscThrsh, 1, nullptr, 2, "0"},
        {"THRSH 10", S::MiscThrsh, 10, nullptr, 2, "9"},
        {"THRSH 25", S::MiscThrsh, 25, nullptr, 2, "24"},
        {"Detect GtrIn", S::MiscDetect, 0, "GtrIn", 3, "0"},
        {"Detect EfxIn", S::MiscDetect, 0, "EfxIn", 3, "1"},
        {"Detect, nothing selected", S::MiscDetect, 0, "", 3, "1"},
        {"Level 0", S::MiscLevel, 0, nullptr, 4, "0"},
        {"Level 150", S::MiscLevel, 150, nullptr, 4, "150"},
    };
    struct Model { const char* code; bool b3; };
    for (const Model model : {Model{"g5", false}, Model{"g3x", false}, Model{"b3", true}, Model{"", false}}) {
        for (const auto& cs : cases) {
            SCOPED_TRACE(std::string(model.code) + ": " + cs.name);
            NoiseSheet n = threePatches();
            Choices c = choicesFor(model.code);
            if (cs.text) pick(c, cs.id, cs.text); else tick(c, cs.id, cs.number);
            ProcessReport r;
            const auto out = run(n.sheet, c, &r);
            auto expected = n.sheet.lines;
            for (const Mod& m : model.b3 ? n.b3Noise : n.g5Noise) expected[m.line(cs.prmNumber)] = prm(cs.prmNumber, cs.value);
            EXPECT_TRUE(sameDocument(out, expected));
            const BlockReport* b = blockOf(r, Group::NoiseReduction);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->hits, 3u);
            ASSERT_EQ(b->types.size(), 1u);
            EXPECT_EQ(b->types[0].hits, 3u);
        }
    }
}

TEST(NoiseReductionBlock, AllFourSettingsTogether) {
    NoiseSheet n = threePatches();
    Choices c = choicesFor("g5");
    pick(c, S::MiscPower, "OFF");
    tick(c, S::MiscThrsh, 7);
    pick(c, S::MiscDetect, "EfxIn");
    tick(c, S::MiscLevel, 80);
    const auto out = run(n.sheet, c);
    auto expected = n.sheet.lines;
    for (const Mod& m : n.g5Noise) {
        expected[m.line(0)] = prm(0, "0");
        expected[m.line(2)] = prm(2, "6");
        expected[m.line(3)] = prm(3, "1");
        expected[m.line(4)] = prm(4, "80");
    }
    EXPECT_TRUE(sameDocument(out, expected));
}

TEST(NoiseReductionBlock, AnyModuleWhosePrm1HoldsTheIdIsTreatedAsNoiseReduction) {
    Sheet s;
    s.head();
    const Mod drive = s.effect(1, "27", kDriveParams);  // a drive module that happens to hold 27
    const Mod amp = s.effect(3, "40", kAmpParams);
    s.tail();
    Choices c = choicesFor("g3x");
    tick(c, S::MiscLevel, 80);
    auto expected = s.lines;
    expected[drive.line(4)] = prm(4, "80");
    (void)amp;
    EXPECT_TRUE(sameDocument(run(s, c), expected));
}

TEST(NoiseReductionBlock, HitOnTheFirstLineAndNearTheEnd) {
    Sheet s;
    s.text(prm(1, "27")).text(prm(2, "8")).text(prm(3, "0")).text(prm(4, "50"))  // hit on line 0
        .text(moduleHeader(0)).text(prm(0, "1")).text(prm(1, "27")).text(prm(2, "8"));  // ends after Prm2
    Choices c = choicesFor("g5");
    pick(c, S::MiscPower, "OFF");
    tick(c, S::MiscThrsh, 3);
    pick(c, S::MiscDetect, "EfxIn");
    tick(c, S::MiscLevel, 99);
    ProcessReport r;
    const auto out = run(s, c, &r);
    EXPECT_TRUE(sameDocument(out, {prm(1, "27"), prm(2, "2"), prm(3, "1"), prm(4, "99"), moduleHeader(0),
                                   prm(0, "0"), prm(1, "27"), prm(2, "2")}));
    const BlockReport* b = blockOf(r, Group::NoiseReduction);
    EXPECT_EQ(b->hits, 2u);
    EXPECT_EQ(b->editsMade, 5u);
    EXPECT_EQ(b->editsSkipped, 3u);
}
