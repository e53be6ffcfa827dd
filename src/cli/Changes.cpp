#include "cli/Changes.h"

#include <algorithm>

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
    // Each changed line and its text before Process (its first record's `before`), by line.
    std::vector<std::pair<size_t, std::string>> old;
    old.reserve(record.size() + 1);
    for (const auto& e : record) old.emplace_back(e.line, e.before);
    std::stable_sort(old.begin(), old.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    old.erase(std::unique(old.begin(), old.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              old.end());
    std::erase_if(old, [&](const auto& entry) { return entry.second == result.line(entry.first); });
    const bool lastLineChanged = n > 0 && !inputEndedWithBreak;
    if (lastLineChanged && (old.empty() || old.back().first != n - 1)) old.emplace_back(n - 1, std::string(result.line(n - 1)));
    if (old.empty()) return {};

    std::string out = "--- a/" + std::string(oldName) + "\n+++ b/" + std::string(newName) + "\n";
    auto line = [&](char mark, std::string_view text) { out.append(1, mark).append(text).append(1, '\n'); };
    size_t c = 0;  // the next change to show
    while (c < old.size()) {
        const size_t first = old[c].first >= kContext ? old[c].first - kContext : 0;
        // Changes whose context touches or overlaps join one hunk.
        size_t end = c + 1;
        while (end < old.size() && old[end].first <= old[end - 1].first + 2 * kContext + 1) ++end;
        const size_t last = std::min(n - 1, old[end - 1].first + kContext);
        out += "@@ -" + range(first, last - first + 1) + " +" + range(first, last - first + 1) + " @@\n";
        for (size_t i = first; i <= last;) {
            if (c == end || old[c].first != i) {
                line(' ', result.line(i++));
                continue;
            }
            size_t runEnd = c;  // a run of changed lines: all old texts, then all new ones
            while (runEnd < end && old[runEnd].first == i + (runEnd - c)) ++runEnd;
            for (size_t k = c; k < runEnd; ++k) line('-', old[k].second);
            if (lastLineChanged && old[runEnd - 1].first == n - 1) out += "\\ No newline at end of file\n";
            for (size_t k = c; k < runEnd; ++k) line('+', result.line(old[k].first));
            i += runEnd - c;
            c = runEnd;
        }
    }
    return out;
}

void appendJsonFile(const JsonFile& f, std::string& out, const std::function<void(std::string&)>& flush) {
    constexpr size_t kFlushAt = 256 * 1024;
    auto str = [&](std::string_view key, std::string_view value) {
        out.append(", \"").append(key).append("\": ");
        appendJsonString(out, value);
    };
    auto num = [&](std::string_view key, size_t value) {
        out.append(", \"").append(key).append("\": ").append(std::to_string(value));
    };
    auto list = [&](std::string_view key, const std::vector<std::string>& items) {
        out.append(", \"").append(key).append("\": [");
        for (size_t i = 0; i < items.size(); ++i) {
            if (i) out += ", ";
            appendJsonString(out, items[i]);
        }
        out += ']';
    };
    out += "{\"input\": ";
    appendJsonString(out, f.input);
    str("output", f.output);
    str("status", f.status);
    str("message", f.message);
    size_t skipped = 0;
    if (f.report)
        for (const auto& b : f.report->blocks) skipped += b.editsSkipped;
    num("linesChanged", f.report ? f.report->linesChanged : 0);
    num("editsSkipped", skipped);
    list("notApplied", f.notApplied);
    list("errors", f.errors);
    out += ", \"blocks\": [";
    if (f.report) {
        for (size_t i = 0; i < f.report->blocks.size(); ++i) {
            const BlockReport& b = f.report->blocks[i];
            out += i ? ", {\"block\": " : "{\"block\": ";
            appendJsonString(out, groupName(b.group));
            num("hits", b.hits);
            num("editsMade", b.editsMade);
            num("editsSkipped", b.editsSkipped);
            out += ", \"types\": [";
            for (size_t k = 0; k < b.types.size(); ++k) {
                out += k ? ", {\"type\": " : "{\"type\": ";
                appendJsonString(out, b.types[k].name);
                num("hits", b.types[k].hits);
                out += '}';
            }
            out += "]}";
        }
    }
    out += "], \"changes\": [";
    if (f.changes) {
        bool first = true;
        for (const RecordedEdit& e : *f.changes) {
            out += first ? "\n  {\"line\": " : ",\n  {\"line\": ";
            first = false;
            out += std::to_string(e.line + 1);
            str("setting", setting(e.setting).caption);
            str("section", sectionOf(e.setting).name);
            str("block", groupName(e.group));
            str("type", e.type);
            out += ", \"moduleLine\": ";
            out += e.moduleLine < 0 ? std::string("null") : std::to_string(e.moduleLine + 1);
            str("module", e.module);
            str("old", e.before);
            str("new", e.after);
            out += '}';
            if (out.size() >= kFlushAt) flush(out);
        }
    }
    out += ']';
    if (f.diff) str("diff", *f.diff);
    out += '}';
}

}  // namespace pf::cli
