#pragma once

// For tests only: Process over a table of blocks other than the five edit blocks, so that a
// test can make a block fail part-way and see the command undone. Nothing outside the tests
// includes this header.

#include <functional>
#include <span>

#include "engine/Blocks.h"

namespace pf {

struct BlockStep {
    Group group;
    std::function<BlockReport(const BlockInput&)> run;
};

// process() with `blocks` in place of the edit blocks, run in table order, each when its
// group's flag is set.
ProcessReport processWithBlocks(Document& document, const Catalogue& catalogue, const Choices& choices,
                                std::span<const BlockStep> blocks, EditRecord* record = nullptr);

}  // namespace pf
