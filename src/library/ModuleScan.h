#pragma once

// The modules the edit blocks edit, found in one pass over a document: every module whose
// type-id line a block's search finds with all of the model's types ticked (as after a load),
// the noise reduction by its model's type id, and the patch module by its header line. Each is
// told with the patch it lies in.

#include <unordered_map>
#include <cstdint>
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

    // The same for a file read in parts: the lines [begin, end) of a part, the patch they lie
    // in carried from the part before in `patch`.
    struct PatchSoFar {
        size_t number = 0;
        std::string name;
    };
    void forEachIn(const Document& part, size_t begin, size_t end, PatchSoFar& patch,
                   const std::function<void(const FoundModule&)>& found) const;

private:
    // What a '<' at `q` of line `index` begins: a type-id line's text, whose modules go to
    // found(); returns whether the patch module's header begins there.
    bool atOpen(std::string_view line, size_t q, long long index, FoundModule& at, std::string& key,
                const std::function<void(const FoundModule&)>& found) const;

    // The type ids the blocks search for, in lower case (the search ignores letter case), each
    // with the blocks that search it (bit g for Group g).
    std::unordered_map<std::string, unsigned> ids_;
    // The same for the ids of up to seven characters (nearly all), packed into a number (never
    // 0), in a table of their own looked up at the place their number gives.
    struct ShortId {
        uint64_t packed = 0;
        unsigned blocks = 0;
    };
    std::vector<ShortId> shortIds_;
    unsigned blocksSearching(std::string_view id, std::string& key) const;
    std::string header_;  // the patch module's header line; empty: none
    size_t headerOpen_ = 0;  // where its '<' stands in it
};

}  // namespace pf
