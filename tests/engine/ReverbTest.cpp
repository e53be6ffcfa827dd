// The reverb block: the Reverb tab's settings, with the HD Reverb, Early Reflections and Air
// layouts chosen by the current type id and by whether the file is a B3 file.

#include <functional>
#include <map>

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;
using S = pf::SettingId;

namespace {

// Decay 50, Tone 7, Mix 33, PreD 100, Level 75, HPF 4, Shape 2, Size 60, Ref 8: every
// setting but Power and Reverb.
void tickValues(Choices& c) {
    tick(c, S::ReverbDecay, 50);
    tick(c, S::ReverbTone, 7);
    tick(c, S::ReverbMix, 33);
    tick(c, S::ReverbPreD, 100);
    tick(c, S::ReverbLevel, 75);
    tick(c, S::ReverbHpf, 4);
    tick(c, S::ReverbShape, 2);
    tick(c, S::ReverbSize, 60);
    tick(c, S::ReverbRef, 8);
}

using Lines = std::map<int, std::string>;  // parameter number -> value written

void expectReverb(const std::string& model, std::string_view typeName, std::string_view typeId,
                  const std::function<void(Choices&)>& choose, const Lines& written) {
    Sheet s;
    s.head();
    std::vector<Mod> mods;
    for (int i = 0; i < 2; ++i) {
        s.patchStart("P" + std::to_string(i));
        s.effect(3, "40", kAmpParams);
        mods.push_back(s.effect(4, typeId, kReverbParams));
        s.effect(5, "999", kReverbParams);  // a reverb of another type, never ticked
        s.patchEnd();
    }
    s.tail();
    Choices c = choicesFor(model);
    c.types(TypeList::Reverb) = typeEntries({typeName});
    choose(c);
    ProcessReport r;
    const auto out = run(s, c, &r);
    auto expected = s.lines;
    for (const Mod& m : mods)
        for (const auto& [n, v] : written) expected[m.line(n)] = prm(n, v);
    EXPECT_TRUE(sameDocument(out, expected));
    EXPECT_EQ(blockOf(r, Group::Reverb)->hits, 2u);
}

}  // namespace

