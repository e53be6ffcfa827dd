#pragma once

// The modules the edit blocks edit, found in one pass over a document: every module whose
// type-id line a block's search finds with all of the model's types ticked (as after a load),
// the noise reduction by its model's type id, and the patch module by its header line. Each is
// told with the patch it lies in.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/DeviceModels.h"
#include "engine/Settings.h"

namespace pf {

class Catalogue;
class Document;

struct FoundModule {
    long long headerLine = -1;   // index of the module's header line (Prm0 stands one below)
    Group group{};
    std::string_view typeId;     // as the block searches it; empty for the patch module
    size_t patch = 0;            // the patch it lies in, from 1 (0: above the first patch)
    std::string_view patchName;  // that patch's name
};

class ModuleScan {
public:
    ModuleScan(const Catalogue& catalogue, const DeviceModel& model);

    // Calls found() for every module in the order of the document's lines; a line that several
    // blocks' searches hit gives one module per block, in the order Process runs the blocks.
    void forEach(const Document& document, const std::function<void(const FoundModule&)>& found) const;

private:
    void scanLine(std::string_view line, long long index, FoundModule& at,
                  const std::function<void(const FoundModule&)>& found) const;

    // The type ids each block searches for, in lower case (the search ignores letter case).
    std::array<std::vector<std::string>, kGroupCount> ids_;
    std::string header_;  // the patch module's header line in lower case; empty: none
};

}  // namespace pf
