#include <algorithm>

#include "document/LoadLists.h"
#include "engine/Blocks.h"

namespace pf {

// Reverb modules of the ticked reverb types. HD Reverb, Early Reflections and Air have
// layouts of their own, under other type ids on the B3 than on the G5 and G3X.
BlockReport runReverbEdits(const BlockInput& in) {
    using S = SettingId;
    BlockReport report;
    report.group = Group::Reverb;
    const bool b3 = in.isB3();
    const std::string power = in.text(S::ReverbPower) == "OFF" ? "0" : "1";
    const std::string newType = in.lookup(section::kReverb, in.text(S::ReverbReverb));
    const int decay = in.number(S::ReverbDecay);
    const int preDelay = in.number(S::ReverbPreD);
    const std::string decayShown = std::to_string(decay);
    const std::string decayLess = std::to_string(std::max(0, decay - 1));  // never below what the control offers
    const std::string tone = in.numberText(S::ReverbTone);
    const std::string mix = in.numberText(S::ReverbMix);
    const std::string preDelayShown = std::to_string(preDelay);
    const std::string preDelayLess = std::to_string(preDelay - 1);
    const std::string level = in.numberText(S::ReverbLevel);
    const std::string hpf = in.numberText(S::ReverbHpf);
    const std::string shape = std::to_string(in.number(S::ReverbShape) + 10);
    const std::string size = in.numberText(S::ReverbSize);
    const std::string ref = in.numberText(S::ReverbRef);

    runFilterListPass(in, TypeList::Reverb, section::kReverb, report,
                      [&](const std::string&, const std::string& typeId, long long L) {
        std::string_view t = typeId;
        in.write(S::ReverbPower, L - 1, 0, power);
        // The new type's layout applies once its type-id line is rewritten.
        if (in.ticked(S::ReverbReverb) && in.session.writeParameter(L, 1, newType)) t = newType;
        const bool air = t == "66" || t == "55";
        const bool hdReverb = (!b3 && t == "105") || (b3 && t == "65");
        const bool earlyReflections = (!b3 && t == "65") || (b3 && t == "54");

        if (!air) in.write(S::ReverbDecay, L + 1, 2, hdReverb ? decayShown : decayLess);
        if (t == "54" || (!b3 && t == "65")) in.write(S::ReverbTone, L + 4, 5, tone);
        else in.write(S::ReverbTone, L + 2, 3, tone);
        in.write(S::ReverbMix, L + 3, 4, mix);
        if (!b3 && t != "65" && t != "66") in.write(S::ReverbPreD, L + 4, 5, preDelayLess);
        else if (b3 && t != "54" && t != "55") in.write(S::ReverbPreD, L + 4, 5, preDelayShown);
        if (hdReverb) in.write(S::ReverbLevel, L + 6, 7, level);
        else in.write(S::ReverbLevel, L + 5, 6, level);
        if (t == "105" || (b3 && t == "65")) in.write(S::ReverbHpf, L + 5, 6, hpf);
        if (earlyReflections) in.write(S::ReverbShape, L + 2, 3, shape);
        if (air) {
            in.write(S::ReverbSize, L + 1, 2, size);
            in.write(S::ReverbRef, L + 4, 5, ref);
        }
    });
    return report;
}

}  // namespace pf