TEST(ReverbBlock, LayoutsByTypeAndModelWithEverySettingTicked) {
    struct Case { std::string model, typeName, typeId; Lines written; };
    const Case cases[] = {
        // HD Reverb: Decay as shown, HPF at Prm6, Level at Prm7; PreD one less except on the B3.
        {"g5", "HD Reverb", "105", {{2, "50"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "4"}, {7, "75"}}},
        {"g3x", "HD Reverb", "105", {{2, "50"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "4"}, {7, "75"}}},
        {"b3", "HD Reverb", "65", {{2, "50"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "4"}, {7, "75"}}},
        // Early Reflections: Shape plus 10 at Prm3, Tone at Prm5, no PreD.
        {"g5", "Early Reflections", "65", {{2, "49"}, {3, "12"}, {4, "33"}, {5, "7"}, {6, "75"}}},
        {"g3x", "Early Reflections", "65", {{2, "49"}, {3, "12"}, {4, "33"}, {5, "7"}, {6, "75"}}},
        {"b3", "Early Reflections", "54", {{2, "49"}, {3, "12"}, {4, "33"}, {5, "7"}, {6, "75"}}},
        // Air: Size at Prm2, Ref at Prm5, no Decay and no PreD.
        {"g5", "Air", "66", {{2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        {"g3x", "Air", "66", {{2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        {"b3", "Air", "55", {{2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        // Other types: Decay one less; PreD one less except on the B3.
        {"g5", "Hall", "20", {{2, "49"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "75"}}},
        {"g3x", "Hall", "120", {{2, "49"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "75"}}},
        {"b3", "Hall", "20", {{2, "49"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "75"}}},
        // The other model's special ids, tested exactly as the rows state them.
        {"g5", "Spring", "54", {{2, "49"}, {4, "33"}, {5, "99"}, {6, "75"}}},   // Tone at Prm5, then PreD over it
        {"g5", "Plate", "55", {{2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},  // Size and Ref, over PreD
        {"b3", "Plate", "105", {{2, "49"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "4"}}},  // HPF over Level
        {"b3", "Room", "66", {{2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},   // Size and Ref, over PreD
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + cs.typeName);
        expectReverb(cs.model, cs.typeName, cs.typeId, tickValues, cs.written);
    }
}

TEST(ReverbBlock, SingleSettings) {
    struct Case {
        const char* name;
        std::string model, typeName, typeId;
        std::function<void(Choices&)> choose;
        Lines written;
    };
    const Case cases[] = {
        {"Power OFF", "g5", "Hall", "20", [](Choices& c) { pick(c, S::ReverbPower, "OFF"); }, {{0, "0"}}},
        {"Power ON", "b3", "Hall", "20", [](Choices& c) { pick(c, S::ReverbPower, "ON"); }, {{0, "1"}}},
        {"Power, nothing selected", "g5", "Hall", "20", [](Choices& c) { pick(c, S::ReverbPower, ""); }, {{0, "1"}}},
        {"Reverb", "g5", "Hall", "20", [](Choices& c) { pick(c, S::ReverbReverb, "Spring"); }, {{1, "54"}}},
        {"Reverb Remove", "g5", "Hall", "20", [](Choices& c) { pick(c, S::ReverbReverb, "Remove"); }, {{1, "0"}}},
        {"Decay 100", "g5", "Hall", "20", [](Choices& c) { tick(c, S::ReverbDecay, 100); }, {{2, "99"}}},
        {"Decay 1", "b3", "Hall", "20", [](Choices& c) { tick(c, S::ReverbDecay, 1); }, {{2, "0"}}},
        {"Decay HD Reverb", "g5", "HD Reverb", "105", [](Choices& c) { tick(c, S::ReverbDecay, 100); }, {{2, "100"}}},
        {"Decay Air", "b3", "Air", "55", [](Choices& c) { tick(c, S::ReverbDecay, 50); }, {}},
        {"PreD 1", "g5", "Hall", "20", [](Choices& c) { tick(c, S::ReverbPreD, 1); }, {{5, "0"}}},
        {"PreD 1 on the B3", "b3", "Hall", "20", [](Choices& c) { tick(c, S::ReverbPreD, 1); }, {{5, "1"}}},
        {"PreD 200", "g3x", "Hall", "120", [](Choices& c) { tick(c, S::ReverbPreD, 200); }, {{5, "199"}}},
        {"PreD Early Reflections", "g5", "Early Reflections", "65", [](Choices& c) { tick(c, S::ReverbPreD, 50); },
         {}},
        {"PreD Air", "b3", "Air", "55", [](Choices& c) { tick(c, S::ReverbPreD, 50); }, {}},
        {"Shape -10", "g5", "Early Reflections", "65", [](Choices& c) { tick(c, S::ReverbShape, -10); }, {{3, "0"}}},
        {"Shape 10", "b3", "Early Reflections", "54", [](Choices& c) { tick(c, S::ReverbShape, 10); }, {{3, "20"}}},
        {"Shape elsewhere", "g5", "Hall", "20", [](Choices& c) { tick(c, S::ReverbShape, 3); }, {}},
        {"HPF elsewhere", "b3", "Air", "55", [](Choices& c) { tick(c, S::ReverbHpf, 3); }, {}},
        {"Size elsewhere", "g5", "HD Reverb", "105", [](Choices& c) { tick(c, S::ReverbSize, 3); }, {}},
        {"Ref elsewhere", "b3", "Early Reflections", "54", [](Choices& c) { tick(c, S::ReverbRef, 3); }, {}},
        {"Tone 0", "g5", "Hall", "20", [](Choices& c) { tick(c, S::ReverbTone, 0); }, {{3, "0"}}},
        {"Tone 10", "b3", "Early Reflections", "54", [](Choices& c) { tick(c, S::ReverbTone, 10); }, {{5, "10"}}},
        {"Mix 100", "b3", "HD Reverb", "65", [](Choices& c) { tick(c, S::ReverbMix, 100); }, {{4, "100"}}},
        {"Level 150 on HD Reverb", "g5", "HD Reverb", "105", [](Choices& c) { tick(c, S::ReverbLevel, 150); },
         {{7, "150"}}},
        {"Level 0 elsewhere", "g5", "Air", "66", [](Choices& c) { tick(c, S::ReverbLevel, 0); }, {{6, "0"}}},
        {"Early Reflections: Tone, Shape, PreD", "g5", "Early Reflections", "65",
         [](Choices& c) { tick(c, S::ReverbTone, 7); tick(c, S::ReverbShape, 2); tick(c, S::ReverbPreD, 100); },
         {{5, "7"}, {3, "12"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.name);
        expectReverb(cs.model, cs.typeName, cs.typeId, cs.choose, cs.written);
    }
}

// The type edit sets the current type id: with the Air chosen, Size and Ref reach every
// module found, whatever it was before.
TEST(ReverbBlock, TypeChangeDecidesTheLayoutOfTheRest) {
    struct Case { std::string model, newName, newId; Lines written; };
    const Case cases[] = {
        {"g5", "Air", "66", {{1, "66"}, {2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        {"b3", "Air", "55", {{1, "55"}, {2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        {"g5", "HD Reverb", "105", {{1, "105"}, {2, "50"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "4"}, {7, "75"}}},
        {"b3", "HD Reverb", "65", {{1, "65"}, {2, "50"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "4"}, {7, "75"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + cs.newName);
        Sheet s;
        s.head();
        const Mod hall = s.effect(4, "20", kReverbParams);
        const Mod early = s.effect(4, cs.model == "b3" ? "54" : "65", kReverbParams);
        s.tail();
        Choices c = choicesFor(cs.model);
        c.types(TypeList::Reverb) = typeEntries({"Hall", "Early Reflections"});
        tickValues(c);
        pick(c, S::ReverbReverb, cs.newName);
        const auto out = run(s, c);
        auto expected = s.lines;
        for (const Mod* m : {&hall, &early})
            for (const auto& [n, v] : cs.written) expected[m->line(n)] = prm(n, v);
        EXPECT_TRUE(sameDocument(out, expected));
    }
}
