#include "cli/Options.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "catalogue/Catalogue.h"
#include "cli/OptionWords.h"
#include "text/Escape.h"
#include "recipe/Recipe.h"
#include "engine/Settings.h"

namespace pf::cli {

namespace {

std::string valueText(const SettingDef& def) {
    switch (def.kind) {
        case ValueKind::Spin:
            return std::to_string(def.minimum) + " to " + std::to_string(def.maximum);
        case ValueKind::FixedList: {
            std::string out;
            for (auto item : def.items) out += (out.empty() ? "" : " or ") + std::string(item);
            return out;
        }
        case ValueKind::CatalogueList:
            return "a name of catalogue section [<model>" + std::string(def.catalogueSuffix) + "]";
    }
    return {};
}

// "  (b3 files only)" or "  (not for g5, g3x files)"; empty when every model offers it.
template <class Offered>
std::string offeredNote(Offered offered) {
    std::vector<std::string> yes, no;
    auto sort = [&](const DeviceModel& model) {
        (offered(model) ? yes : no).push_back(model.known() ? std::string(model.code) : "other");
    };
    for (const DeviceModel& model : deviceModels()) sort(model);
    sort(unknownModel());
    if (no.empty()) return {};
    if (yes.size() == 1) return "  (" + yes.front() + " files only)";
    std::string list;
    for (const auto& m : no) list += (list.empty() ? "" : ", ") + m;
    return "  (not for " + list + " files)";
}

// ".g5a is g5, .g3xa is g3x, .b3a is b3"
std::string extensionList() {
    std::string out;
    for (const DeviceModel& m : deviceModels())
        out += (out.empty() ? "" : ", ") + std::string(m.extension) + " is " + std::string(m.code);
    return out;
}

// "1" to "128" as a number; 0 for anything else.
unsigned jobsNumber(const std::string& text) {
    if (text.empty() || text.size() > 3 || text[0] == '0') return 0;
    unsigned n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + static_cast<unsigned>(c - '0');
    }
    return n <= kMostJobs ? n : 0;
}

}  // namespace

std::string usageText() {
    return "usage: presetforger-cli --recipe RECIPE [--catalogue FILE] [--dry-run] [-j N] [--quiet]\n"
           "                        [--diff] [--json] [--backup[=numbered]] (-o OUTPUT | --out-dir DIR) INPUT...\n"
           "       presetforger-cli show|compare|import ... (see presetforger-cli COMMAND --help)\n"
           "       presetforger-cli --help | --version\n";
}

std::string helpText() {
    std::ostringstream out;
    out << usageText() << "\n"
        << "Applies the choices of a recipe to each INPUT patch group, as the window would after loading that\n"
           "file, and writes the result.\n\n"
           "  --recipe RECIPE    the choices (an INI file, see below); required\n"
           "  --catalogue FILE   the catalogue; default: "
        << pf::kCatalogueFileName << " beside this program, else in\n"
           "                     ../share/presetforger from this program's folder (an installed program)\n"
        << "  -o OUTPUT          the result file, for exactly one INPUT (it may be the INPUT itself)\n"
           "  --out-dir DIR      an existing folder; each result goes there under its input's name\n"
           "  --dry-run          write nothing; report what would change\n"
           "  --diff             after each report line, a unified diff of the input against the result\n"
           "                     (three lines of context, line ends left out)\n"
           "  --json             one JSON document for the whole run instead of the report lines: per input\n"
           "                     its output, status, counts and every changed line (fields: see docs/json.md)\n"
           "  --backup[=simple|numbered]\n"
           "                     keep an output that is replaced as OUTPUT~ (numbered: OUTPUT.~1~, OUTPUT.~2~ ...)\n"
           "  -j, --jobs N       inputs processed at a time, 1 to 128 (default: the number of processors);\n"
           "                     the report keeps the order of the inputs\n"
           "  -q, --quiet        report only the inputs that fail; no progress\n"
           "  -h, --help         this text\n"
           "  --version          the program's name and version\n\n"
           "The device model comes from the input's extension: "
        << extensionList() << "; any other\n"
        << "gives no model. A key present in the recipe ticks that setting and gives its value; settings not\n"
           "named stay unticked. Sections and keys ignore letter case; lines starting with ; or # are comments.\n"
           "A setting the file's model does not offer is not applied to that file and the report says so.\n"
           "Reports and messages show control characters and bytes that are not UTF-8 in names and values as\n"
           "escapes (\\n, \\t, \\x1b, \\u009b; a backslash as \\\\); values are cut after 60 characters with \"...\".\n\n"
           "Rules: a number setting may also be given as a change to what each module holds, in the units\n"
           "the window shows:\n"
           "  add N          the value plus N (add -5 takes 5 away)\n"
           "  scale P%       the value times P/100, rounded to a whole number, halves away from zero\n"
           "  limit A..B     the value pulled into A..B (A no more than B); values inside stay\n"
           "A value or one of these may end in \" if A..B\": then only modules whose value lies in A..B are\n"
           "edited. A list setting takes \"NAME if NAME1, NAME2, ...\": NAME only where the value is one of\n"
           "those names. Results stay within the setting's range; a module whose value cannot be read is\n"
           "skipped; modules a condition leaves alone are counted as edits left out. \"Patches = PATTERN\"\n"
           "in a section (repeatable; * and ? stand for any characters, letter case ignored) edits only\n"
           "the patches whose names match. A rule that cannot be read is a recipe error naming its line.\n\n"
           "Exit status: 0 every input written (or, with --dry-run, would be); 2 usage or recipe error, nothing\n"
           "written; 1 some input could not be read, processed or written (the others still are); 128 + N\n"
           "ended by signal N, 141 by a closed standard output (every output whole, old or new).\n\n"
           "Recipe keys:\n";
    for (const auto& section : settingSections()) {
        const std::string pageNote =
            offeredNote([&](const DeviceModel& model) { return offeredFor(section, model); });
        out << "  [" << section.name << "]" << pageNote << "\n";
        for (SettingId id : section.settings) {
            const SettingDef& def = setting(id);
            std::string key = "    " + std::string(def.caption);
            key.resize(std::max<size_t>(key.size() + 2, 18), ' ');
            const std::string note = offeredNote([&](const DeviceModel& model) { return offeredFor(id, model); });
            out << key << valueText(def) << (note == pageNote ? std::string() : note) << "\n";
        }
        if (section.typeList) {
            std::string key = "    " + std::string(kOnlyKey);
            key.resize(18, ' ');
            out << key << "an effect type to leave ticked; repeat the key for more (default: all ticked)\n";
        }
        std::string key = "    " + std::string(kPatchesKey);
        key.resize(18, ' ');
        out << key << "a pattern of patch names; repeat the key for more (default: every patch)\n";
    }
    return out.str();
}

