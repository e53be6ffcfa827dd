#include "engine/Blocks.h"

namespace pf {

// The noise-reduction module of every patch: one fixed type id per model, no check list.
BlockReport runNoiseReductionEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::NoiseReduction;
    PlacedRows rows(in, layoutRows(Group::NoiseReduction));
    const std::string_view typeId = in.device.noiseReductionId;
    runFixedPass(in, typeIdSearchString(typeId), report, [&](long long L) { rows.writeAt(moduleOfTypeIdLine(L), typeId); });
    return report;
}

}  // namespace pf
