// Replays the inputs on which a fuzzer found a fault and checks the behaviour the code
// promises for them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "recipe/Recipe.h"
#include "document/Document.h"
#include "support/TempDir.h"

namespace {

std::string input(const std::string& name) {
    const auto path = std::filesystem::path(PF_SOURCE_DIR) / "tests" / "fuzz_regressions" / "inputs" / name;
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
    return pf::test::readFile(path);
}

// Document::lineOfPosition promises the last line for every position at or past the end of
// the text. Positions of 2^63 and above gave line 0: the position was taken as a signed number.
TEST(FuzzRegression, LineOfPositionFarPastTheEndGivesTheLastLine) {
    const pf::Document doc = pf::Document::fromBytes(input("document-three-empty-lines"));
    ASSERT_EQ(doc.lineCount(), 3u);
    for (size_t position : {size_t{3}, size_t{1} << 62, (size_t{1} << 63) - 1, size_t{1} << 63, SIZE_MAX})
        EXPECT_EQ(doc.lineOfPosition(position), 2u) << "position " << position;
}

// The recipe reader promises never to drop a line silently. The INI reader ends a line at a
// lone CR as well as at LF; the line check ended lines at LF only, so in "Gain=60<CR>bogus line"
// the text after the CR was dropped and the recipe was accepted. Whether a lone CR ends a line
// or not, that recipe must be refused: either "bogus line" is not a key=value line, or
// "60<CR>bogus line" is not a whole number.
TEST(FuzzRegression, RecipeTextAfterALoneCrIsNotDroppedSilently) {
    const std::string bytes = input("recipe-lone-cr-after-value");
    ASSERT_NE(bytes.find('\r'), std::string::npos);
    const pf::RecipeResult result = pf::parseRecipe(bytes);
    EXPECT_FALSE(result.ok()) << "a recipe with a line the reader drops was accepted";
}

// A relative rule's number is never written, but the recipe still holds one: it was 0, out of
// the range of settings that start at 1 (ZNR THRSH is 1 to 25), and a window given that recipe
// showed a value the setting cannot have. Every number a recipe holds is one of its values.
TEST(FuzzRegression, RelativeRuleHoldsANumberInItsSettingsRange) {
    const pf::RecipeResult result = pf::parseRecipe(input("recipe-relative-rule-number"));
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.recipe.values.size(), 1u);
    const auto& v = result.recipe.values[0];
    const auto& def = pf::setting(v.id);
    EXPECT_EQ(v.rule.form, pf::ValueRule::Form::Add);
    EXPECT_GE(v.number, def.minimum);
    EXPECT_LE(v.number, def.maximum);
}

}  // namespace
