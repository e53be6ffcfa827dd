// The noise-reduction block: the ZNR settings of the Misc tab, written around every type-id
// line with the model's fixed noise-reduction id (19 on the B3, 27 on every other model).

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;

TEST(NoiseReductionBlock, SettingValuesAndLinesByModel) {
    const std::pair<std::vector<Set>, Written> cases[] = {
        {{{S::NoiseReductionPower, "ON"}}, {{0, "1"}}},
        {{{S::NoiseReductionPower, "OFF"}}, {{0, "0"}}},
        {{{S::NoiseReductionThrsh, 1}}, {{2, "0"}}},
        {{{S::NoiseReductionThrsh, 25}}, {{2, "24"}}},
        {{{S::NoiseReductionDetect, "GtrIn"}}, {{3, "0"}}},
        {{{S::NoiseReductionDetect, "EfxIn"}}, {{3, "1"}}},
        {{{S::NoiseReductionDetect, ""}}, {{3, "1"}}},  // nothing selected: any text but "GtrIn"
        {{{S::NoiseReductionLevel, 0}}, {{4, "0"}}},
        {{{S::NoiseReductionLevel, 150}}, {{4, "150"}}},
        {{{S::NoiseReductionPower, "OFF"}, {S::NoiseReductionThrsh, 7}, {S::NoiseReductionDetect, "EfxIn"}, {S::NoiseReductionLevel, 80}},
         {{0, "0"}, {2, "6"}, {3, "1"}, {4, "80"}}},
    };
    for (const std::string model : {"g5", "g3x", "b3"}) {
        const bool b3 = model == "b3";
        for (size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(model + " case " + std::to_string(i));
            // The other model's id stands in a module of its own and in a drive module: no hit.
            expectEdits(choicesFor(model, cases[i].first), Group::NoiseReduction, {0, b3 ? "19" : "27", kNoiseParams},
                        cases[i].second, {{2, b3 ? "27" : "19", kNoiseParams}, {1, b3 ? "27" : "19", kDriveParams}});
        }
    }
}
