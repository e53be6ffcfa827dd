#include "cli/Changes.h"

#include <algorithm>

#include "text/Escape.h"
#include "document/Document.h"
#include "engine/Review.h"
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
    // Each changed line and its text before Process (its first record's `before`), by line:
    // the record's index of that first rewrite, or none for a last line that only lost its
    // missing line break.
    constexpr size_t kUnchangedText = SIZE_MAX;
    std::vector<std::pair<size_t, size_t>> old;
    old.reserve(record.size() + 1);
    for (size_t i = 0; i < record.size(); ++i) old.emplace_back(record.line(i), i);
    std::sort(old.begin(), old.end());  // by line, then by the order of the rewrites
    old.erase(std::unique(old.begin(), old.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              old.end());
    std::string before;
    std::erase_if(old, [&](const auto& entry) {
        before = record[entry.second].before;
        return before == result.line(entry.first);
    });
    const bool lastLineChanged = n > 0 && !inputEndedWithBreak;
    if (lastLineChanged && (old.empty() || old.back().first != n - 1)) old.emplace_back(n - 1, kUnchangedText);
    if (old.empty()) return {};
    auto oldText = [&](const std::pair<size_t, size_t>& entry) -> std::string_view {
        if (entry.second == kUnchangedText) return result.line(entry.first);
        before = record[entry.second].before;
        return before;
    };

    // Names shown escaped, as in the report lines: a name can never end its header line early
    // and look like another header or a hunk.
    std::string out = "--- a/" + escaped(oldName) + "\n+++ b/" + escaped(newName) + "\n";
    // Room for every line shown, at the document's mean line length, so that the text is not
    // moved as it grows.
    const size_t meanLine = result.allInBuffer() && n > 0 ? result.buffer().size() / n + 2 : 32;
    out.reserve(std::min(n, old.size() * (2 * kContext + 2)) * meanLine);
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
            for (size_t k = c; k < runEnd; ++k) line('-', oldText(old[k]));
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
    // A shown value: a number as a number, a list's text as a string, null when not readable.
    auto value = [&](std::string_view key, const std::optional<ShownValue>& v) {
        out.append(", \"").append(key).append("\": ");
        if (!v) out += "null";
        else if (const int* n = std::get_if<int>(&*v)) out += std::to_string(*n);
        else appendJsonString(out, std::get<std::string>(*v));
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
    num("linesChanged", f.report ? f.report->linesChanged : 0);
    num("editsSkipped", f.report ? f.report->editsSkipped() : 0);
    num("editsLeftOut", f.report ? f.report->editsLeftOut() : 0);
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
            num("editsLeftOut", b.editsLeftOut);
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
            const ShownChange shown = shownChange(e, f.changes->reader());
            value("oldValue", shown.before);
            value("newValue", shown.after);
            const std::optional<std::string> typeName = typeNameOf(e, f.changes->reader());
            value("typeName", typeName ? std::optional<ShownValue>(*typeName) : std::nullopt);
            const std::string& rule = f.changes->rule(e.setting);
            value("rule", rule.empty() ? std::nullopt : std::optional<ShownValue>(rule));
            out += '}';
            if (out.size() >= kFlushAt) flush(out);
        }
    }
    out += ']';
    if (f.diff) str("diff", *f.diff);
    out += '}';
}

}  // namespace pf::cli
