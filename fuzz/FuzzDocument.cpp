// The document buffer on arbitrary bytes: load, text view, find, line of position, line
// replacement, and a save to a temporary folder followed by a reload.
//
// Input: the file's bytes, optionally followed by "\n--ops--\n" and bytes that drive a run of
// operations (line replacements and searches). Plain patch-group files serve as seeds.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "document/Document.h"
#include "io/FileIO.h"
#include "text/Ascii.h"
#include "text/Encoding.h"
#include "../tests/support/SavedBytes.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOpsMark = "\n--ops--\n";

// The documented split: a line ends at LF or CR LF; a lone CR belongs to its line; a final line
// break does not start an empty line.
std::vector<std::string> splitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string current;
    for (char c : bytes) {
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r') current.pop_back();
            lines.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

std::string join(const std::vector<std::string>& lines) {
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += '\n';
        out += lines[i];
    }
    return out;
}

// What a reload of a saved document holds. Every line is written followed by CR LF, and the
// reload splits at every LF, dropping one CR just before it. A line without LF therefore comes
// back exactly as it was (a CR at its end included); a line holding LF comes back as the pieces
// between its LFs, each but the last losing one CR at its end.
std::vector<std::string> afterReload(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        size_t start = 0;
        for (;;) {
            const size_t nl = line.find('\n', start);
            if (nl == std::string::npos) {
                out.push_back(line.substr(start));
                break;
            }
            std::string piece = line.substr(start, nl - start);
            if (!piece.empty() && piece.back() == '\r') piece.pop_back();
            out.push_back(std::move(piece));
            start = nl + 1;
        }
    }
    return out;
}

std::optional<size_t> naiveFind(const std::string& lowerText, std::string_view needle, size_t from) {
    if (from > lowerText.size()) return std::nullopt;
    const size_t at = lowerText.find(pf::lowerAscii(needle), from);
    if (at == std::string::npos) return std::nullopt;
    return at;
}

const fs::path& scratchFolder() {
    static const fs::path folder = [] {
        std::error_code ec;
        std::string base = fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path().string();
        std::string pattern = base + "/pf-fuzz-document-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        PF_FUZZ_CHECK(::mkdtemp(name.data()) != nullptr);
        static const fs::path made(name.data());
        std::atexit([] {
            std::error_code e;
            fs::remove_all(made, e);
        });
        return made;
    }();
    return folder;
}

