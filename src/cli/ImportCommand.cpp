// presetforger-cli import: a sheet that show wrote, edited since, written back into the files
// it names, each edited cell through the same write path as Process.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <map>
#include <set>

#include "catalogue/Catalogue.h"
#include "cli/Changes.h"
#include "cli/LibraryCommands.h"
#include "batch/OutputIdentity.h"
#include "engine/EditingSession.h"
#include "library/SheetEdits.h"
#include "text/Escape.h"

namespace pf::cli {

namespace fs = std::filesystem;

namespace {

struct Outcome {
    std::string line, status;  // the report line; the JSON status
    std::vector<std::string> errors;
    bool ok = true;
    std::string diff;
    ProcessReport report;
    std::shared_ptr<const EditRecord> record;
};

Outcome importFile(const std::string& input, const fs::path& output, const std::string& sheet,
                   const std::vector<const SheetRow*>& rows, const Catalogue& catalogue, const LibraryOptions& o,
                   std::set<fs::path>& written) {
    Outcome r;
    const std::string head = input + " -> " + output.string() + ": ";
    auto fail = [&](const std::string& reason, std::vector<std::string> errors) {
        r.ok = false;
        r.status = "failed";
        r.line = head + "not written: " + reason;
        r.errors = std::move(errors);
        r.diff.clear();
        return r;
    };
    EditingSession session(EditingSession::Undo::None);
    std::string error;
    if (!session.load(input, catalogue, &error)) return fail("cannot be read", {error});
    const std::vector<TableRow> current = PatchTable(catalogue, session.group().model()).rows(session.document());
    const SheetEdits asked = editsFromSheet(rows, session.group(), current);
    if (!asked.refusals.empty()) {
        std::vector<std::string> errors;
        for (const std::string& refusal : asked.refusals) errors.push_back(sheet + ": " + refusal);
        const size_t n = asked.refusals.size();
        return fail(std::to_string(n) + (n == 1 ? " row of " : " rows of ") + sheet + " no longer " +
                        (n == 1 ? "matches" : "match") + " the file or cannot be written",
                    std::move(errors));
    }
    if (asked.edits.empty()) {
        r.status = "unchanged";
        r.line = head + "no cell differs from the file; nothing written";
        return r;
    }
    const bool endedWithBreak = session.document().endedWithLineBreak();
    try {
        EditingSession::Pending p = session.writeCells(asked.edits, catalogue, o.json || o.diff);
        r.report = p.report();
        r.record = p.record();
        session.keep(std::move(p));
    } catch (const std::exception& e) {
        return fail("writing the values failed", {input + ": writing the values failed: " + e.what()});
    }
    if (o.diff) r.diff = unifiedDiff(session.document(), endedWithBreak, *r.record, input, output.string());
    const std::string changed = linesText(r.report.linesChanged);
    std::string reason;
    if (o.dryRun) {
        if (!io::checkWritable(output, &reason)) return fail("cannot be written", {io::cannotCreate(output, reason)});
        r.status = "dry-run";
        r.line = head + changed + " would change (dry run, nothing written)";
        return r;
    }
    io::AtomicWrite write;
    fs::path folder;
    if (!session.startSave(write, output, &reason) ||
        !write.finish(&reason, {.backup = o.backup, .folderToFlush = &folder}))
        return fail("cannot be written", {io::cannotCreate(output, reason)});
    written.insert(folder);
    r.status = "written";
    r.line = head + changed + " changed";
    return r;
}

}  // namespace

int runImport(const LibraryOptions& o, const Catalogue& catalogue) {
    const std::string& sheet = o.inputs[0];
    std::string bytes, reason;
    if (!io::readRegularFile(sheet, bytes, &reason)) {
        sayError(io::cannotOpen(sheet, reason));
        return kLibraryUsageError;
    }
    auto read = readSheet(bytes);
    if (auto* message = std::get_if<std::string>(&read)) {
        sayError(sheet + ": " + *message);
        return kLibraryUsageError;
    }
    if (o.outDir) {
        struct stat st {};
        const int error = ::stat(o.outDir->c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
        if (error != 0) {
            sayError("--out-dir " + o.outDir->string() + " is not an existing folder: " + std::strerror(error));
            return kLibraryUsageError;
        }
    }
    // The files in the order the sheet first names them, each with its rows.
    const std::vector<SheetRow>& rows = std::get<std::vector<SheetRow>>(read);
    std::vector<std::string> files;
    std::map<std::string, std::vector<const SheetRow*>> rowsOf;
    for (const SheetRow& row : rows) {
        auto& of = rowsOf[row.file];
        if (of.empty()) files.push_back(row.file);
        of.push_back(&row);
    }
    std::vector<fs::path> inputs, outputs;
    for (const std::string& f : files) {
        inputs.emplace_back(f);
        outputs.push_back(o.outDir ? *o.outDir / fs::path(f).filename() : fs::path(f));
    }
    if (o.outDir)
        if (const auto clash = batch::outputClash(inputs, outputs)) {
            sayError(*clash);
            return kLibraryUsageError;
        }

    Output out;
    int status = 0;
    std::set<fs::path> written;
    if (o.json) out.text() += "{\"files\": [\n";
    for (size_t i = 0; i < files.size(); ++i) {
        Outcome r = importFile(files[i], outputs[i], sheet, rowsOf[files[i]], catalogue, o, written);
        if (!r.ok) status = 1;
        if (o.json) {
            JsonFile f;
            f.input = files[i];
            f.output = outputs[i].string();
            f.status = r.status;
            f.message = r.line;
            f.errors = r.errors;
            if (r.status == "written" || r.status == "dry-run") {
                f.report = &r.report;
                f.changes = r.record.get();
            }
            if (o.diff) f.diff = &r.diff;
            if (i > 0) out.text() += ",\n";
            appendJsonFile(f, out.text(), [&](std::string&) { out.flush(); });
        } else {
            if (!o.quiet || !r.ok) out.text() += escaped(r.line) + "\n";
            out.text() += r.diff;
        }
        out.flush();
        for (const std::string& e : r.errors) sayError(e);
    }
    if (o.json) out.text() += "\n]}\n";
    for (const fs::path& folder : written) io::flushFolder(folder);
    if (!out.flush()) return 1;
    return status;
}

}  // namespace pf::cli
