#include "engine/Blocks.h"

namespace pf {

namespace {
using S = SettingId;
}  // namespace

// The module that holds each patch's own settings, found by the model's module header line;
// the model's row says where each setting stands in it.
BlockReport runPatchLevelEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::PatchLevel;
    if (!in.device.patchModule) return report;  // no module header to look for
    const PatchModule& layout = *in.device.patchModule;

    const std::string level = in.numberText(S::PatchLevel);
    const std::string footswitch = in.lookup(section::kFootswitch, in.text(S::PatchFootswitch));
    const std::string& pedalName = in.text(S::PatchExpPedal);
    const bool volumePedal = pedalName == "Input-Volume" || pedalName == "Output-Volume";
    const std::string pedal = in.lookup(section::kExpPedal, pedalName);
    const std::string balance = in.numberText(S::PatchBalance);

    runFixedPass(in, layout.header, report, [&](long long H) {
        const Module m = moduleOfHeaderLine(H);
        in.write(S::PatchLevel, m, layout.level, level);
        in.write(S::PatchFootswitch, m, layout.footswitch, footswitch);
        if (layout.pedal) {
            if (volumePedal) in.write(S::PatchExpPedal, m, layout.pedal->volume, "100");
            in.write(S::PatchExpPedal, m, layout.pedal->target, pedal);
        }
        in.write(S::PatchBalance, m, layout.balance, balance);
    });
    return report;
}

}  // namespace pf
