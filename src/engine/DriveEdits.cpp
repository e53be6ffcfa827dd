#include "document/LoadLists.h"
#include "engine/Blocks.h"

namespace pf {

namespace {
constexpr std::string_view kBooster = "76";
constexpr std::string_view kBassMuff = "78";
}  // namespace

// Drive modules of the ticked drive types. The B3 Booster and Bass Muff lay their
// parameters out differently; a module whose type the Drive setting rewrites is edited with
// the layout of its new type.
BlockReport runDriveEdits(const BlockInput& in) {
    using S = SettingId;
    BlockReport report;
    report.group = Group::Drive;
    const std::string power = in.text(S::DrivePower) == "OFF" ? "0" : "1";
    const std::string newType = in.lookup(section::kDrive, in.text(S::DriveDrive));
    const std::string gain = in.numberText(S::DriveGain);
    const std::string tone = in.numberText(S::DriveTone);
    const std::string level = in.numberText(S::DriveLevel);
    const std::string balance = in.numberText(S::DriveBalance);
    const std::string bass = std::to_string(in.number(S::DriveBass) + 10);
    const std::string trebl = std::to_string(in.number(S::DriveTrebl) + 10);
    const std::string mode = in.text(S::DriveMode) == "NORM" ? "0" : "1";

    runFilterListPass(in, TypeList::Drive, section::kDrive, report,
                      [&](const std::string&, const std::string& typeId, long long L) {
        std::string_view t = typeId;
        in.write(S::DrivePower, L - 1, 0, power);
        // The new type's layout applies once its type-id line is rewritten.
        if (in.ticked(S::DriveDrive) && in.session.writeParameter(L, 1, newType)) t = newType;
        in.write(S::DriveGain, L + 1, 2, gain);
        in.write(S::DriveTone, L + 2, 3, tone);
        if (t == kBooster) in.write(S::DriveLevel, L + 4, 5, level);
        else in.write(S::DriveLevel, L + 3, 4, level);
        if (t == kBassMuff) in.write(S::DriveBalance, L + 5, 6, balance);
        else if (t != kBooster) in.write(S::DriveBalance, L + 4, 5, balance);
        if (t == kBooster) {
            in.write(S::DriveBass, L + 2, 3, bass);
            in.write(S::DriveTrebl, L + 3, 4, trebl);
        }
        if (t == kBassMuff) in.write(S::DriveMode, L + 4, 5, mode);
    });
    return report;
}

}  // namespace pf
