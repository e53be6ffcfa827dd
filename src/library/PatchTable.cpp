#include "library/PatchTable.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <unordered_map>

#include "document/Document.h"
#include "io/FileIO.h"
#include "text/Encoding.h"

namespace pf {

const TableCell* TableRow::cell(SettingId id) const {
    for (const TableCell& c : cells)
        if (c.setting == id) return &c;
    return nullptr;
}

std::string TableRow::text(SettingId id) const {
    const TableCell* c = cell(id);
    if (!c) return {};
    return c->value ? toText(*c->value) : std::string(kUnreadable);
}

std::string TableRow::text(ModuleColumn column) const {
    switch (column) {
        case ModuleColumn::Patch: return std::to_string(patch);
        case ModuleColumn::Name: return patchName;
        case ModuleColumn::Module: return std::to_string(headerLine + 1);
        case ModuleColumn::Block: return std::string(groupName(group));
        case ModuleColumn::Type: return type;
    }
    return {};
}

PatchTable::PatchTable(const Catalogue& catalogue, const DeviceModel& model)
    : reader_(catalogue, model), scan_(catalogue, model), columns_(columnsFor(model)) {}

void PatchTable::forEachRow(const Document& document, const std::function<void(const TableRow&)>& row) const {
    ModuleScan::PatchSoFar patch;
    forEachRowIn(document, 0, document.lineCount(), 0, patch, row);
}

void PatchTable::forEachRowIn(const Document& document, size_t begin, size_t end, long long firstLine,
                              ModuleScan::PatchSoFar& patch, const std::function<void(const TableRow&)>& row) const {
    TableRow r;
    const Layout* last = nullptr;
    Group lastGroup{};
    std::string lastTypeId;
    scan_.forEachIn(document, begin, end, patch, [&](const FoundModule& m) {
        r.patch = m.patch;
        if (r.patchName != m.patchName) r.patchName = m.patchName;
        r.headerLine = firstLine + m.headerLine;
        r.group = m.group;
        r.typeId = m.typeId;
        // Modules of one type tend to follow one another.
        if (!last || lastGroup != m.group || lastTypeId != m.typeId) {
            auto [at, made] = layouts_[static_cast<size_t>(m.group)].try_emplace(r.typeId);
            if (made) {
                if (m.group != Group::PatchLevel) at->second.type = reader_.typeName(m.group, m.typeId).value_or("id " + r.typeId);
                at->second.settingSlots = reader_.slotsOf(m.group, m.typeId);
            }
            last = &at->second;
            lastGroup = m.group;
            lastTypeId = r.typeId;
            r.type = last->type;
        }
        const Layout& layout = *last;
        r.cells.clear();
        reader_.readSlots(document, m.headerLine + 1, layout.settingSlots, r.cells);
        row(r);
    });
}

bool PatchTable::forEachRowOfFile(const std::filesystem::path& path, const std::function<void(const TableRow&)>& row,
                                  std::string* error) const {
    std::string reason;
    const int fd = io::openRegularFile(path, &reason);
    auto fail = [&](const std::string& why) {
        if (error) *error = io::cannotOpen(path, why);
        if (fd >= 0) ::close(fd);
        return false;
    };
    if (fd < 0) return fail(reason);
    // A module's lines reach at most this far past the line its search finds: a part's last
    // lines are looked at with the next part, and the line before them goes along for the
    // modules whose Prm0 it is.
    constexpr size_t kPart = 512 * 1024, kReach = 18;
    // Each part is read into a buffer that becomes its document's, after the lines carried from
    // the part before (`carried`, with the start of a line not yet ended).
    std::string carried;
    ModuleScan::PatchSoFar patch;
    long long firstLine = 0;  // the file's line that begins the part
    bool first = true, atEnd = false;
    while (!atEnd) {
        io::ByteBuffer bytes(carried.size() + kPart);
        std::memcpy(bytes.data(), carried.data(), carried.size());
        ssize_t n;
        do n = ::read(fd, bytes.data() + carried.size(), kPart);
        while (n < 0 && errno == EINTR);
        if (n < 0) return fail(std::strerror(errno));
        const size_t used = carried.size() + static_cast<size_t>(n);
        atEnd = n == 0;
        const std::string_view text(bytes.data(), used);
        if (first) {
            // As Document::load: wide text is no patch group.
            if (const std::string_view wide = wideTextEncoding(text); !wide.empty())
                return fail("it is " + std::string(wide) + " text, and a patch group is 8-bit text; save it as 8-bit text first");
        }
        const size_t lineEnd = atEnd ? used : text.rfind('\n') + 1;  // npos + 1: none yet
        std::string unended(text.substr(lineEnd));
        bytes.resize(lineEnd);
        const Document part = Document::fromBuffer(std::move(bytes));
        const size_t begin = first ? 0 : 1;
        const size_t end = atEnd ? part.lineCount() : part.lineCount() > kReach ? part.lineCount() - kReach : 0;
        if (end <= begin) {  // lines too few yet to look at
            carried = std::string(part.buffer()) + unended;
            continue;
        }
        forEachRowIn(part, begin, end, firstLine, patch, row);
        first = false;
        // The lines from the one before `end` on go on to the next part.
        carried = std::string(part.buffer().substr(part.bufferOffset(end - 1))) + unended;
        firstLine += static_cast<long long>(end - 1);
    }
    ::close(fd);
    return true;
}

std::vector<TableRow> PatchTable::rows(const Document& document) const {
    std::vector<TableRow> out;
    forEachRow(document, [&](const TableRow& r) { out.push_back(r); });
    return out;
}

std::span<const TableRow> rowsOfPatch(std::span<const TableRow> rows, size_t patch) {
    const auto first = std::ranges::find(rows, patch, &TableRow::patch);
    const auto last = std::find_if(first, rows.end(), [&](const TableRow& r) { return r.patch != patch; });
    return {first, last};
}

}  // namespace pf
