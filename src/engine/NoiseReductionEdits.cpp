#include "engine/Blocks.h"

namespace pf {

// The noise-reduction module of every patch: one fixed type id per model (19 on the B3,
// 27 on the others), no check list.
BlockReport runNoiseReductionEdits(const BlockInput& in) {
    using S = SettingId;
    BlockReport report;
    report.group = Group::NoiseReduction;
    const std::string power = in.text(S::MiscPower) == "OFF" ? "0" : "1";
    const std::string threshold = std::to_string(in.number(S::MiscThrsh) - 1);  // shown 1..25, stored 0..24
    const std::string detect = in.text(S::MiscDetect) == "GtrIn" ? "0" : "1";
    const std::string level = in.numberText(S::MiscLevel);

    runFixedPass(in, in.isB3() ? "        <Prm1>19</Prm1>" : "        <Prm1>27</Prm1>", report, [&](long long L) {
        in.write(S::MiscPower, L - 1, 0, power);
        in.write(S::MiscThrsh, L + 1, 2, threshold);
        in.write(S::MiscDetect, L + 2, 3, detect);
        in.write(S::MiscLevel, L + 3, 4, level);
    });
    return report;
}

}  // namespace pf
