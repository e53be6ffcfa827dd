#include "cli/Changes.h"

#include <algorithm>
#include <map>

#include "cli/Escape.h"
#include "document/Document.h"
#include "engine/Settings.h"

namespace pf::cli {

namespace {

constexpr size_t kContext = 3;

std::string range(size_t first, size_t count) {
    return std::to_string(first + 1) + (count == 1 ? std::string() : "," + std::to_string(count));
}

}  // namespace

std::string unifiedDiff(const Document& result, bool inputEndedWithBreak, const EditRecord& record,
                        std::string_view oldName, std::string_view newName) {
    const size_t n = result.lineCount();
    // Each line's text before Process: its first record's `before`.
    std::map<size_t, std::string_view> old;
    for (const auto& e : record) old.emplace(e.line, e.before);
    std::erase_if(old, [&](const auto& entry) { return entry.second == result.line(entry.first); });
    const bool lastLineChanged = n > 0 && !inputEndedWithBreak;
    if (lastLineChanged) old.emplace(n - 1, result.line(n - 1));
    if (old.empty()) return {};

    std::string out = "--- a/" + std::string(oldName) + "\n+++ b/" + std::string(newName) + "\n";
    auto it = old.begin();
    while (it != old.end()) {
        const size_t first = it->first >= kContext ? it->first - kContext : 0;
        // Changes whose context touches or overlaps join one hunk.
        auto end = it;
        size_t lastChanged = it->first;
        for (++end; end != old.end() && end->first <= lastChanged + 2 * kContext + 1; ++end) lastChanged = end->first;
        const size_t last = std::min(n - 1, lastChanged + kContext);
        out += "@@ -" + range(first, last - first + 1) + " +" + range(first, last - first + 1) + " @@\n";
        for (size_t i = first; i <= last;) {
            if (!old.contains(i)) {
                out.append(" ").append(result.line(i)).append("\n");
                ++i;
                continue;
            }
            size_t runEnd = i;
            while (runEnd <= last && old.contains(runEnd)) ++runEnd;
            for (size_t k = i; k < runEnd; ++k) out.append("-").append(old.at(k)).append("\n");
            if (lastLineChanged && runEnd == n) out += "\\ No newline at end of file\n";
            for (size_t k = i; k < runEnd; ++k) out.append("+").append(result.line(k)).append("\n");
            i = runEnd;
        }
        it = end;
    }
    return out;
}

std::string jsonFile(const JsonFile& f) {
    auto list = [](const std::vector<std::string>& items) {
        std::string out = "[";
        for (const auto& s : items) out += (out.size() > 1 ? ", " : "") + jsonString(s);
        return out + "]";
    };
    std::string out = "{\"input\": " + jsonString(f.input) + ", \"output\": " + jsonString(f.output) +
                      ", \"status\": " + jsonString(f.status) + ", \"message\": " + jsonString(f.message);
    size_t skipped = 0;
    std::string blocks = "[";
    if (f.report) {
        for (const auto& b : f.report->blocks) {
            skipped += b.editsSkipped;
            blocks += std::string(blocks.size() > 1 ? ", " : "") + "{\"block\": " + jsonString(groupName(b.group)) +
                      ", \"hits\": " + std::to_string(b.hits) + ", \"editsMade\": " + std::to_string(b.editsMade) +
                      ", \"editsSkipped\": " + std::to_string(b.editsSkipped) + ", \"types\": [";
            for (size_t i = 0; i < b.types.size(); ++i)
                blocks += std::string(i ? ", " : "") + "{\"type\": " + jsonString(b.types[i].name) +
                          ", \"hits\": " + std::to_string(b.types[i].hits) + "}";
            blocks += "]}";
        }
    }
    blocks += "]";
    out += ", \"linesChanged\": " + std::to_string(f.report ? f.report->linesChanged : 0) +
           ", \"editsSkipped\": " + std::to_string(skipped) + ", \"notApplied\": " + list(f.notApplied) +
           ", \"errors\": " + list(f.errors) + ", \"blocks\": " + blocks + ", \"changes\": [";
    if (f.changes) {
        bool firstChange = true;
        for (const auto& e : *f.changes) {
            const SettingDef& def = setting(e.setting);
            out += std::string(firstChange ? "\n" : ",\n") + "  {\"line\": " + std::to_string(e.line + 1) +
                   ", \"setting\": " + jsonString(def.caption) + ", \"section\": " + jsonString(sectionOf(e.setting).name) +
                   ", \"block\": " + jsonString(groupName(e.group)) + ", \"type\": " + jsonString(e.type) +
                   ", \"moduleLine\": " + (e.moduleLine < 0 ? std::string("null") : std::to_string(e.moduleLine + 1)) +
                   ", \"module\": " + jsonString(e.module) + ", \"old\": " + jsonString(e.before) +
                   ", \"new\": " + jsonString(e.after) + "}";
            firstChange = false;
        }
    }
    out += "]";
    if (f.diff) out += ", \"diff\": " + jsonString(*f.diff);
    return out + "}";
}

}  // namespace pf::cli
