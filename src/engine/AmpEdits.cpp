#include "engine/Blocks.h"

namespace pf {

// The amp block: one pass per ticked amp type of the model's amp page.
BlockReport runAmpEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::Amp;
    PlacedRows rows(in, layoutRows(Group::Amp));
    const bool cabFollows = cabFollowsAmp(SettingId::AmpCab, in.choices[SettingId::AmpCab]);

    const TypeList list = in.device.ampPage == ShownWith::B3AmpPage ? TypeList::B3Amp : TypeList::Amp;
    std::string currentText;
    runFilterListPass(in, list, report, [&](const std::string& text, const std::string& typeId, long long L) {
        if (cabFollows && text != currentText) {
            currentText = text;
            rows.setText(SettingId::AmpCab, in.stored(SettingId::AmpCab, Storage::OfSetting, text));
        }
        rows.writeAt(moduleOfTypeIdLine(L), typeId);
    });
    return report;
}

}  // namespace pf
