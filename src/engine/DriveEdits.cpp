#include "engine/Blocks.h"

namespace pf {

// Drive modules of the ticked drive types. A module whose type the Drive setting rewrites is
// edited with the layout of its new type.
BlockReport runDriveEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::Drive;
    PlacedRows rows(in, layoutRows(Group::Drive));
    runFilterListPass(in, TypeList::Drive, report, [&](const std::string&, const std::string& typeId, long long L) {
        rows.writeAt(moduleOfTypeIdLine(L), typeId);
    });
    return report;
}

}  // namespace pf
