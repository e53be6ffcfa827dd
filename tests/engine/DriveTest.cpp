// The drive block: the Drive tab's settings, with the Booster ("76") and Bass Muff ("78")
// layouts chosen by the module's current type id.

#include "EngineTestSupport.h"

using namespace pf;
using namespace pf::test;

namespace {

// Every setting but Power and Drive.
const std::vector<Set> kAll = {{S::DriveGain, 61}, {S::DriveTone, 62}, {S::DriveLevel, 63}, {S::DriveBalance, 64},
                               {S::DriveBass, -3}, {S::DriveTrebl, 4}, {S::DriveMode, "BsBST"}};

std::vector<Set> with(std::vector<Set> sets, const Set& more) {
    sets.push_back(more);
    return sets;
}

}  // namespace

TEST(DriveBlock, SettingsByTypeAndModel) {
    struct Case { std::string model; const char* type; const char* id; std::vector<Set> sets; Written written; };
    const Case cases[] = {
        // Balance at Prm5; Bass, Trebl and Mode write nothing.
        {"b3", "Octave", "31", kAll, {{2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}}},
        {"g5", "Fuzz", "14", kAll, {{2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}}},
        // Booster on every model: Bass over Tone, Trebl at Prm4, Level at Prm5, no Balance.
        {"b3", "Booster", "76", kAll, {{2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        {"g3x", "Booster", "76", kAll, {{2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        // Bass Muff: Mode at Prm5, Balance at Prm6.
        {"b3", "Bass Muff", "78", kAll, {{2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}}},
        {"g5", "Bass Muff", "78", kAll, {{2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}}},
        // Single settings.
        {"b3", "Octave", "31", {{S::DrivePower, "OFF"}}, {{0, "0"}}},
        {"b3", "Octave", "31", {{S::DrivePower, ""}}, {{0, "1"}}},  // anything but "OFF" is on
        {"b3", "Octave", "31", {{S::DriveDrive, "Remove"}}, {{1, "0"}}},
        {"b3", "Booster", "76", {{S::DriveLevel, 150}}, {{5, "150"}}},
        {"b3", "Bass Muff", "78", {{S::DriveLevel, 0}}, {{4, "0"}}},
        {"b3", "Booster", "76", {{S::DriveBalance, 64}}, {}},
        {"b3", "Bass Muff", "78", {{S::DriveBalance, 64}}, {{6, "64"}}},
        {"b3", "Octave", "31", {{S::DriveBalance, 100}}, {{5, "100"}}},
        {"b3", "Booster", "76", {{S::DriveBass, -10}}, {{3, "0"}}},
        {"b3", "Booster", "76", {{S::DriveBass, 0}}, {{3, "10"}}},
        {"b3", "Booster", "76", {{S::DriveTrebl, 10}}, {{4, "20"}}},
        {"b3", "Bass Muff", "78", {{S::DriveMode, "NORM"}}, {{5, "0"}}},
        {"b3", "Bass Muff", "78", {{S::DriveMode, ""}}, {{5, "1"}}},  // anything but "NORM"
        {"b3", "Booster", "76", {{S::DriveTone, 62}, {S::DriveBass, 2}}, {{3, "12"}}},
        // A type edit sets the layout of the rows after it.
        {"b3", "Booster", "76", with(kAll, {S::DriveDrive, "Bass Muff"}),
         {{1, "78"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "1"}, {6, "64"}}},
        {"b3", "Octave", "31", with(kAll, {S::DriveDrive, "Booster"}),
         {{1, "76"}, {2, "61"}, {3, "7"}, {4, "14"}, {5, "63"}}},
        {"b3", "Booster", "76", with(kAll, {S::DriveDrive, "Octave"}),
         {{1, "31"}, {2, "61"}, {3, "62"}, {4, "63"}, {5, "64"}}},
    };
    for (const auto& cs : cases) {
        SCOPED_TRACE(cs.model + " " + cs.type + " case " + std::to_string(&cs - cases));
        Choices c = choicesFor(cs.model, cs.sets);
        c.types(TypeList::Drive) = typeEntries({cs.type, "Screamer"}, {"Fuzz", "Bass Muff"});  // ticked, absent
        expectEdits(c, Group::Drive, {1, cs.id, kDriveParams}, cs.written, {{2, "999", kDriveParams}});
    }
}
