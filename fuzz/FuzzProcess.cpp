// A whole Process run: a patch-group file, a catalogue and the window's choices decoded from
// the input (see ProcessInput.h), with the invariants every run must keep:
// - the line count never changes;
// - every value written is a whole number from 0 to 200 or comes from the catalogue;
// - only parameter lines change, each into "        <PrmN>value</PrmN>" from a line that was
//   itself a parameter line of the same number N;
// - every changed line stands where an edit table can put parameter N: N - 1 lines below a
//   line that holds a type-id line ("        <Prm1>"), or, for the patch-level block, N + 1
//   lines below a module header ("  <Module");
// - the report counts exactly the lines that differ; nothing ticked means nothing to save and
//   an untouched document; the blocks that ran are those of the ticked groups, in order;
// - the same input gives the same output, with a record of the rewrites kept or not, and the
//   record, replayed onto the input line by line, gives the output;
// - only rules and patch patterns leave edits out; a rule written by a setting's choice is what
//   the record shows beside its rewrites;
// - the index of type-id and module-header lines finds exactly what a search of the text
//   finds, on the file as read and on the document a Process left (whose rewritten lines lie
//   in their own place or beside the buffer);
// - the file cut into parts before every line that opens a patch, each part processed on its
//   own, gives the whole run's lines, output bytes and counts, unless a part's run says it
//   aimed outside its part.
// Hangs are caught by libFuzzer's -timeout.
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "ProcessInput.h"
#include "catalogue/Catalogue.h"
#include "catalogue/IniFile.h"
#include "document/Document.h"
#include "engine/EditSession.h"
#include "engine/Process.h"
#include "engine/ProcessInParts.h"
#include "engine/Settings.h"

namespace {

bool contains(std::string_view hay, std::string_view lowerNeedle) {
    return pf::lowerAscii(hay).find(lowerNeedle) != std::string::npos;
}

// "        <PrmN>value</PrmN>" with N in 0..10: N, or -1 when the line has another form.
int writtenParameter(std::string_view line) {
    constexpr std::string_view head = "        <Prm";
    if (line.substr(0, head.size()) != head) return -1;
    size_t i = head.size();
    int n = 0;
    size_t digits = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 3) {
        n = n * 10 + (line[i] - '0');
        ++i;
        ++digits;
    }
    if (digits == 0 || n > 10 || (digits > 1 && line[head.size()] == '0')) return -1;
    if (i >= line.size() || line[i] != '>') return -1;
    const std::string tail = "</Prm" + std::to_string(n) + ">";
    if (line.size() < i + 1 + tail.size() || line.substr(line.size() - tail.size()) != tail) return -1;
    return n;
}

// After leading blanks and tabs, "<PrmN>" in any letter case.
bool wasParameterLine(std::string_view line, int n) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return pf::lowerAscii(line.substr(i)).rfind("<prm" + std::to_string(n) + ">", 0) == 0;
}

// The search strings of the edit blocks: the type-id lines of the catalogue's values (and one
// in other letter case), the noise-reduction ones and the module headers.
std::vector<std::string> searchStrings(const pf::IniFile& ini) {
    std::vector<std::string> out{"        <Prm1>27</Prm1>", "        <Prm1>19</Prm1>", "        <PRM1>27</prm1>"};
    for (int m = 0; m <= 10; ++m) out.push_back("  <Module" + std::to_string(m) + ">");
    for (const auto& section : ini.sections())
        for (const auto& e : section.entries)
            if (out.size() < 40) out.push_back("        <Prm1>" + e.value + "</Prm1>");
    return out;
}

void checkIndexAgreesWithTheText(const pf::Document& document, const std::vector<std::string>& needles) {
    for (const auto& needle : needles) {
        pf::Document doc = document;
        pf::EditSession session(doc);
        std::vector<long long> indexed, plain;
        session.forEachHit(needle, [&](long long line) { indexed.push_back(line); });
        for (auto p = doc.find(needle, 0); p; p = doc.find(needle, *p + 1))
            plain.push_back(static_cast<long long>(doc.lineOfPosition(*p)));
        PF_FUZZ_CHECK(indexed == plain);
    }
}

