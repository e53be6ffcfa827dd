// The patch-level block: each patch's own module, found by its module header line, with the
// line offsets of each model.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;

TEST(PatchLevelBlock, SettingsByModel) {
    struct Case { std::string model; std::vector<Set> sets; Written written; };
    const Case cases[] = {
        {"g5", {{S::PatchLevel, 75}}, {{2, "75"}}},
        {"g3x", {{S::PatchLevel, 120}}, {{0, "120"}}},
        {"b3", {{S::PatchLevel, 0}}, {{0, "0"}}},
        {"g5", {{S::PatchFootswitch, "Tap Tempo"}}, {{3, "3"}}},
        {"g3x", {{S::PatchFootswitch, "Tap Tempo"}}, {{1, "13"}}},
        {"b3", {{S::PatchFootswitch, "Mute"}}, {{1, "5"}}},
        {"g5", {{S::PatchFootswitch, "Nowhere"}}, {{3, ""}}},
        {"g5", {{S::PatchExpPedal, "Input-Volume"}}, {}},  // no pedal target on the G5
        {"g3x", {{S::PatchExpPedal, "Input-Volume"}}, {{3, "12"}, {5, "100"}}},
        {"g3x", {{S::PatchExpPedal, "output-volume"}}, {{3, "13"}}},  // volume targets by exact spelling only
        {"g3x", {{S::PatchExpPedal, "Wah"}}, {{3, "19"}}},
        {"b3", {{S::PatchExpPedal, "Output-Volume"}}, {{3, "6"}, {5, "100"}}},
        {"b3", {{S::PatchExpPedal, "Input-Volume"}}, {{3, "4"}, {5, "100"}}},
        {"b3", {{S::PatchExpPedal, "Volume"}}, {{3, "1"}}},
        {"b3", {{S::PatchBalance, 100}}, {{7, "100"}}},
        {"g5", {{S::PatchBalance, 30}}, {{7, "30"}}},
        {"g3x", {{S::PatchBalance, 0}}, {{7, "0"}}},
        {"g5", {{S::PatchLevel, 75}, {S::PatchFootswitch, "Bypass"}, {S::PatchExpPedal, "Volume"},
                {S::PatchBalance, 20}},
         {{2, "75"}, {3, "0"}, {7, "20"}}},
        {"b3", {{S::PatchLevel, 75}, {S::PatchFootswitch, "Bypass"}, {S::PatchExpPedal, "Output-Volume"},
                {S::PatchBalance, 20}},
         {{0, "75"}, {1, "0"}, {3, "6"}, {5, "100"}, {7, "20"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + std::to_string(&cs - cases));
        const int own = cs.model == "g5" ? 9 : cs.model == "g3x" ? 6 : 3;
        // The other models' patch modules, and "<Module90>", which is not "<Module9>".
        std::vector<ModuleDef> others = {{0, "27", kNoiseParams}, {90, "", kPatchParams}};
        for (int n : {3, 6, 9})
            if (n != own) others.push_back({n, "", kPatchParams});
        expectEdits(choicesFor(cs.model, cs.sets), Group::PatchLevel, {own, "", kPatchParams}, cs.written, others);
    }
}

TEST(PatchLevelBlock, HeaderInOtherLetterCaseOrWithTextAfterItIsFound) {
    Sheet s;
    const size_t a = s.head().lines.size();
    s.text("  <MODULE9>");
    for (int k = 0; k < kPatchParams; ++k) s.text(prm(k, "5"));
    const size_t b = s.lines.size();
    s.text("  </MODULE9>").text("  <Module9> <!-- patch -->");
    for (int k = 0; k < kPatchParams; ++k) s.text(prm(k, "5"));
    s.text(" <Module9>").tail();  // one blank: no hit
    auto expected = s.lines;
    expected[a + 3] = expected[b + 4] = prm(2, "75");
    EXPECT_TRUE(sameDocument(run(s, choicesFor("g5", {{S::PatchLevel, 75}})), expected));
}
