#include "document/DeviceModels.h"

namespace pf {

namespace {

const DeviceModel kModels[] = {
    {.code = "g5", .extension = ".g5a", .saveFilter = "G5 Patch Groups",
     .noiseReductionId = "27", .family = ModelFamily::Guitar,
     .patchModule = PatchModule{.header = "  <Module9>", .level = 2, .footswitch = 3, .pedal = std::nullopt, .balance = 7},
     .ampPage = ShownWith::AmpPage, .pedalControls = false, .b3Controls = false},
    {.code = "g3x", .extension = ".g3xa", .saveFilter = "G3v2 Patch Groups",
     .noiseReductionId = "27", .family = ModelFamily::Guitar,
     .patchModule = PatchModule{.header = "  <Module6>", .level = 0, .footswitch = 1,
                                .pedal = PatchModule::Pedal{.target = 3, .volume = 5}, .balance = 7},
     .ampPage = ShownWith::AmpPage, .pedalControls = true, .b3Controls = false},
    {.code = "b3", .extension = ".b3a", .saveFilter = "B3 Patch Groups",
     .noiseReductionId = "19", .family = ModelFamily::Bass,
     .patchModule = PatchModule{.header = "  <Module3>", .level = 0, .footswitch = 1,
                                .pedal = PatchModule::Pedal{.target = 3, .volume = 5}, .balance = 7},
     .ampPage = ShownWith::B3AmpPage, .pedalControls = true, .b3Controls = true},
};

const DeviceModel kUnknown{.code = "", .extension = "", .saveFilter = "",
                           .noiseReductionId = "27", .family = ModelFamily::Guitar,
                           .patchModule = std::nullopt, .ampPage = ShownWith::AmpPage,
                           .pedalControls = std::nullopt, .b3Controls = std::nullopt};

}  // namespace

std::optional<bool> DeviceModel::shows(ShownWith part) const {
    switch (part) {
        case ShownWith::AnyModel: return true;
        case ShownWith::AmpPage:
        case ShownWith::B3AmpPage: return ampPage == part;
        case ShownWith::PedalControls: return pedalControls;
        case ShownWith::B3Controls: return b3Controls;
    }
    return true;
}

std::span<const DeviceModel> deviceModels() { return kModels; }

const DeviceModel& unknownModel() { return kUnknown; }

const DeviceModel& deviceModel(std::string_view code) {
    for (const DeviceModel& m : kModels)
        if (m.code == code) return m;
    return kUnknown;
}

std::string extensionOf(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

const DeviceModel* modelOfFile(const std::filesystem::path& file) {
    const std::string ext = extensionOf(file);
    for (const DeviceModel& m : kModels)
        if (m.extension == ext) return &m;
    return nullptr;
}

}  // namespace pf
