#include <gtest/gtest.h>

#include "catalogue/Catalogue.h"
#include "document/LoadLists.h"

using pf::Catalogue;
using Items = std::vector<std::string>;

TEST(LoadLists, RemoveIsLeftOutOfCheckListsOnlyWhereverItStands) {
    const Catalogue c = Catalogue::fromBytes(
        "[g5-amp]\nRemove=0\nA=1\nB=3\n"
        "[g3x-amp]\nremove=2\nA=1\n"
        "[g5-drive]\nD=1\nRemove=0\nE=2\n"
        "[g5-reverb]\nR=1\nS=2\nRemove=0\n");
    const pf::LoadLists l = pf::buildLoadLists(c, "g5");
    EXPECT_EQ(l.ampChecks, (Items{" A", " B"}));
    EXPECT_EQ(l.ampNames, (Items{"Remove", "A", "B"}));
    EXPECT_EQ(pf::buildLoadLists(c, "g3x").ampChecks, (Items{" remove", " A"}));
    EXPECT_EQ(l.driveChecks, (Items{" D", " E"}));
    EXPECT_EQ(l.driveNames, (Items{"D", "Remove", "E"}));
    EXPECT_EQ(l.reverbChecks, (Items{" R", " S"}));
    EXPECT_EQ(l.reverbNames, (Items{"R", "S", "Remove"}));
}

TEST(LoadLists, CabItemsShowTheFirstFourCharactersOfTheValue) {
    const Catalogue c = Catalogue::fromBytes("[b3-cab]\nORGN=ORGN\nBig Box=BB15 42\nTiny=ab\n");
    EXPECT_EQ(pf::buildLoadLists(c, "b3").cabItems, (Items{" ORGN  ORGN", " Big Box  BB15", " Tiny  ab"}));
}

TEST(LoadLists, SectionsAreTheModelCodePlusSuffix) {
    const Catalogue c = Catalogue::fromBytes(
        "[-amp]\nBare=1\n[g3x-midf]\nLow=0\n[g3x-footswitch]\nTap=2\n[g3x-exppedal]\nInput-Volume=1\n");
    EXPECT_EQ(pf::buildLoadLists(c, "").ampChecks, (Items{" Bare"}));
    const pf::LoadLists g3x = pf::buildLoadLists(c, "g3x");
    EXPECT_TRUE(g3x.ampChecks.empty());
    EXPECT_EQ(g3x.midfNames, (Items{"Low"}));
    EXPECT_EQ(g3x.footswitchNames, (Items{"Tap"}));
    EXPECT_EQ(g3x.exppedalNames, (Items{"Input-Volume"}));
}
