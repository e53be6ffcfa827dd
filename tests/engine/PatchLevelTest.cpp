// The patch-level block: each patch's own module, found by its module header line, with the
// line offsets of each model.

#include <functional>
#include <map>

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

using Lines = std::map<int, std::string>;  // parameter number -> value written

struct PatchSheet {
    Sheet sheet;
    std::vector<Mod> patchModules;
};

// Three patches, each holding modules 3, 6 and 9 as patch-sized modules, so that every
// model finds its own module and leaves the other two alone.
PatchSheet threePatches(int own) {
    PatchSheet p;
    p.sheet.head();
    for (int i = 0; i < 3; ++i) {
        p.sheet.patchStart("P" + std::to_string(i));
        p.sheet.effect(0, "27", kNoiseParams);
        for (int number : {3, 6, 9}) {
            const Mod m = p.sheet.settings(number, kPatchParams);
            if (number == own) p.patchModules.push_back(m);
        }
        p.sheet.settings(90, kPatchParams);  // "<Module90>" is not "<Module9>"
        p.sheet.patchEnd();
    }
    p.sheet.tail();
    return p;
}

int ownModule(const std::string& model) { return model == "g5" ? 9 : model == "g3x" ? 6 : 3; }

}  // namespace

TEST(PatchLevelBlock, SettingsByModel) {
    struct Case {
        const char* name;
        std::string model;
        std::function<void(Choices&)> choose;
        Lines written;
    };
    const Case cases[] = {
        {"Patch Level", "g5", [](Choices& c) { tick(c, S::PatchLevel, 75); }, {{2, "75"}}},
        {"Patch Level", "g3x", [](Choices& c) { tick(c, S::PatchLevel, 120); }, {{0, "120"}}},
        {"Patch Level", "b3", [](Choices& c) { tick(c, S::PatchLevel, 0); }, {{0, "0"}}},
        {"CTRL SW", "g5", [](Choices& c) { pick(c, S::PatchFootswitch, "Tap Tempo"); }, {{3, "3"}}},
        {"CTRL SW", "g3x", [](Choices& c) { pick(c, S::PatchFootswitch, "Tap Tempo"); }, {{1, "13"}}},
        {"CTRL SW", "b3", [](Choices& c) { pick(c, S::PatchFootswitch, "Mute"); }, {{1, "5"}}},
        {"CTRL SW unknown", "g5", [](Choices& c) { pick(c, S::PatchFootswitch, "Nowhere"); }, {{3, ""}}},
        {"CTRL PDL", "g5", [](Choices& c) { pick(c, S::PatchExpPedal, "Input-Volume"); }, {}},
        {"CTRL PDL Input-Volume", "g3x", [](Choices& c) { pick(c, S::PatchExpPedal, "Input-Volume"); },
         {{3, "12"}, {5, "100"}}},
        {"CTRL PDL output-volume", "g3x", [](Choices& c) { pick(c, S::PatchExpPedal, "output-volume"); },
         {{3, "13"}}},
        {"CTRL PDL Wah", "g3x", [](Choices& c) { pick(c, S::PatchExpPedal, "Wah"); }, {{3, "19"}}},
        {"CTRL PDL Output-Volume", "b3", [](Choices& c) { pick(c, S::PatchExpPedal, "Output-Volume"); },
         {{3, "6"}, {5, "100"}}},
        {"CTRL PDL Input-Volume", "b3", [](Choices& c) { pick(c, S::PatchExpPedal, "Input-Volume"); },
         {{3, "4"}, {5, "100"}}},
        {"CTRL PDL Volume", "b3", [](Choices& c) { pick(c, S::PatchExpPedal, "Volume"); }, {{3, "1"}}},
        {"Balance", "b3", [](Choices& c) { tick(c, S::PatchBalance, 100); }, {{7, "100"}}},
        {"Balance", "g5", [](Choices& c) { tick(c, S::PatchBalance, 30); }, {{7, "30"}}},
        {"Balance", "g3x", [](Choices& c) { tick(c, S::PatchBalance, 0); }, {{7, "0"}}},
        {"everything", "g5", [](Choices& c) {
             tick(c, S::PatchLevel, 75);
             pick(c, S::PatchFootswitch, "Bypass");
             pick(c, S::PatchExpPedal, "Volume");
             tick(c, S::PatchBalance, 20);
         }, {{2, "75"}, {3, "0"}, {7, "20"}}},
        {"everything", "b3", [](Choices& c) {
             tick(c, S::PatchLevel, 75);
             pick(c, S::PatchFootswitch, "Bypass");
             pick(c, S::PatchExpPedal, "Output-Volume");
             tick(c, S::PatchBalance, 20);
         }, {{0, "75"}, {1, "0"}, {3, "6"}, {5, "100"}, {7, "20"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + ": " + cs.name);
        PatchSheet p = threePatches(ownModule(cs.model));
        Choices c = choicesFor(cs.model);
        cs.choose(c);
        ProcessReport r;
        const auto out = run(p.sheet, c, &r);
        auto expected = p.sheet.lines;
        for (const Mod& m : p.patchModules)
            for (const auto& [n, v] : cs.written) expected[m.line(n)] = prm(n, v);
        EXPECT_TRUE(sameDocument(out, expected));
        const BlockReport* b = blockOf(r, Group::PatchLevel);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->hits, 3u);
    }
}

TEST(PatchLevelBlock, HeaderInOtherLetterCaseOrWithTextAfterItIsFound) {
    Sheet s;
    s.head();
    const size_t a = s.lines.size();
    s.text("  <MODULE9>");
    for (int k = 0; k < kPatchParams; ++k) s.text(prm(k, "5"));
    s.text("  </MODULE9>");
    const size_t b = s.lines.size();
    s.text("  <Module9> <!-- patch -->");
    for (int k = 0; k < kPatchParams; ++k) s.text(prm(k, "5"));
    s.text(moduleEnd(9));
    s.text(" <Module9>");  // one blank: no hit
    s.tail();
    Choices c = choicesFor("g5");
    tick(c, S::PatchLevel, 75);
    auto expected = s.lines;
    expected[a + 3] = prm(2, "75");
    expected[b + 3] = prm(2, "75");
    EXPECT_TRUE(sameDocument(run(s, c), expected));
}

TEST(PatchLevelBlock, HeaderNearTheEnd) {
    Sheet s;
    s.head();
    const size_t h = s.lines.size();
    s.text(moduleHeader(3)).text(prm(0, "1")).text(prm(1, "2")).text(prm(2, "3")).text(prm(3, "9"));
    Choices c = choicesFor("b3");
    tick(c, S::PatchLevel, 75);
    pick(c, S::PatchExpPedal, "Input-Volume");  // +6 past the end, +4 inside
    tick(c, S::PatchBalance, 20);               // +8 past the end
    ProcessReport r;
    auto expected = s.lines;
    expected[h + 1] = prm(0, "75");
    expected[h + 4] = prm(3, "4");
    EXPECT_TRUE(sameDocument(run(s, c, &r), expected));
    EXPECT_EQ(blockOf(r, Group::PatchLevel)->editsMade, 2u);
    EXPECT_EQ(blockOf(r, Group::PatchLevel)->editsSkipped, 2u);
}
