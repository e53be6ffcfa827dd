#include <algorithm>

#include "engine/Blocks.h"

namespace pf {

namespace {

using S = SettingId;
using ReverbType = std::string_view ReverbTypeIds::*;

// Some edits know a reverb type by its id on any model: "55", the B3's Air, is taken for an Air
// in a G5 file too. An id that the file's own model gives to another of these types keeps
// that meaning.
bool takenFor(ReverbType type, std::string_view id, const ReverbTypeIds& own) {
    if (id == own.*type) return true;
    if (id == own.hdReverb || id == own.earlyReflections || id == own.air) return false;
    return std::ranges::any_of(deviceModels(), [&](const DeviceModel& m) { return m.reverb.*type == id; });
}

}  // namespace

// Reverb modules of the ticked reverb types. HD Reverb, Early Reflections and Air have
// layouts of their own, under type ids that differ by model. A module whose type the Reverb
// setting rewrites is edited with the layout of its new type.
BlockReport runReverbEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::Reverb;
    const ReverbTypeIds& own = in.device.reverb;
    const std::string power = in.text(S::ReverbPower) == "OFF" ? "0" : "1";
    const std::string newType = in.lookup(section::kReverb, in.text(S::ReverbReverb));
    const int decay = in.number(S::ReverbDecay);
    const std::string decayShown = std::to_string(decay);
    const std::string decayLess = std::to_string(std::max(0, decay - 1));  // never below what the control offers
    const std::string preDelay = in.numberText(S::ReverbPreD, in.device.preDelayShift);
    const std::string shape = in.numberText(S::ReverbShape, 10);  // -10..10 as 0..20
    SettingValues shown;
    for (S id : {S::ReverbTone, S::ReverbMix, S::ReverbLevel, S::ReverbHpf, S::ReverbSize, S::ReverbRef})
        shown[id] = in.numberText(id);

    runFilterListPass(in, TypeList::Reverb, report,
                      [&](const std::string&, const std::string& typeId, long long L) {
        const Module m = moduleOfTypeIdLine(L);
        std::string_view t = typeId;
        in.write(S::ReverbPower, m, 0, power);
        if (in.write(S::ReverbReverb, m, 1, newType)) t = newType;
        const bool hdReverb = t == own.hdReverb;
        const bool earlyReflections = t == own.earlyReflections;
        const bool air = takenFor(&ReverbTypeIds::air, t, own);

        if (!air) in.write(S::ReverbDecay, m, 2, hdReverb ? decayShown : decayLess);
        in.write(S::ReverbTone, m, takenFor(&ReverbTypeIds::earlyReflections, t, own) ? 5 : 3, shown[S::ReverbTone]);
        in.write(S::ReverbMix, m, 4, shown[S::ReverbMix]);
        if (!earlyReflections && t != own.air) in.write(S::ReverbPreD, m, 5, preDelay);
        in.write(S::ReverbLevel, m, hdReverb ? 7 : 6, shown[S::ReverbLevel]);
        if (takenFor(&ReverbTypeIds::hdReverb, t, own)) in.write(S::ReverbHpf, m, 6, shown[S::ReverbHpf]);
        if (earlyReflections) in.write(S::ReverbShape, m, 3, shape);
        if (air) {
            in.write(S::ReverbSize, m, 2, shown[S::ReverbSize]);
            in.write(S::ReverbRef, m, 5, shown[S::ReverbRef]);
        }
    });
    return report;
}

}  // namespace pf
