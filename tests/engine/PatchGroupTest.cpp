// The lists a load fills from the catalogue for the group's model, and the choices of a fresh
// window after the load.
#include <gtest/gtest.h>

#include "catalogue/Catalogue.h"
#include "engine/PatchGroup.h"

using namespace pf;
using Items = std::vector<std::string>;

namespace {

Items textsOf(const std::vector<ListItem>& items) {
    Items out;
    for (const auto& i : items) out.push_back(i.text);
    return out;
}

}  // namespace

TEST(CatalogueLists, RemoveIsLeftOutOfCheckListsOnlyWhereverItStands) {
    const Catalogue c = Catalogue::fromBytes(
        "[g5-amp]\nRemove=0\nA=1\nB=3\n"
        "[g3x-amp]\nremove=2\nA=1\n"
        "[g5-drive]\nD=1\nRemove=0\nE=2\n"
        "[g5-reverb]\nR=1\nS=2\nRemove=0\n");
    const CatalogueLists l = CatalogueLists::read(c, "g5");
    EXPECT_EQ(l.typeEntries(TypeList::Amp), (Items{" A", " B"}));
    EXPECT_EQ(l.typeEntries(TypeList::B3Amp), (Items{" A", " B"}));
    EXPECT_EQ(textsOf(l.items(section::kAmp)), (Items{"Remove", "A", "B"}));
    EXPECT_EQ(CatalogueLists::read(c, "g3x").typeEntries(TypeList::Amp), (Items{" remove", " A"}));
    EXPECT_EQ(l.typeEntries(TypeList::Drive), (Items{" D", " E"}));
    EXPECT_EQ(textsOf(l.items(section::kDrive)), (Items{"D", "Remove", "E"}));
    EXPECT_EQ(l.typeEntries(TypeList::Reverb), (Items{" R", " S"}));
    EXPECT_EQ(textsOf(l.items(section::kReverb)), (Items{"R", "S", "Remove"}));
}

TEST(CatalogueLists, CabItemsShowTheFirstFourCharactersOfTheValue) {
    const Catalogue c = Catalogue::fromBytes("[b3-cab]\nORGN=ORGN\nBig Box=BB15 42\nTiny=ab\n");
    const CatalogueLists l = CatalogueLists::read(c, "b3");
    EXPECT_EQ(textsOf(l.items(section::kCab)), (Items{" ORGN  ORGN", " Big Box  BB15", " Tiny  ab"}));
    EXPECT_EQ(l.items(section::kCab)[1].name, "Big Box");
}
