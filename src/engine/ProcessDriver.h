#pragma once

// The Process driver over a table of blocks: process() runs it with the five edit blocks; any
// other table (a block that fails part-way, say) goes through the same steps, the undoing of
// a failed command included.

#include <functional>
#include <span>

#include "engine/Blocks.h"

namespace pf {

struct BlockStep {
    Group group;
    std::function<BlockReport(const BlockInput&)> run;
};

// Process with `blocks` as the edit blocks, run in table order, each when its group's flag is
// set.
ProcessReport processWithBlocks(Document& document, const Catalogue& catalogue, const Choices& choices,
                                std::span<const BlockStep> blocks, EditRecord* record = nullptr,
                                LinesAimedAt* aimed = nullptr);

}  // namespace pf
