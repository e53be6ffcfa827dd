// presetforger-cli: applies one recipe to many patch groups, as the window would do for each
// file loaded into a fresh window, and writes every result atomically.
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>

#include "catalogue/Catalogue.h"
#include "cli/BatchRun.h"
#include "cli/Options.h"
#include "cli/Recipe.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageOrRecipeError = 2;
constexpr int kSomeInputFailed = 1;

bool readWhole(const fs::path& path, std::string& bytes) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int usageError(const std::string& message) {
    std::cerr << "presetforger-cli: " << message << "\n" << pf::cli::usageText();
    return kUsageOrRecipeError;
}

int error(const std::string& message) {
    std::cerr << "presetforger-cli: " << message << "\n";
    return kUsageOrRecipeError;
}

// Two paths naming the same file, whether or not it exists yet.
bool samePath(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
    return fs::weakly_canonical(fs::absolute(a, ec), ec) == fs::weakly_canonical(fs::absolute(b, ec), ec);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const pf::cli::OptionsResult parsed = pf::cli::parseArguments(args);
    if (!parsed.ok()) return usageError(parsed.error);
    const pf::cli::Options& o = parsed.options;
    if (o.help) {
        std::cout << pf::cli::helpText();
        return 0;
    }

    // Everything that could stop the whole run is checked before any file is touched.
    std::string bytes;
    if (!readWhole(o.recipe, bytes)) return error("Cannot open file " + o.recipe.string());
    const pf::cli::RecipeResult recipe = pf::cli::parseRecipe(bytes);
    if (!recipe.ok()) {
        for (const auto& e : recipe.errors) std::cerr << "presetforger-cli: " << o.recipe.string() << ": " << e.text() << "\n";
        return kUsageOrRecipeError;
    }

    const fs::path cataloguePath = o.catalogue.value_or(pf::Catalogue::defaultPath());
    std::string catalogueBytes;
    if (!readWhole(cataloguePath, catalogueBytes)) return error("Cannot open file " + cataloguePath.string());
    const pf::Catalogue catalogue = pf::Catalogue::fromBytes(catalogueBytes);

    std::error_code ec;
    if (o.outDir && !fs::is_directory(*o.outDir, ec))
        return usageError("--out-dir " + o.outDir->string() + " is not an existing folder");

    std::vector<fs::path> outputs;
    for (const auto& input : o.inputs) outputs.push_back(o.output ? *o.output : *o.outDir / input.filename());
    if (o.outDir) {
        for (size_t i = 0; i < outputs.size(); ++i) {
            for (size_t j = 0; j < o.inputs.size(); ++j)
                if (samePath(outputs[i], o.inputs[j]))
                    return usageError("the output " + outputs[i].string() + " is the input " + o.inputs[j].string() +
                                      "; an input is replaced only when named with -o");
            for (size_t j = 0; j < i; ++j)
                if (samePath(outputs[i], outputs[j]))
                    return usageError("the inputs " + o.inputs[j].string() + " and " + o.inputs[i].string() +
                                      " would both be written to " + outputs[i].string());
        }
    }

    int status = 0;
    for (size_t i = 0; i < o.inputs.size(); ++i) {
        const pf::cli::FileOutcome outcome =
            pf::cli::runFile(o.inputs[i], outputs[i], recipe.recipe, catalogue, o.dryRun);
        std::cout << outcome.line << std::endl;
        for (const auto& e : outcome.errors) std::cerr << "presetforger-cli: " << e << std::endl;
        if (!outcome.ok) status = kSomeInputFailed;
    }
    return status;
}
