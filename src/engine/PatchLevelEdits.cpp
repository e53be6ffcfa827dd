#include "engine/Blocks.h"

namespace pf {

// The module that holds each patch's own settings, found by the model's module header line;
// the model's row says where each setting stands in it.
BlockReport runPatchLevelEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::PatchLevel;
    if (!in.device.patchModule) return report;  // no module header to look for
    const std::vector<LayoutRow> rowsOfModel = patchRows(in.device);
    PlacedRows rows(in, rowsOfModel);
    runFixedPass(in, in.device.patchModule->header, report, [&](long long H) { rows.writeAt(moduleOfHeaderLine(H), {}); });
    return report;
}

}  // namespace pf
