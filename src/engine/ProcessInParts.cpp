#include "engine/ProcessInParts.h"

#include <cstring>

#include "document/Document.h"
#include "engine/Review.h"

namespace pf {

size_t lastPatchStart(std::string_view bytes) {
    // Lines are looked at from the last one up; a patch is a few hundred bytes, so the search
    // is short.
    size_t end = bytes.size();
    while (end > 0) {
        const void* lf = memrchr(bytes.data(), '\n', end);
        if (!lf) return std::string_view::npos;
        const size_t start = static_cast<size_t>(static_cast<const char*>(lf) - bytes.data()) + 1;
        if (start < bytes.size()) {
            std::string_view line = bytes.substr(start, end - start);
            if (end < bytes.size() && line.ends_with('\r')) line.remove_suffix(1);  // a break follows
            if (patchNameIn(line)) return start;
        }
        end = start - 1;
    }
    return std::string_view::npos;
}

std::optional<ProcessReport> processPart(Document& part, bool firstOfFile, bool lastOfFile, const Catalogue& catalogue,
                                         const Choices& choices) {
    LinesAimedAt aimed;
    ProcessReport report = process(part, catalogue, choices, nullptr, &aimed);
    if (aimed.lowest > aimed.highest) return report;
    if (!firstOfFile && aimed.lowest < 0) return std::nullopt;
    if (!lastOfFile && aimed.highest >= static_cast<long long>(part.lineCount())) return std::nullopt;
    return report;
}

void addPart(ProcessReport& file, const ProcessReport& part) {
    file.linesChanged += part.linesChanged;
    for (size_t b = 0; b < file.blocks.size() && b < part.blocks.size(); ++b) {
        BlockReport& to = file.blocks[b];
        const BlockReport& from = part.blocks[b];
        to.hits += from.hits;
        to.editsMade += from.editsMade;
        to.editsSkipped += from.editsSkipped;
        to.editsLeftOut += from.editsLeftOut;
        for (size_t t = 0; t < to.types.size() && t < from.types.size(); ++t) to.types[t].hits += from.types[t].hits;
    }
}

}  // namespace pf
