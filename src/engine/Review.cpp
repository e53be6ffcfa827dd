#include "engine/Review.h"

#include <algorithm>
#include <charconv>

#include "document/Document.h"
#include "text/Ascii.h"

namespace pf {

ChangeList::ChangeList(const EditRecord& record) : record_(record) {
    // The rewrites sorted by (header line, place in the record). A hit's rewrites follow one
    // another in the record, so it is sorted as runs of rewrites of one module, by (header
    // line, first place): the same order, with a fraction of the entries to sort.
    runs_.reserve(record.runs().size());
    for (size_t r = 0; r < record.runs().size(); ++r) {
        const size_t end = r + 1 < record.runs().size() ? record.runs()[r + 1].first : record.size();
        runs_.push_back({record.runs()[r].moduleLine, record.runs()[r].first, end - record.runs()[r].first});
    }
    // Each block's pass over the document leaves its runs ascending: the ascending stretches
    // are merged pairwise into a second array and back, as many rounds as it takes.
    std::vector<size_t> bounds{0};
    for (size_t i = 1; i < runs_.size(); ++i)
        if (runs_[i] < runs_[i - 1]) bounds.push_back(i);
    bounds.push_back(runs_.size());
    std::vector<Run, io::LargeAllocator<Run>> other;
    if (bounds.size() > 2) other.resize(runs_.size());
    while (bounds.size() > 2) {
        std::vector<size_t> merged{0};
        for (size_t b = 0; b + 1 < bounds.size(); b += 2) {
            const auto from = runs_.begin() + static_cast<long>(bounds[b]);
            const auto middle = runs_.begin() + static_cast<long>(bounds[b + 1]);
            // An odd stretch out is copied as it is.
            const size_t end = b + 2 < bounds.size() ? bounds[b + 2] : bounds[b + 1];
            std::merge(from, middle, middle, runs_.begin() + static_cast<long>(end), other.begin() + static_cast<long>(bounds[b]));
            merged.push_back(end);
        }
        runs_.swap(other);
        bounds.swap(merged);
    }
    size_t modules = 0;
    for (size_t r = 0; r < runs_.size(); ++r) modules += r == 0 || runs_[r].header != runs_[r - 1].header;
    modules_.reserve(modules);
    for (size_t r = 0; r < runs_.size(); ++r) {
        if (modules_.empty() || modules_.back().headerLine != runs_[r].header) modules_.push_back({runs_[r].header, r, 0, 0});
        ++modules_.back().runs;
        modules_.back().count += runs_[r].count;
    }
}

size_t ChangeList::indexOf(const ModuleChanges& module, size_t i) const {
    for (size_t r = module.first;; ++r) {
        if (i < runs_[r].count) return runs_[r].first + i;
        i -= runs_[r].count;
    }
}

void ChangeList::restore(Document& document, const std::vector<bool>& keep) const {
    std::vector<size_t> lines;
    for (size_t m = 0; m < modules_.size(); ++m) {
        if (m < keep.size() && keep[m]) continue;
        for (size_t r = modules_[m].first; r < modules_[m].first + modules_[m].runs; ++r)
            for (size_t i = runs_[r].first; i < runs_[r].first + runs_[r].count; ++i) lines.push_back(record_.line(i));
    }
    if (lines.empty()) return;
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    // Latest first, so that a line rewritten more than once ends with its first `before`.
    std::string text;
    for (size_t i = record_.size(); i-- > 0;)
        if (const size_t line = record_.line(i); std::binary_search(lines.begin(), lines.end(), line)) {
            record_.readText(i, false, text);
            document.setLine(line, text);
        }
}

void ChangeList::takeBack(Document& document) const {
    std::string text;
    for (size_t i = record_.size(); i-- > 0;) {
        record_.readText(i, false, text);
        document.setLine(record_.line(i), text);
    }
}

void ChangeList::redo(Document& document, const std::vector<bool>& keep) const {
    // In the order made, so that a line rewritten more than once ends with its last `after`.
    std::string text;
    for (size_t i = 0; i < record_.size(); ++i) {
        record_.readText(i, true, text);
        document.setLine(record_.line(i), text);
    }
    restore(document, keep);
}

size_t ChangeList::linesDiffering(const Document& document) const {
    // Each line once, with its first rewrite: (line, place in the record) in order.
    std::vector<std::pair<size_t, size_t>> rewrites;
    rewrites.reserve(record_.size());
    for (size_t i = 0; i < record_.size(); ++i) rewrites.emplace_back(record_.line(i), i);
    std::sort(rewrites.begin(), rewrites.end());
    size_t differing = 0;
    std::string text;
    for (size_t k = 0; k < rewrites.size(); ++k) {
        if (k > 0 && rewrites[k].first == rewrites[k - 1].first) continue;
        record_.readText(rewrites[k].second, false, text);
        differing += document.line(rewrites[k].first) != text;
    }
    return differing;
}

std::string_view parameterValue(std::string_view line) {
    line = skipLeadingBlanks(line);
    const size_t open = line.find('>'), close = line.rfind("</");
    if (line.rfind("<Prm", 0) != 0 || open == std::string_view::npos || close == std::string_view::npos || close < open)
        return line;
    return line.substr(open + 1, close - open - 1);
}

namespace {

// The number N of a line that begins, after blanks and tabs, with "<PrmN>"; -1 for any other.
int parameterNumber(std::string_view line) {
    line = skipLeadingBlanks(line);
    if (line.size() < 6 || !equalsNoCase(line.substr(0, 4), "<prm")) return -1;
    int n = -1;
    const auto [end, ec] = std::from_chars(line.data() + 4, line.data() + line.size(), n);
    return ec == std::errc() && end < line.data() + line.size() && *end == '>' ? n : -1;
}

}  // namespace

ShownChange shownChange(const RecordedEdit& e, const ValueReader& reader) {
    const int number = parameterNumber(e.after);
    if (number < 0) return {};
    return {reader.readLine(e.setting, e.before, number, e.group, e.typeIdBefore),
            reader.readLine(e.setting, e.after, number, e.group, e.typeId)};
}

std::optional<std::string> typeNameOf(const RecordedEdit& e, const ValueReader& reader) {
    // A rewrite of the type-id line itself gives the module the type it writes.
    if (byTypeList(e.group) && parameterNumber(e.after) == 1)
        if (const auto written = parameterText(e.after, 1)) return reader.typeName(e.group, *written);
    return reader.typeName(e.group, e.typeId);
}

std::string patchNameAbove(const Document& document, size_t line, size_t reach) {
    for (size_t i = std::min(line + 1, document.lineCount()), seen = 0; i > 0 && seen <= reach; --i, ++seen)
        if (const auto name = patchNameIn(document.line(i - 1))) return std::string(*name);
    return {};
}

std::optional<std::string_view> patchNameIn(std::string_view line) {
    constexpr std::string_view kPatch = "<Patch ", kName = "Name=\"";
    line = skipLeadingBlanks(line);
    if (!line.starts_with(kPatch)) return std::nullopt;
    const size_t at = line.find(kName);
    if (at == std::string_view::npos) return std::string_view();
    line.remove_prefix(at + kName.size());
    return line.substr(0, line.find('"'));
}

ProcessOutcome outcomeOf(const ProcessReport& report, const ChangeList& changes) {
    ProcessOutcome o;
    o.linesChanged = report.linesChanged;
    o.modulesChanged = changes.modules().size();
    o.editsSkipped = report.editsSkipped();
    o.editsLeftOut = report.editsLeftOut();
    for (const BlockReport& block : report.blocks) {
        const bool byTypes = byTypeList(block.group);
        if (byTypes && block.types.empty()) o.blocksWithoutTypes.push_back(block.group);
        for (const TypeReport& type : block.types)
            if (type.hits == 0) o.notFound.push_back({block.group, byTypes ? type.name : std::string()});
    }
    return o;
}

}  // namespace pf
