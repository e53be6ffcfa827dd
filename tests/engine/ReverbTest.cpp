// The reverb block: the Reverb tab's settings, with the HD Reverb, Early Reflections and Air
// layouts chosen by the current type id and by whether the file is a B3 file.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;

namespace {

// Every setting but Power and Reverb.
const std::vector<Set> kAll = {{S::ReverbDecay, 50}, {S::ReverbTone, 7}, {S::ReverbMix, 33}, {S::ReverbPreD, 100},
                               {S::ReverbLevel, 75}, {S::ReverbHpf, 4}, {S::ReverbShape, 2}, {S::ReverbSize, 60},
                               {S::ReverbRef, 8}};

std::vector<Set> with(std::vector<Set> sets, const Set& more) {
    sets.push_back(more);
    return sets;
}

}  // namespace

TEST(ReverbBlock, SettingsByTypeAndModel) {
    struct Case { std::string model; const char* type; const char* id; std::vector<Set> sets; Written written; };
    const Written hd = {{2, "50"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "4"}, {7, "75"}},
                  early = {{2, "49"}, {3, "12"}, {4, "33"}, {5, "7"}, {6, "75"}},
                  air = {{2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}},
                  other = {{2, "49"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "75"}};
    const Case cases[] = {
        // HD Reverb: Decay as shown, HPF at Prm6, Level at Prm7; PreD one less except on the B3.
        {"g5", "HD Reverb", "105", kAll, hd},
        {"g3x", "HD Reverb", "105", kAll, hd},
        {"b3", "HD Reverb", "65", kAll, {{2, "50"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "4"}, {7, "75"}}},
        // Early Reflections: Shape plus 10 at Prm3, Tone at Prm5, no PreD.
        {"g5", "Early Reflections", "65", kAll, early},
        {"b3", "Early Reflections", "54", kAll, early},
        // Air: Size at Prm2, Ref at Prm5, no Decay and no PreD.
        {"g3x", "Air", "66", kAll, air},
        {"b3", "Air", "55", kAll, air},
        // Other types: Decay one less; PreD one less except on the B3.
        {"g5", "Hall", "20", kAll, other},
        {"g3x", "Hall", "120", kAll, other},
        {"b3", "Hall", "20", kAll, {{2, "49"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "75"}}},
        // The other model's special ids, tested exactly as the rows state them.
        {"g5", "Spring", "54", kAll, {{2, "49"}, {4, "33"}, {5, "99"}, {6, "75"}}},  // Tone at Prm5, PreD over it
        {"g5", "Plate", "55", kAll, air},                                            // Size and Ref, over PreD
        {"b3", "Plate", "105", kAll, {{2, "49"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "4"}}},  // HPF over Level
        {"b3", "Room", "66", kAll, air},
        // Single settings.
        {"g5", "Hall", "20", {{S::ReverbPower, "OFF"}}, {{0, "0"}}},
        {"b3", "Hall", "20", {{S::ReverbPower, ""}}, {{0, "1"}}},  // anything but "OFF" is on
        {"g5", "Hall", "20", {{S::ReverbReverb, "Remove"}}, {{1, "0"}}},
        {"g5", "Hall", "20", {{S::ReverbDecay, 100}}, {{2, "99"}}},
        {"b3", "Hall", "20", {{S::ReverbDecay, 1}}, {{2, "0"}}},
        {"g5", "HD Reverb", "105", {{S::ReverbDecay, 100}}, {{2, "100"}}},
        {"b3", "Air", "55", {{S::ReverbDecay, 50}, {S::ReverbPreD, 50}}, {}},
        {"g5", "Hall", "20", {{S::ReverbPreD, 1}}, {{5, "0"}}},
        {"b3", "Hall", "20", {{S::ReverbPreD, 1}}, {{5, "1"}}},
        {"g3x", "Hall", "120", {{S::ReverbPreD, 200}}, {{5, "199"}}},
        {"g5", "Early Reflections", "65", {{S::ReverbShape, -10}}, {{3, "0"}}},
        {"b3", "Early Reflections", "54", {{S::ReverbShape, 10}}, {{3, "20"}}},
        {"g5", "Hall", "20", {{S::ReverbShape, 3}, {S::ReverbHpf, 3}, {S::ReverbSize, 3}, {S::ReverbRef, 3}}, {}},
        {"b3", "Air", "55", {{S::ReverbHpf, 3}}, {}},
        {"g5", "Early Reflections", "65", {{S::ReverbTone, 7}, {S::ReverbShape, 2}, {S::ReverbPreD, 100}},
         {{5, "7"}, {3, "12"}}},
        {"b3", "HD Reverb", "65", {{S::ReverbMix, 100}}, {{4, "100"}}},
        {"g5", "Air", "66", {{S::ReverbLevel, 0}}, {{6, "0"}}},
        // A type edit sets the layout of the rows after it.
        {"g5", "Hall", "20", with(kAll, {S::ReverbReverb, "Air"}),
         {{1, "66"}, {2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        {"b3", "Early Reflections", "54", with(kAll, {S::ReverbReverb, "Air"}),
         {{1, "55"}, {2, "60"}, {3, "7"}, {4, "33"}, {5, "8"}, {6, "75"}}},
        {"g5", "Early Reflections", "65", with(kAll, {S::ReverbReverb, "HD Reverb"}),
         {{1, "105"}, {2, "50"}, {3, "7"}, {4, "33"}, {5, "99"}, {6, "4"}, {7, "75"}}},
        {"b3", "Hall", "20", with(kAll, {S::ReverbReverb, "HD Reverb"}),
         {{1, "65"}, {2, "50"}, {3, "7"}, {4, "33"}, {5, "100"}, {6, "4"}, {7, "75"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + cs.type + " case " + std::to_string(&cs - cases));
        Choices c = choicesFor(cs.model, cs.sets);
        c.types(TypeList::Reverb) = typeEntries({cs.type});
        expectEdits(c, Group::Reverb, {4, cs.id, kReverbParams}, cs.written,
                    {{3, "40", kAmpParams}, {5, "999", kReverbParams}});
    }
}
