#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/FileWork.h"
#include "engine/Process.h"

namespace pf {
class Catalogue;
}

namespace pf::batch {

// Files smaller than this are taken whole.
inline constexpr size_t kFileInPartsSize = size_t{4} << 20;

struct FileInParts {
    ProcessReport report;                 // of the whole file
    std::vector<std::string> notApplied;  // as ProcessedFile's
};

// A big input processed as processFile() would, without a record, but a part of about half a
// megabyte at a time (see engine/ProcessInParts.h): several parts at once, each read by the
// thread that processes it, and the bytes a save of each writes handed to `writePart` in file
// order as soon as it and those before it are done, so the file is never held whole and what is
// written can go to disk while later parts are at work.
//
// Declines (nullopt) whenever the input is not one to take in parts: smaller than
// kFileInPartsSize, not readable, wide text, a name not in the catalogue, nothing to save, a
// part whose run aimed outside it, a failure while processing or in `writePart`. The caller
// then takes the file whole, which gives the same bytes or the usual message; whatever
// `writePart` was given by then is of no use.
std::optional<FileInParts> processFileInParts(const std::filesystem::path& input, ChoicesByModel& choices,
                                              const Catalogue& catalogue,
                                              const std::function<bool(std::string_view)>& writePart);

}  // namespace pf::batch
