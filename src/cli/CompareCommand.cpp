// presetforger-cli compare: what differs between two patch groups or two patches, as lines of
// text, CSV or JSON; exit status 0 when equal, 1 when they differ, 2 on error.
#include <charconv>
#include <iostream>
#include <filesystem>
#include <optional>
#include <set>

#include "catalogue/Catalogue.h"
#include "cli/LibraryCommands.h"
#include "document/Document.h"
#include "library/Compare.h"
#include "text/Csv.h"
#include "text/Escape.h"

namespace pf::cli {

namespace {

using Format = LibraryOptions::Format;
using Kind = Difference::Kind;

// "FILE" or "FILE#N": a name that is no file and ends in '#' and a number names a patch.
struct Side {
    std::string file;
    std::optional<size_t> patch;
    std::vector<TableRow> rows;
};

Side sideOf(const std::string& arg) {
    const size_t hash = arg.rfind('#');
    if (hash == std::string::npos || hash + 1 == arg.size() || std::filesystem::exists(arg)) return {arg, std::nullopt, {}};
    size_t n = 0;
    const auto [end, ec] = std::from_chars(arg.data() + hash + 1, arg.data() + arg.size(), n);
    if (ec != std::errc() || end != arg.data() + arg.size()) return {arg, std::nullopt, {}};
    return {arg.substr(0, hash), n, {}};
}

constexpr std::string_view kindName(Kind kind) {
    switch (kind) {
        case Kind::PatchOnlyInA: return "patch only in A";
        case Kind::PatchOnlyInB: return "patch only in B";
        case Kind::ModuleOnlyInA: return "module only in A";
        case Kind::ModuleOnlyInB: return "module only in B";
        case Kind::Value: return "value";
    }
    return {};
}

std::string moduleText(const TableRow* row) { return row ? std::to_string(row->headerLine + 1) : std::string(); }

// "Lead Solo: Amp.Gain 30 -> 60", "Lead Solo: Drive module only in A (line 120)", "Lead Solo:
// patch only in B". A value of a block that A's patch has several modules of says which:
// "Lead Solo: Drive.Level 60 -> 70 (line 15)".
std::string textLine(const Difference& d, const std::set<std::pair<size_t, Group>>& severalInA) {
    std::string out = d.patch + ": ";
    auto shown = [](const std::string& v) { return v.empty() ? std::string("(none)") : v; };
    switch (d.kind) {
        case Kind::Value:
            out += columnName(d.setting) + " " + shown(d.before) + " -> " + shown(d.after);
            if (d.rowA && severalInA.contains({d.patchA, d.group})) out += " (line " + moduleText(d.rowA) + ")";
            return out;
        case Kind::ModuleOnlyInA:
        case Kind::ModuleOnlyInB:
            return out + std::string(groupName(d.group)) + " " + std::string(kindName(d.kind)) + " (line " +
                   moduleText(d.rowA ? d.rowA : d.rowB) + ")";
        default: return out + std::string(kindName(d.kind));
    }
}

void appendJsonValue(std::string& out, const TableRow* row, SettingId id) {
    const TableCell* c = row ? row->cell(id) : nullptr;
    if (!c || !c->value) out += "null";
    else if (const int* n = std::get_if<int>(&*c->value)) out += std::to_string(*n);
    else appendJsonString(out, std::get<std::string>(*c->value));
}

}  // namespace

int runCompare(const LibraryOptions& o, const Catalogue& catalogue) {
    Side sides[2] = {sideOf(o.inputs[0]), sideOf(o.inputs[1])};
    if (sides[0].patch.has_value() != sides[1].patch.has_value()) {
        sayError("compare takes two files or two patches (FILE#N), not one of each");
        std::cerr << libraryUsageText(o.command);
        return kLibraryUsageError;
    }
    std::vector<const DeviceModel*> models;
    for (Side& side : sides) {
        Document document;
        std::string error;
        if (!document.load(side.file, &error)) {
            sayError(error);
            return kLibraryUsageError;
        }
        const DeviceModel* model = modelOfFile(side.file);
        models.push_back(model ? model : &unknownModel());
        side.rows = PatchTable(catalogue, *models.back()).rows(document);
        if (side.patch) {
            const auto rows = rowsOfPatch(side.rows, *side.patch);
            if (rows.empty()) {
                sayError(side.file + " has no patch " + std::to_string(*side.patch) + " with modules to compare");
                return kLibraryUsageError;
            }
            side.rows.assign(rows.begin(), rows.end());
        }
    }
    const std::vector<SettingId> columns = columnsFor(models);
    const std::vector<Difference> differences = sides[0].patch ? comparePatches(sides[0].rows, sides[1].rows, columns)
                                                               : compareTables(sides[0].rows, sides[1].rows, columns);
    Output out;
    std::string& text = out.text();
    switch (o.format) {
        case Format::Csv:
            appendCsvRecord(text, {"Name", "Patch A", "Patch B", "Difference", "Block", "Module A", "Module B", "Setting", "A", "B"});
            for (const Difference& d : differences) {
                const bool module = d.kind != Kind::PatchOnlyInA && d.kind != Kind::PatchOnlyInB;
                auto number = [](size_t n) { return n ? std::to_string(n) : std::string(); };
                appendCsvRecord(text, {d.patch, number(d.patchA), number(d.patchB), std::string(kindName(d.kind)),
                                       module ? std::string(groupName(d.group)) : "", moduleText(d.rowA),
                                       moduleText(d.rowB), d.kind == Kind::Value ? columnName(d.setting) : "", d.before,
                                       d.after});
            }
            break;
        case Format::Json:
            text += "{\"a\": ";
            appendJsonString(text, o.inputs[0]);
            text += ", \"b\": ";
            appendJsonString(text, o.inputs[1]);
            text += differences.empty() ? ", \"equal\": true, \"differences\": [" : ", \"equal\": false, \"differences\": [";
            for (size_t i = 0; i < differences.size(); ++i) {
                const Difference& d = differences[i];
                text += i ? ",\n" : "\n";
                text += "{\"difference\": \"" + std::string(kindName(d.kind)) + "\", \"name\": ";
                appendJsonString(text, d.patch);
                text += ", \"patchA\": " + (d.patchA ? std::to_string(d.patchA) : "null");
                text += ", \"patchB\": " + (d.patchB ? std::to_string(d.patchB) : "null");
                if (d.kind == Kind::PatchOnlyInA || d.kind == Kind::PatchOnlyInB) {
                    text += "}";
                    continue;
                }
                text += ", \"block\": \"" + std::string(groupName(d.group)) + "\"";
                text += ", \"moduleA\": " + (d.rowA ? moduleText(d.rowA) : "null");
                text += ", \"moduleB\": " + (d.rowB ? moduleText(d.rowB) : "null");
                if (d.kind == Kind::Value) {
                    text += ", \"setting\": ";
                    appendJsonString(text, columnName(d.setting));
                    text += ", \"valueA\": ";
                    appendJsonValue(text, d.rowA, d.setting);
                    text += ", \"valueB\": ";
                    appendJsonValue(text, d.rowB, d.setting);
                }
                text += "}";
                out.maybeFlush();
            }
            text += differences.empty() ? "]}\n" : "\n]}\n";
            break;
        default: {
            std::set<std::pair<size_t, Group>> seen, severalInA;
            for (const TableRow& row : sides[0].rows)
                if (!seen.insert({row.patch, row.group}).second) severalInA.insert({row.patch, row.group});
            for (const Difference& d : differences) {
                text += escaped(textLine(d, severalInA)) + "\n";
                out.maybeFlush();
            }
        }
    }
    if (!out.flush()) return kLibraryUsageError;
    return differences.empty() ? 0 : 1;
}

}  // namespace pf::cli
