#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pf {

// What a control of the window is shown with: every model, or a page or group of controls that
// only some models show.
enum class ShownWith {
    AnyModel,
    AmpPage,        // the G5 and G3X Amp page
    B3AmpPage,      // the B3 Amp page, which takes the Amp page's place
    PedalControls,  // CTRL PDL
    B3Controls,     // the B3 drive panel and the patch Balance
};

// The guitar units (G5, G3X) and the bass unit (B3) give some effect types ids and layouts of
// their own.
enum class ModelFamily { Any, Guitar, Bass };

// The module that holds each patch's own settings: its module header line and the parameter
// number of every setting in it (parameter N stands N + 1 lines below the header).
struct PatchModule {
    struct Pedal {
        int target;  // the control pedal's target
        int volume;  // set to 100 for the volume targets
    };
    std::string_view header;  // "  <Module9>"
    int level, footswitch;
    std::optional<Pedal> pedal;  // none: the model has no control-pedal target to write
    int balance;
};

// One device model and everything that differs between models. Adding a model is one row in
// DeviceModels.cpp, plus edit variants where its modules are laid out in a way of their own.
struct DeviceModel {
    std::string_view code;        // "g5": set by a load, the prefix of every catalogue section
    std::string_view extension;   // ".g5a", compared exactly
    std::string_view saveFilter;  // "G5 Patch Groups": the save dialog's entry for its files
    std::string_view noiseReductionId;  // type id of the noise-reduction module
    ModelFamily family;
    std::optional<PatchModule> patchModule;  // none: the patch-level block has nothing to look for
    ShownWith ampPage;            // AmpPage or B3AmpPage; its check list chooses the amp types
    // Whether a load shows or hides these controls; none: they are left as they were.
    std::optional<bool> pedalControls, b3Controls;

    bool known() const { return !code.empty(); }
    // Whether a load of this model shows what is shown with `part`; none: left as it was.
    std::optional<bool> shows(ShownWith part) const;
};

// The known models, in the order of the save dialog's filters.
std::span<const DeviceModel> deviceModels();

// Before a file of a known kind is loaded: code "", the edit variants of the G5 and G3X, no
// patch module to look for, the Amp page, the model-bound controls left as they are.
const DeviceModel& unknownModel();

// The model of a code (exact comparison), or the unknown one.
const DeviceModel& deviceModel(std::string_view code);

// The extension of a file name: from the last dot of the name (without folder) on, the dot
// included; empty when the name has no dot. ".g5a" is the extension of a file named ".g5a".
std::string extensionOf(const std::filesystem::path& file);

// The model whose extension the file has (exact comparison), or nullptr.
const DeviceModel* modelOfFile(const std::filesystem::path& file);

}  // namespace pf
