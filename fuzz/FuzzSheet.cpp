// A sheet, as show writes it and a spreadsheet may leave it, read back against the example G5
// patch group: the CSV read, rewritten and read again gives the same fields; a sheet that reads is
// matched against the group's modules, and the edits it asks for, made as one step, change
// only parameter lines of the modules it names, keep the line count, and go back whole.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "FuzzCheck.h"
#include "catalogue/Catalogue.h"
#include "engine/EditingSession.h"
#include "library/SheetEdits.h"
#include "text/Csv.h"

namespace {

const pf::Catalogue& bundledCatalogue() {
    static const pf::Catalogue cat = pf::Catalogue::open(PF_FUZZ_CATALOGUE);
    return cat;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    pf::CsvReader reader(text);
    std::string rewritten;
    std::vector<std::vector<std::string>> records;
    while (auto fields = reader.next()) {
        pf::appendCsvRecord(rewritten, *fields);
        records.push_back(std::move(*fields));
    }
    if (reader.error().empty()) {
        pf::CsvReader again(rewritten);
        for (const auto& fields : records) {
            auto read = again.next();
            // A record of one empty field at the very end reads as none.
            if (!read) PF_FUZZ_CHECK(&fields == &records.back() && fields.size() == 1 && fields[0].empty());
            else PF_FUZZ_CHECK(*read == fields);
        }
    }

    auto sheet = pf::readSheet(text);
    if (!std::holds_alternative<std::vector<pf::SheetRow>>(sheet)) return 0;
    std::vector<const pf::SheetRow*> rows;
    for (const pf::SheetRow& row : std::get<std::vector<pf::SheetRow>>(sheet)) rows.push_back(&row);

    pf::EditingSession session;
    PF_FUZZ_CHECK(session.load(PF_FUZZ_EXAMPLE, bundledCatalogue()));
    const pf::PatchTable table(bundledCatalogue(), session.group().model());
    const std::vector<pf::TableRow> current = table.rows(session.document());
    const pf::SheetEdits asked = pf::editsFromSheet(rows, session.group(), current);
    if (asked.edits.empty()) return 0;

    std::set<long long> modules;
    for (const pf::CellEdit& e : asked.edits) modules.insert(e.headerLine);
    const std::vector<std::string> before = session.document().lines();
    pf::EditingSession::Pending p = session.writeCells(asked.edits, bundledCatalogue());
    const pf::Document& now = session.document();
    PF_FUZZ_CHECK(now.lineCount() == before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        if (now.line(i) == before[i]) continue;
        // A parameter line of a module the edits name, within its first sixteen parameters.
        bool inModule = false;
        for (long long header : modules)
            for (int n = 0; n < 16 && !inModule; ++n)
                inModule = static_cast<long long>(i) == header + 1 + n && pf::parameterText(now.line(i), n).has_value();
        PF_FUZZ_CHECK(inModule);
    }
    session.discard(std::move(p));
    PF_FUZZ_CHECK(session.document().lines() == before);
    return 0;
}
