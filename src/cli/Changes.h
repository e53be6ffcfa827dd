#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EditRecord.h"
#include "engine/Process.h"

namespace pf {
class Document;
}

namespace pf::cli {

// The unified diff ("diff -u" form, three lines of context) of the input against the result,
// headed "--- a/<oldName>" and "+++ b/<newName>", from the result and the record of Process.
// Process rewrites lines in place, so each changed line is shown against itself; line ends are
// left out (the CR of CR LF too). An input whose last line had no line break shows that line
// changed, with "\ No newline at end of file" under its old text. Empty when nothing differs.
std::string unifiedDiff(const Document& result, bool inputEndedWithBreak, const EditRecord& record,
                        std::string_view oldName, std::string_view newName);

// What the JSON form of the report says of one input (docs/json.md lists the fields).
struct JsonFile {
    std::string input, output, status, message;
    const ProcessReport* report = nullptr;  // null when the input was not processed
    const EditRecord* changes = nullptr;
    std::vector<std::string> notApplied, errors;
    const std::string* diff = nullptr;  // with --diff
};
// Appends the file's JSON object to `out`, handing `out` to `flush` (which empties it) whenever it
// has grown past a few hundred kilobytes, so a file of a million changes is not held whole.
void appendJsonFile(const JsonFile& file, std::string& out, const std::function<void(std::string&)>& flush);

}  // namespace pf::cli
