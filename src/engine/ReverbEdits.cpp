#include "engine/Blocks.h"

namespace pf {

// Reverb modules of the ticked reverb types. HD Reverb, Early Reflections and Air have
// layouts of their own, under type ids that differ by model. A module whose type the Reverb
// setting rewrites is edited with the layout of its new type.
BlockReport runReverbEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::Reverb;
    PlacedRows rows(in, layoutRows(Group::Reverb));
    runFilterListPass(in, TypeList::Reverb, report, [&](const std::string&, const std::string& typeId, long long L) {
        rows.writeAt(moduleOfTypeIdLine(L), typeId);
    });
    return report;
}

}  // namespace pf
