// presetforger-cli show: the patch table of each file, as CSV, JSON or an aligned table. Files
// are read one at a time and rows written as they are found, in large writes.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>

#include "catalogue/Catalogue.h"
#include "cli/LibraryCommands.h"
#include "document/Document.h"
#include "library/PatchTable.h"
#include "library/RowFilter.h"
#include "library/Sheet.h"
#include "text/Csv.h"
#include "text/Escape.h"

namespace pf::cli {

namespace {

using Format = LibraryOptions::Format;

// A row's cells by setting, for writing them in column order.
struct CellIndex {
    std::array<const TableCell*, kSettingCount> of{};
    explicit CellIndex(const TableRow& row) {
        for (const TableCell& c : row.cells) of[static_cast<size_t>(c.setting)] = &c;
    }
};

void appendNumber(std::string& out, long long n) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

// A CSV record made in a small buffer of its own and added to the output whole: a row has some
// forty short fields, and adding each to the output on its own would cost more than the row.
class CsvRow {
public:
    explicit CsvRow(std::string& out) : out_(out) {}
    ~CsvRow() { out_.append(buffer_, size_); }
    void separator() { put(','); }
    void put(char c) {
        if (size_ == sizeof buffer_) spill();
        buffer_[size_++] = c;
    }
    void field(std::string_view text) {
        if (std::ranges::any_of(text, [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; })) {
            std::string quoted;
            appendCsvField(quoted, text);
            bytes(quoted);
        } else {
            bytes(text);
        }
    }
    // Bytes already in their CSV form.
    void bytes(std::string_view text) {
        if (text.size() > sizeof buffer_ - size_) {
            spill();
            if (text.size() > sizeof buffer_) return void(out_.append(text));
        }
        std::memcpy(buffer_ + size_, text.data(), text.size());
        size_ += text.size();
    }
    void number(long long n) {
        if (sizeof buffer_ - size_ < 24) spill();
        size_ = static_cast<size_t>(std::to_chars(buffer_ + size_, buffer_ + sizeof buffer_, n).ptr - buffer_);
    }

private:
    void spill() {
        out_.append(buffer_, size_);
        size_ = 0;
    }
    std::string& out_;
    char buffer_[2048];
    size_t size_ = 0;
};

// `file`: the File field in its CSV form.
void appendCsvRow(std::string& out, std::string_view file, const TableRow& row, const std::vector<SettingId>& columns) {
    CsvRow csv(out);
    csv.bytes(file);
    csv.separator();
    csv.number(static_cast<long long>(row.patch));
    csv.separator();
    csv.field(row.patchName);
    csv.separator();
    csv.number(row.headerLine + 1);
    csv.separator();
    csv.field(groupName(row.group));
    csv.separator();
    csv.field(row.type);
    const CellIndex cells(row);
    for (SettingId id : columns) {
        csv.separator();
        const TableCell* c = cells.of[static_cast<size_t>(id)];
        if (!c) continue;
        if (!c->value) csv.field(kUnreadable);
        else if (const int* n = std::get_if<int>(&*c->value)) csv.number(*n);
        else csv.field(std::get<std::string>(*c->value));
    }
    csv.put('\r');
    csv.put('\n');
}

void appendJsonRow(std::string& out, std::string_view file, const TableRow& row, const std::vector<SettingId>& columns,
                   const std::vector<std::string>& names) {
    out += "{\"file\": ";
    appendJsonString(out, file);
    out += ", \"patch\": ";
    appendNumber(out, static_cast<long long>(row.patch));
    out += ", \"name\": ";
    appendJsonString(out, row.patchName);
    out += ", \"module\": ";
    appendNumber(out, row.headerLine + 1);
    out += ", \"block\": \"";
    out += groupName(row.group);
    out += "\", \"type\": ";
    appendJsonString(out, row.type);
    out += ", \"values\": {";
    const CellIndex cells(row);
    bool first = true;
    for (size_t i = 0; i < columns.size(); ++i) {
        const TableCell* c = cells.of[static_cast<size_t>(columns[i])];
        if (!c) continue;
        out += first ? "" : ", ";
        first = false;
        appendJsonString(out, names[i]);
        out += ": ";
        if (!c->value) out += "null";
        else if (const int* n = std::get_if<int>(&*c->value)) appendNumber(out, *n);
        else appendJsonString(out, std::get<std::string>(*c->value));
    }
    out += "}}";
}

// Characters a terminal shows for a UTF-8 text.
size_t shownWidth(std::string_view text) {
    size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// One file's rows as an aligned table: the columns that hold a value in any of them.
void appendTable(std::string& out, const std::vector<std::vector<std::string>>& rows, const std::vector<std::string>& header) {
    std::vector<bool> shown(header.size(), false);
    const size_t fixed = 1 + kModuleColumns.size();
    for (size_t c = 0; c < header.size(); ++c)
        for (const auto& r : rows) shown[c] = shown[c] || c < fixed || !r[c].empty();
    std::vector<size_t> width(header.size());
    for (size_t c = 0; c < header.size(); ++c) {
        width[c] = shownWidth(header[c]);
        for (const auto& r : rows) width[c] = std::max(width[c], shownWidth(r[c]));
    }
    auto line = [&](const std::vector<std::string>& fields) {
        std::string text;
        for (size_t c = 0; c < fields.size(); ++c) {
            if (!shown[c]) continue;
            if (!text.empty()) text += "  ";
            text += fields[c];
            text.append(width[c] - shownWidth(fields[c]), ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    };
    line(header);
    for (const auto& r : rows) line(r);
}

}  // namespace

int runShow(const LibraryOptions& o, const Catalogue& catalogue) {
    RowFilter filter{{}, o.patches};
    for (const std::string& w : o.where) {
        auto read = readWhere(w);
        if (auto* message = std::get_if<std::string>(&read)) {
            sayError("--where " + *message);
            std::cerr << libraryUsageText(o.command);
            return kLibraryUsageError;
        }
        filter.where.push_back(std::get<Condition>(read));
    }
    std::vector<const DeviceModel*> models;
    for (const std::string& input : o.inputs) {
        const DeviceModel* m = modelOfFile(input);
        models.push_back(m ? m : &unknownModel());
    }
    const std::vector<SettingId> columns = columnsFor(models);
    const Format format = o.format != Format::Default ? o.format : ::isatty(STDOUT_FILENO) ? Format::Table : Format::Csv;
    std::vector<std::string> names;
    for (SettingId id : columns) names.push_back(columnName(id));

    Output out;
    std::string& text = out.text();
    if (format == Format::Csv) appendCsvRecord(text, sheetHeader(columns));
    if (format == Format::Json) {
        text += "{\"columns\": [";
        for (size_t i = 0; i < names.size(); ++i) {
            if (i) text += ", ";
            appendJsonString(text, names[i]);
        }
        text += "], \"rows\": [";
    }
    int status = 0;
    bool anyRow = false, tableShown = false;
    std::vector<std::string> errors;
    std::map<std::string_view, std::unique_ptr<PatchTable>> tables;
    for (size_t f = 0; f < o.inputs.size(); ++f) {
        const std::string& file = o.inputs[f];
        auto& table = tables[models[f]->code];
        if (!table) table = std::make_unique<PatchTable>(catalogue, *models[f]);
        std::vector<std::vector<std::string>> tableRows;
        std::string error, fileField;
        appendCsvField(fileField, file);
        const bool read = table->forEachRowOfFile(file, [&](const TableRow& row) {
            if (!filter.passes(row)) return;
            switch (format) {
                case Format::Csv: appendCsvRow(text, fileField, row, columns); break;
                case Format::Json:
                    text += anyRow ? ",\n" : "\n";
                    appendJsonRow(text, file, row, columns, names);
                    break;
                default: {
                    std::vector<std::string> fields = sheetFields(escaped(file), row, columns);
                    for (std::string& field : fields) field = escaped(field);
                    tableRows.push_back(std::move(fields));
                }
            }
            anyRow = true;
            out.maybeFlush();
        }, &error);
        if (!read) {
            // What was shown of it stays: a file that cannot be read at all shows nothing.
            sayError(error);
            errors.push_back(error);
            status = 1;
        }
        if (format == Format::Table && !tableRows.empty()) {
            if (tableShown) text += "\n";  // a blank line between the files' tables
            appendTable(text, tableRows, sheetHeader(columns));
            tableShown = true;
        }
    }
    if (format == Format::Json) {
        text += anyRow ? "\n], \"errors\": [" : "], \"errors\": [";
        for (size_t i = 0; i < errors.size(); ++i) {
            if (i) text += ", ";
            appendJsonString(text, errors[i]);
        }
        text += "]}\n";
    }
    if (!out.flush()) return 1;
    return status;
}

}  // namespace pf::cli
