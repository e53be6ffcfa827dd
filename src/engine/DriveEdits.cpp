#include "engine/Blocks.h"

namespace pf {

namespace {

using S = SettingId;

constexpr ParameterEdit kFirstEdits[] = {{S::DriveGain, 2}, {S::DriveTone, 3}};

// The lines after Tone: the B3's Booster and Bass Muff lay them out in ways of their own.
struct DriveLayout {
    std::string_view typeId;
    std::span<const ParameterEdit> edits;
};
constexpr ParameterEdit kBooster[] = {{S::DriveLevel, 5}, {S::DriveBass, 3}, {S::DriveTrebl, 4}};
constexpr ParameterEdit kBassMuff[] = {{S::DriveLevel, 4}, {S::DriveBalance, 6}, {S::DriveMode, 5}};
constexpr ParameterEdit kOtherDrives[] = {{S::DriveLevel, 4}, {S::DriveBalance, 5}};
constexpr DriveLayout kLayouts[] = {{"76", kBooster}, {"78", kBassMuff}};

std::span<const ParameterEdit> layoutOf(std::string_view typeId) {
    for (const DriveLayout& l : kLayouts)
        if (l.typeId == typeId) return l.edits;
    return kOtherDrives;
}

}  // namespace

// Drive modules of the ticked drive types. A module whose type the Drive setting rewrites is
// edited with the layout of its new type.
BlockReport runDriveEdits(const BlockInput& in) {
    BlockReport report;
    report.group = Group::Drive;
    const std::string newType = in.lookup(section::kDrive, in.text(S::DriveDrive));
    SettingValues values;
    for (S id : {S::DriveGain, S::DriveTone, S::DriveLevel, S::DriveBalance}) values[id] = in.numberText(id);
    for (S id : {S::DriveBass, S::DriveTrebl}) values[id] = in.numberText(id, 10);  // -10..10 as 0..20
    values[S::DriveMode] = std::string(in.text(S::DriveMode) == "NORM" ? "0" : "1");
    const std::string power = in.text(S::DrivePower) == "OFF" ? "0" : "1";

    runFilterListPass(in, TypeList::Drive, report,
                      [&](const std::string&, const std::string& typeId, long long L) {
        const Module m = moduleOfTypeIdLine(L);
        std::string_view type = typeId;
        in.write(S::DrivePower, m, 0, power);
        if (in.write(S::DriveDrive, m, 1, newType)) type = newType;
        in.write(m, kFirstEdits, values);
        in.write(m, layoutOf(type), values);
    });
    return report;
}

}  // namespace pf