namespace {

// The options that take no value: each sets its field.
struct Flag {
    std::string_view name, shortName;
    bool Options::*field;
};
constexpr Flag kFlags[] = {
    {"--help", "-h", &Options::help},   {"--version", "", &Options::version}, {"--dry-run", "", &Options::dryRun},
    {"--quiet", "-q", &Options::quiet}, {"--diff", "", &Options::diff},       {"--json", "", &Options::json},
};

}  // namespace

OptionsResult parseArguments(const std::vector<std::string>& args) {
    OptionsResult result;
    Options& o = result.options;
    bool haveRecipe = false;
    OperandReader operands;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (operands.take(arg, o.inputs)) continue;
        if (const auto flag = std::ranges::find_if(kFlags, [&](const Flag& f) { return arg == f.name || arg == f.shortName; });
            flag != std::end(kFlags)) {
            o.*(flag->field) = true;
            continue;
        }
        if (readBackupOption(arg, o.backup, result.error)) {
            if (!result.error.empty()) return result;
            continue;
        }
        const NamedOption option = splitOption(arg);
        const std::string& name = option.name;
        if (name != "--recipe" && name != "--catalogue" && name != "-o" && name != "--out-dir" && name != "-j" &&
            name != "--jobs") {
            result.error = "unknown option " + cut(arg);
            return result;
        }
        const std::optional<std::string> value = optionValue(args, i, option, result.error);
        if (!value) return result;
        auto once = [&](bool given) {
            if (given) result.error = name + " is given more than once";
            return !given;
        };
        if (name == "--recipe") {
            if (!once(haveRecipe)) return result;
            o.recipe = *value;
            haveRecipe = true;
        } else if (name == "--catalogue") {
            if (!once(o.catalogue.has_value())) return result;
            o.catalogue = *value;
        } else if (name == "-o") {
            if (!once(o.output.has_value())) return result;
            o.output = *value;
        } else if (name == "-j" || name == "--jobs") {
            if (!once(o.jobs != 0)) return result;
            o.jobs = jobsNumber(*value);
            if (o.jobs == 0) {
                result.error = name + " needs a whole number from 1 to " + std::to_string(kMostJobs);
                return result;
            }
        } else {
            if (!once(o.outDir.has_value())) return result;
            o.outDir = *value;
        }
    }
    if (o.help || o.version) return result;
    if (!haveRecipe) result.error = "--recipe RECIPE is required";
    else if (o.output && o.outDir) result.error = "give either -o OUTPUT or --out-dir DIR, not both";
    else if (!o.output && !o.outDir) result.error = "give -o OUTPUT or --out-dir DIR";
    else if (o.inputs.empty()) result.error = "no INPUT given";
    else if (o.output && o.inputs.size() != 1) result.error = "-o OUTPUT takes exactly one INPUT; use --out-dir DIR";
    return result;
}

}  // namespace pf::cli
