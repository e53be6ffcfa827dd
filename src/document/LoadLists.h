#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pf {

class Catalogue;

// The items of every catalogue list that a load fills, built from the model's sections.
// Check-list items are one blank and the name ("Remove" left out; all start ticked);
// drop-down items are the bare names; cab items are one blank, the name, two blanks and the
// first four characters of the value.
struct LoadLists {
    std::vector<std::string> ampChecks;       // checklistamp and checklistB3amp
    std::vector<std::string> ampNames;        // cboampamp and cboB3ampamp
    std::vector<std::string> midfNames;       // cboB3ampmidf
    std::vector<std::string> cabItems;        // cboampcab and cboB3ampcab
    std::vector<std::string> driveChecks;     // checklistdrive
    std::vector<std::string> driveNames;      // cbodrivedrive
    std::vector<std::string> reverbChecks;    // CheckListreverb
    std::vector<std::string> reverbNames;     // cboreverbreverb
    std::vector<std::string> footswitchNames; // cbopatchfootswitch
    std::vector<std::string> exppedalNames;   // cbopatchexppedal
};

LoadLists buildLoadLists(const Catalogue& catalogue, std::string_view modelCode);

// The cab item text for a cab entry: " " + name + "  " + first four characters of value.
std::string cabItemText(std::string_view name, std::string_view value);

// Section name suffixes of the catalogue.
namespace section {
inline constexpr std::string_view kAmp = "-amp";
inline constexpr std::string_view kCab = "-cab";
inline constexpr std::string_view kMidF = "-midf";
inline constexpr std::string_view kDrive = "-drive";
inline constexpr std::string_view kReverb = "-reverb";
inline constexpr std::string_view kFootswitch = "-footswitch";
inline constexpr std::string_view kExpPedal = "-exppedal";
}  // namespace section

}  // namespace pf