size_t entriesIn(const fs::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

std::string readAll(const fs::path& path) {
    std::string bytes;
    pf::io::readRegularFile(path, bytes);
    return bytes;
}

// Everything the text view promises, against a model of the lines.
void checkAgainst(const pf::Document& doc, const std::vector<std::string>& model) {
    PF_FUZZ_CHECK(doc.lineCount() == model.size());
    PF_FUZZ_CHECK(doc.lines() == model);
    const std::string text = join(model);
    PF_FUZZ_CHECK(doc.text() == text);
    PF_FUZZ_CHECK(doc.textLength() == text.size());

    // Line starts and the line of every position (the LF that ends a line belongs to it).
    size_t position = 0;
    for (size_t i = 0; i < model.size(); ++i) {
        PF_FUZZ_CHECK(doc.lineStart(i) == position);
        const size_t end = position + model[i].size();  // the LF after the line, or the end
        // Every position of short lines; the ends and a few inner ones of long lines.
        if (model[i].size() <= 64) {
            for (size_t p = position; p <= end; ++p) PF_FUZZ_CHECK(doc.lineOfPosition(p) == i);
        } else {
            for (size_t p : {position, position + 1, position + model[i].size() / 2, end - 1, end})
                PF_FUZZ_CHECK(doc.lineOfPosition(p) == i);
        }
        position = end + 1;
    }
    if (model.empty()) {
        PF_FUZZ_CHECK(doc.lineOfPosition(0) == 0);
    } else {
        PF_FUZZ_CHECK(doc.lineOfPosition(text.size() + 1) == model.size() - 1);
        PF_FUZZ_CHECK(doc.lineOfPosition(text.size() + 4096) == model.size() - 1);
        PF_FUZZ_CHECK(doc.lineOfPosition(SIZE_MAX) == model.size() - 1);
    }
    PF_FUZZ_CHECK(savedBytes(doc).size() == text.size() + (model.empty() ? 0 : model.size() + 1));
}

void checkFind(const pf::Document& doc, const std::string& lowerText, std::string_view needle, size_t from) {
    const auto got = doc.find(needle, from);
    const auto want = naiveFind(lowerText, needle, from);
    if (got != want) {
        std::fprintf(stderr, "find of %zu bytes from %zu in %zu: got %lld, want %lld; needle:", needle.size(), from,
                     lowerText.size(), got ? static_cast<long long>(*got) : -1LL,
                     want ? static_cast<long long>(*want) : -1LL);
        for (unsigned char c : needle) std::fprintf(stderr, " %02x", c);
        std::fprintf(stderr, "\n");
    }
    PF_FUZZ_CHECK(got == want);
}

void checkSaveAndReload(const pf::Document& doc, const std::vector<std::string>& model) {
    const fs::path& folder = scratchFolder();
    const fs::path target = folder / "saved.g5a";
    std::string error;
    PF_FUZZ_CHECK(doc.save(target, &error));
    PF_FUZZ_CHECK(error.empty());

    std::string expectedBytes;
    for (const auto& line : model) expectedBytes += line + "\r\n";
    PF_FUZZ_CHECK(readAll(target) == expectedBytes);
    PF_FUZZ_CHECK(savedBytes(doc) == expectedBytes);
    PF_FUZZ_CHECK(entriesIn(folder) == 1);  // no temporary file left beside it

    // Bytes that look like wide text (UTF-16, UTF-32) are refused at load, the document kept;
    // any other saved document reads back as saved.
    pf::Document reloaded = pf::Document::fromBytes("stale\n");
    if (!pf::wideTextEncoding(expectedBytes).empty()) {
        PF_FUZZ_CHECK(!reloaded.load(target, &error));
        PF_FUZZ_CHECK(error.starts_with("Cannot open file " + target.string() + ": it is UTF-"));
        PF_FUZZ_CHECK(reloaded.lines() == std::vector<std::string>{"stale"});
    } else {
        PF_FUZZ_CHECK(reloaded.load(target, &error));
        PF_FUZZ_CHECK(reloaded.lines() == afterReload(model));
    }

    // A save into a folder that does not exist fails, says so, and creates nothing.
    const fs::path nowhere = folder / "missing" / "x.g5a";
    PF_FUZZ_CHECK(!doc.save(nowhere, &error));
    PF_FUZZ_CHECK(error == "Cannot create file " + nowhere.string() + ": No such file or directory");
    PF_FUZZ_CHECK(entriesIn(folder) == 1);

    // A failed load leaves the document as it was.
    pf::Document kept = pf::Document::fromBytes("kept\r\n");
    PF_FUZZ_CHECK(!kept.load(folder / "missing.g5a", &error));
    PF_FUZZ_CHECK(error == "Cannot open file " + (folder / "missing.g5a").string() + ": No such file or directory");
    PF_FUZZ_CHECK(kept.lineCount() == 1 && kept.line(0) == "kept");

    fs::remove(target);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t mark = input.find(kOpsMark);
    const std::string_view bytes = input.substr(0, mark);
    const std::string_view ops = mark == std::string_view::npos ? std::string_view() : input.substr(mark + kOpsMark.size());

    pf::Document doc = pf::Document::fromBytes(bytes);
    std::vector<std::string> model = splitLines(bytes);
    checkAgainst(doc, model);

    // Searches for pieces of the text itself, in other letter case, from a few places.
    {
        const std::string text = doc.text();
        const std::string lowerText = pf::lowerAscii(text);
        const size_t n = text.size();
        for (size_t k = 0; k < 8 && n > 0; ++k) {
            const size_t at = (k * 7919 + size) % n;
            const size_t len = std::min<size_t>(1 + (k * 13) % 24, n - at);
            std::string needle = text.substr(at, len);
            for (size_t i = 0; i < needle.size(); i += 2)
                if (needle[i] >= 'a' && needle[i] <= 'z') needle[i] = static_cast<char>(needle[i] - 'a' + 'A');
            for (size_t from : {size_t{0}, at, at + 1, n - len, n})
                checkFind(doc, lowerText, needle, from);
        }
        for (std::string_view needle : {"        <prm1>27</prm1>", "  <MODULE9>", "</Prm", "\n", "\r\n", ""})
            for (size_t from : {size_t{0}, n / 2, n, n + 1}) checkFind(doc, lowerText, needle, from);
    }

    FuzzedDataProvider fdp(reinterpret_cast<const uint8_t*>(ops.data()), ops.size());
    for (int step = 0; step < 64 && fdp.remaining_bytes() > 0; ++step) {
        switch (fdp.ConsumeIntegralInRange<int>(0, 3)) {
            case 0:
            case 1: {  // replace a line (or aim outside the lines, which is refused and changes nothing)
                const long long index = fdp.ConsumeIntegralInRange<long long>(-2, static_cast<long long>(model.size()) + 1);
                // Lines never hold a line break: the load splits at every LF and the engine
                // writes parameter lines only. A CR may stand anywhere.
                std::string text = fdp.ConsumeRandomLengthString(64);
                std::replace(text.begin(), text.end(), '\n', '\r');
                if (index >= 0 && static_cast<size_t>(index) < model.size()) {
                    doc.setLine(static_cast<size_t>(index), text);
                    model[static_cast<size_t>(index)] = text;
                } else {
                    bool refused = false;
                    try {
                        doc.setLine(static_cast<size_t>(index), text);
                    } catch (const std::out_of_range&) {
                        refused = true;
                    }
                    PF_FUZZ_CHECK(refused);
                }
                break;
            }
            case 2: {  // search for a given needle from a given place
                const std::string text = doc.text();
                const std::string needle = fdp.ConsumeRandomLengthString(16);
                const size_t from = fdp.ConsumeIntegralInRange<size_t>(0, text.size() + 2);
                checkFind(doc, pf::lowerAscii(text), needle, from);
                break;
            }
            case 3:
                checkAgainst(doc, model);
                break;
        }
    }
    checkAgainst(doc, model);
    checkSaveAndReload(doc, model);
    return 0;
}
