#include "engine/Blocks.h"

namespace pf {

namespace {

using S = SettingId;

constexpr ParameterEdit kEdits[] = {{S::MiscPower, 0}, {S::MiscThrsh, 2}, {S::MiscDetect, 3}, {S::MiscLevel, 4}};

}  // namespace

// The noise-reduction module of every patch: one fixed type id per model, no check list.
BlockReport runNoiseReductionEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::NoiseReduction;
    SettingValues values;
    values[S::MiscPower] = in.text(S::MiscPower) == "OFF" ? "0" : "1";
    values[S::MiscThrsh] = in.numberText(S::MiscThrsh, -1);  // shown 1..25, stored 0..24
    values[S::MiscDetect] = in.text(S::MiscDetect) == "GtrIn" ? "0" : "1";
    values[S::MiscLevel] = in.numberText(S::MiscLevel);

    runFixedPass(in, typeIdSearchString(in.device.noiseReductionId), report,
                 [&](long long L) { in.write(moduleOfTypeIdLine(L), kEdits, values); });
    return report;
}

}  // namespace pf