// The run over the file in parts, one patch a part, against the whole run.
void checkPartsAgreeWithTheWhole(std::string_view bytes, const pf::Catalogue& catalogue, const pf::Choices& choices,
                                 const pf::Document& whole, const pf::ProcessReport& report) {
    std::vector<std::string_view> parts;
    for (size_t cut = pf::lastPatchStart(bytes); cut != std::string_view::npos; cut = pf::lastPatchStart(bytes)) {
        PF_FUZZ_CHECK(cut > 0 && cut < bytes.size() && bytes[cut - 1] == '\n');
        parts.insert(parts.begin(), bytes.substr(cut));
        bytes = bytes.substr(0, cut);
    }
    parts.insert(parts.begin(), bytes);
    std::vector<std::string> lines;
    std::string out;
    pf::ProcessReport total;
    for (size_t i = 0; i < parts.size(); ++i) {
        pf::Document part = pf::Document::fromBytes(parts[i]);
        const auto partReport = pf::processPart(part, i == 0, i + 1 == parts.size(), catalogue, choices);
        if (!partReport) return;  // the file goes whole
        if (i == 0) total = *partReport;
        else pf::addPart(total, *partReport);
        for (auto& line : part.lines()) lines.push_back(std::move(line));
        part.appendWritten(out);
    }
    PF_FUZZ_CHECK(lines == whole.lines());
    std::string wholeWritten;
    whole.appendWritten(wholeWritten);
    PF_FUZZ_CHECK(out == wholeWritten);
    PF_FUZZ_CHECK(total.summary() == report.summary());
    PF_FUZZ_CHECK(total.editsSkipped() == report.editsSkipped() && total.editsLeftOut() == report.editsLeftOut());
    for (size_t b = 0; b < report.blocks.size(); ++b) PF_FUZZ_CHECK(total.blocks[b].editsMade == report.blocks[b].editsMade);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const pf::fuzz::ProcessInput in =
        pf::fuzz::decodeProcessInput(std::string_view(reinterpret_cast<const char*>(data), size));
    const pf::Document original = pf::Document::fromBytes(in.document);
    const pf::Catalogue catalogue = pf::Catalogue::fromBytes(in.catalogue);

    pf::Document doc = original;
    const pf::ProcessReport report = pf::process(doc, catalogue, in.choices);

    // Group flags, and the blocks that ran, in their fixed order.
    std::array<bool, pf::kGroupCount> flags{};
    bool anyTicked = false;
    for (const auto& def : pf::settings())
        if (in.choices[def.id].ticked) {
            flags[static_cast<size_t>(def.group)] = true;
            anyTicked = true;
        }
    PF_FUZZ_CHECK(report.groupFlags == flags);
    PF_FUZZ_CHECK(report.nothingToSave() == !anyTicked);
    {
        size_t b = 0;
        for (size_t g = 0; g < pf::kGroupCount; ++g) {
            if (!flags[g]) continue;
            PF_FUZZ_CHECK(b < report.blocks.size());
            PF_FUZZ_CHECK(report.blocks[b].group == static_cast<pf::Group>(g));
            size_t typeHits = 0;
            for (const auto& t : report.blocks[b].types) typeHits += t.hits;
            PF_FUZZ_CHECK(typeHits == report.blocks[b].hits);
            ++b;
        }
        PF_FUZZ_CHECK(b == report.blocks.size());
    }

    PF_FUZZ_CHECK(doc.lineCount() == original.lineCount());
    const size_t n = doc.lineCount();
    std::vector<bool> changed(n, false);
    size_t changedCount = 0;
    for (size_t i = 0; i < n; ++i)
        if (doc.line(i) != original.line(i)) {
            changed[i] = true;
            ++changedCount;
        }
    PF_FUZZ_CHECK(report.linesChanged == changedCount);
    if (!anyTicked) PF_FUZZ_CHECK(changedCount == 0);
    bool anyRuled = false;
    for (const auto& def : pf::settings()) anyRuled = anyRuled || (in.choices[def.id].ticked && in.choices.ruled(def.id));
    if (!anyRuled) PF_FUZZ_CHECK(report.editsLeftOut() == 0);

    // A line can hold a hit if it held the search text before or after the run. A catalogue
    // value that itself carries such text can put it, for a while, into any rewritten line.
    const std::string lowerCatalogue = pf::lowerAscii(in.catalogue);
    const bool valuesCarryKeys =
        lowerCatalogue.find("<prm1>") != std::string::npos || lowerCatalogue.find("<module") != std::string::npos;
    auto couldHold = [&](long long h, std::string_view key) {
        if (h < 0 || static_cast<size_t>(h) >= n) return false;
        const size_t k = static_cast<size_t>(h);
        return contains(original.line(k), key) || contains(doc.line(k), key) || (valuesCarryKeys && changed[k]);
    };
    const std::string& model = in.choices.model;
    const bool patchBlockEdits =
        flags[static_cast<size_t>(pf::Group::PatchLevel)] && pf::deviceModel(model).patchModule.has_value();

    // Values written: whole numbers a control offers (never below 0), a catalogue value, a cab
    // value less its four-character label, or the empty text of a name the catalogue lacks.
    std::set<std::string, std::less<>> catalogueValues{""};
    const pf::IniFile ini = pf::IniFile::fromBytes(in.catalogue);
    for (const auto& section : ini.sections())
        for (const auto& e : section.entries) {
            catalogueValues.insert(e.value);
            if (e.value.size() > 4) catalogueValues.insert(e.value.substr(4, 300));
        }
    auto allowedValue = [&](std::string_view v) {
        if (catalogueValues.count(v) != 0) return true;
        if (v.empty() || v.size() > 3 || (v.size() > 1 && v.front() == '0')) return false;
        int x = 0;
        for (char c : v) {
            if (c < '0' || c > '9') return false;
            x = x * 10 + (c - '0');
        }
        return x <= 200;
    };

    for (size_t i = 0; i < n; ++i) {
        if (!changed[i]) continue;
        const int number = writtenParameter(doc.line(i));
        PF_FUZZ_CHECK(number >= 0);
        {
            const std::string_view line = doc.line(i);
            const size_t open = line.find('>') + 1;
            const size_t close = line.size() - (number >= 10 ? 8 : 7);
            PF_FUZZ_CHECK(allowedValue(line.substr(open, close - open)));
        }
        PF_FUZZ_CHECK(wasParameterLine(original.line(i), number));
        const long long line = static_cast<long long>(i);
        const bool belowTypeId = couldHold(line - number + 1, "        <prm1>");
        const bool belowHeader = patchBlockEdits && couldHold(line - number - 1, "  <module");
        PF_FUZZ_CHECK(belowTypeId || belowHeader);
    }

    checkPartsAgreeWithTheWhole(in.document, catalogue, in.choices, doc, report);

    const std::vector<std::string> needles = searchStrings(ini);
    checkIndexAgreesWithTheText(original, needles);
    checkIndexAgreesWithTheText(doc, needles);

    // The same input gives the same output, and so does its record replayed onto the input.
    pf::Document again = original;
    pf::EditRecord record;
    const pf::ProcessReport second = pf::process(again, catalogue, in.choices, &record);
    PF_FUZZ_CHECK(again.lines() == doc.lines());
    std::vector<std::string> replayed = original.lines();
    for (const pf::RecordedEdit& e : record) {
        PF_FUZZ_CHECK(e.line < n && replayed[e.line] == e.before && e.before != e.after);
        // The module's header as it read then: as read, unless the run rewrote that line too.
        PF_FUZZ_CHECK(e.moduleLine < 0 ? e.module.empty()
                                       : static_cast<size_t>(e.moduleLine) < n &&
                                             (e.module == original.line(static_cast<size_t>(e.moduleLine)) ||
                                              changed[static_cast<size_t>(e.moduleLine)]));
        replayed[e.line] = e.after;
        PF_FUZZ_CHECK(record.rule(e.setting).empty() == in.choices[e.setting].rule.plain());
    }
    PF_FUZZ_CHECK(replayed == doc.lines());
    PF_FUZZ_CHECK(second.linesChanged == report.linesChanged);
    PF_FUZZ_CHECK(second.summary() == report.summary());
    return 0;
}
