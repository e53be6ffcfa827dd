#include "document/LoadLists.h"
#include "engine/Blocks.h"

namespace pf {

namespace {

// Where a model keeps the patch's own settings, and the offsets of its parameters from the
// module header line.
struct PatchLayout {
    std::string_view model;
    std::string_view header;
    int levelOffset, levelParameter;
    int footswitchOffset, footswitchParameter;
    bool hasPedal;
};

constexpr PatchLayout kLayouts[] = {
    {"g5", "  <Module9>", 3, 2, 4, 3, false},
    {"g3x", "  <Module6>", 1, 0, 2, 1, true},
    {"b3", "  <Module3>", 1, 0, 2, 1, true},
};

}  // namespace

BlockReport runPatchLevelEdits(const BlockInput& in) {
    using S = SettingId;
    BlockReport report;
    report.group = Group::PatchLevel;
    const PatchLayout* layout = nullptr;
    for (const auto& l : kLayouts)
        if (l.model == in.model()) layout = &l;
    if (layout == nullptr) return report;  // no module header to look for

    const std::string level = in.numberText(S::PatchLevel);
    const std::string footswitch = in.lookup(section::kFootswitch, in.text(S::PatchFootswitch));
    const std::string& pedalName = in.text(S::PatchExpPedal);
    const bool volumePedal = pedalName == "Input-Volume" || pedalName == "Output-Volume";
    const std::string pedal = in.lookup(section::kExpPedal, pedalName);
    const std::string balance = in.numberText(S::PatchBalance);

    runFixedPass(in, layout->header, report, [&](long long H) {
        in.write(S::PatchLevel, H + layout->levelOffset, layout->levelParameter, level);
        in.write(S::PatchFootswitch, H + layout->footswitchOffset, layout->footswitchParameter, footswitch);
        if (layout->hasPedal) {
            if (volumePedal) in.write(S::PatchExpPedal, H + 6, 5, "100");
            in.write(S::PatchExpPedal, H + 4, 3, pedal);
        }
        in.write(S::PatchBalance, H + 8, 7, balance);
    });
    return report;
}

}  // namespace pf
