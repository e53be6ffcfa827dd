// One patch group edited the way the front ends go through it: Process, keep some modules,
// undo and redo, save, and what the session tells of the document against its file.
#include <gtest/gtest.h>

#include "catalogue/Catalogue.h"
#include "engine/EditingSession.h"
#include "support/TempDir.h"
#include "support/SavedBytes.h"

namespace pf {
namespace {

const std::filesystem::path kExample = std::filesystem::path(PF_SOURCE_DIR) / "examples" / "evening-set.g5a";

const Catalogue& catalogue() {
    static const Catalogue c = Catalogue::open(std::filesystem::path(PF_SOURCE_DIR) / "data" / "Presetforger2000.ini");
    return c;
}

// The lines two documents of the same length differ in, counted by the test itself.
size_t differing(const Document& a, const Document& b) {
    size_t n = 0;
    for (size_t i = 0; i < a.lineCount(); ++i) n += a.line(i) != b.line(i);
    return n;
}

Choices gainOf(const EditingSession& session, int gain) {
    Choices c = session.group().afterLoad();
    c[SettingId::AmpGain].ticked = true;
    c[SettingId::AmpGain].number = gain;
    return c;
}

TEST(EditingSession, KeptModulesUndoRedoAndSavingTellWhatTheDocumentIs) {
    test::TempDir dir;
    EditingSession session;
    ASSERT_TRUE(session.load(kExample, catalogue()));
    const Document loaded = session.document();
    EXPECT_TRUE(session.state().saved);
    EXPECT_FALSE(session.state().made);

    // Every other module kept: the outcome counts the lines that differ now, not what Process wrote.
    EditingSession::Pending p = session.process(gainOf(session, 61), catalogue());
    const size_t modules = p.changes().modules().size();
    ASSERT_GT(modules, 3u);
    EXPECT_EQ(p.outcome().linesChanged, differing(session.document(), loaded));
    std::vector<bool> kept(modules);
    for (size_t i = 0; i < modules; i += 2) kept[i] = true;
    session.keep(std::move(p), kept);
    const Document first = session.document();
    ASSERT_TRUE(session.state().made);
    EXPECT_EQ(session.state().made->modulesChanged, (modules + 1) / 2);
    EXPECT_EQ(session.state().made->linesChanged, differing(first, loaded));
    EXPECT_LT(differing(first, loaded), modules);
    EXPECT_FALSE(session.state().saved);
    // The Process itself stays with its state, to be shown again: its changes and the ticks kept.
    const auto made = session.state().process;
    ASSERT_TRUE(made);
    EXPECT_EQ(made->changes->modules().size(), modules);
    EXPECT_EQ(made->kept, kept);

    // With every module kept a second time, a third Process changes nothing but still tells
    // what is not saved; taken back, it leaves no trace.
    session.keep(session.process(gainOf(session, 61), catalogue()));
    const Document second = session.document();
    EditingSession::Pending again = session.process(gainOf(session, 61), catalogue());
    EXPECT_EQ(again.outcome().linesChanged, 0u);
    EXPECT_EQ(again.outcome().linesUnsaved, differing(second, loaded));
    session.discard(std::move(again));
    EXPECT_EQ(savedBytes(session.document()), savedBytes(second));
    EXPECT_TRUE(session.undo());
    EXPECT_EQ(savedBytes(session.document()), savedBytes(first));

    EXPECT_TRUE(session.undo());
    EXPECT_EQ(savedBytes(session.document()), savedBytes(loaded));
    EXPECT_TRUE(session.state().saved);
    EXPECT_FALSE(session.state().process);
    EXPECT_FALSE(session.undo());
    EXPECT_TRUE(session.redo());
    EXPECT_EQ(savedBytes(session.document()), savedBytes(first));
    EXPECT_EQ(session.state().process, made);

    const auto out = dir / "out.g5a";
    ASSERT_TRUE(session.save(out));
    EXPECT_EQ(test::readFile(out), savedBytes(first));
    EXPECT_TRUE(session.state().saved);
    EXPECT_EQ(session.state().file, out);
    EXPECT_EQ(session.linesDifferingFromFile(), 0u);
    EXPECT_EQ(session.process(gainOf(session, 61), catalogue()).outcome().linesUnsaved, 0u);

    // Nothing ticked: nothing changes and there is nothing to keep or undo.
    EditingSession::Pending nothing = session.process(session.group().afterLoad(), catalogue());
    EXPECT_TRUE(nothing.nothingToSave());
    session.keep(std::move(nothing));
    EXPECT_EQ(savedBytes(session.document()), savedBytes(first)) << "a Process given no word is taken back";
    EXPECT_TRUE(session.canUndo()) << "the first Process, saved";
}

}  // namespace
}  // namespace pf
