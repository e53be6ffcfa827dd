#pragma once

// The patch table of a patch group: one row per module an edit block edits, in file order,
// with the value each setting of the block holds there as the window shows it.

#include <array>
#include <filesystem>
#include <functional>
#include <unordered_map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ValueCodec.h"
#include "library/Columns.h"
#include "library/ModuleScan.h"

namespace pf {

class Catalogue;
class Document;

// How a value that is not one of its setting's values is shown.
inline constexpr std::string_view kUnreadable = "unreadable";

// A setting and its value (none: not readable).
using TableCell = ValueReader::Read;

struct TableRow {
    size_t patch = 0;            // from 1
    std::string patchName;
    long long headerLine = -1;   // index of the module's header line (the Module column shows it plus one)
    Group group{};
    std::string typeId;          // as the block's search found it; empty for the patch module
    std::string type;            // the catalogue name of the type, "id N", or empty for the patch module
    // Each setting of the block that stands in a module of this type on this model, in the
    // block's order.
    std::vector<TableCell> cells;

    const TableCell* cell(SettingId id) const;
    // The value as the window shows it; "unreadable"; or empty where the setting does not stand.
    std::string text(SettingId id) const;
    // The text of a module column (ModuleColumn order).
    std::string text(ModuleColumn column) const;
};

class PatchTable {
public:
    PatchTable(const Catalogue& catalogue, const DeviceModel& model);

    const DeviceModel& model() const { return reader_.model(); }
    // The setting columns for this model (see columnsFor).
    const std::vector<SettingId>& columns() const { return columns_; }
    const ValueReader& reader() const { return reader_; }

    // Calls row() for every module in file order, in one pass; the row is reused between calls.
    // (One thread at a time: the table keeps what it worked out per type between calls.)
    void forEachRow(const Document& document, const std::function<void(const TableRow&)>& row) const;
    std::vector<TableRow> rows(const Document& document) const;
    // The same for a file read from disk in parts of a few hundred kilobytes, so that a file of
    // any size costs little memory; false with `error` ("Cannot open file <path>: <reason>")
    // when it cannot be read, as Document::load refuses it.
    bool forEachRowOfFile(const std::filesystem::path& path, const std::function<void(const TableRow&)>& row,
                          std::string* error = nullptr) const;

private:
    // The rows of the modules found in lines [begin, end) of a part of a file whose first line
    // is line `firstLine` of the file.
    void forEachRowIn(const Document& part, size_t begin, size_t end, long long firstLine, ModuleScan::PatchSoFar& patch,
                      const std::function<void(const TableRow&)>& row) const;

    // What a block's modules of a type show, worked out once per type.
    struct Layout {
        std::string type;
        std::vector<ValueReader::Slot> settingSlots;
    };
    ValueReader reader_;
    mutable std::array<std::unordered_map<std::string, Layout>, kGroupCount> layouts_;
    ModuleScan scan_;
    std::vector<SettingId> columns_;
};

// The rows of one patch (by its number) in a table's rows, which are in file order.
std::span<const TableRow> rowsOfPatch(std::span<const TableRow> rows, size_t patch);

}  // namespace pf
