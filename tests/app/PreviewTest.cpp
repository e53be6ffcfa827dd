// Process as the user goes through it: the preview of the changes with a tick per module, its
// summary and warnings, Cancel, and undo and redo of whole Processes.
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <variant>

#include "AppTestSupport.h"
#include "app/PreviewDialog.h"
#include "support/SavedBytes.h"

namespace pf::test {
namespace {

using Preview = WindowTest;
using History = WindowTest;

std::vector<std::string> linesOf(const std::string& bytes) { return Document::fromBytes(bytes).lines(); }

std::string bytesOf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

TEST_F(Preview, UntickedModulesAreSavedAsLoadedAndTheRestAsProcessWritesThem) {
    const std::string original = exampleBytes("evening-set.g5a");
    const std::vector<std::string> originalLines = linesOf(original);
    TempDir dir;
    // Which modules stay ticked, by their place in the preview: all, none, every other one, all
    // but the first and the last.
    using Pattern = std::function<bool(size_t i, size_t n)>;
    for (const Pattern& keep : {Pattern([](size_t, size_t) { return true; }), Pattern([](size_t, size_t) { return false; }),
                                Pattern([](size_t i, size_t) { return i % 2 == 0; }),
                                Pattern([](size_t i, size_t n) { return i != 0 && i + 1 != n; })}) {
        load(exampleFile("evening-set.g5a"));
        tick("ckampgain");
        find<QSpinBox>("spinampgain")->setValue(77);
        tick("ckdrivelevel");
        tick("ckpatchlevel");
        std::vector<bool> kept;
        desktop.review = [&](const pf::app::ChangeReview& r) {
            for (size_t i = 0; i < r.changes.modules().size(); ++i) kept.push_back(keep(i, r.changes.modules().size()));
            return kept;
        };
        const auto target = dir / "out.g5a";
        process(qpath(target));
        ASSERT_FALSE(desktop.previews.isEmpty());
        const std::vector<long long>& headers = desktop.previews.back().headers;
        ASSERT_GT(headers.size(), 10u);
        for (long long h : headers) ASSERT_GE(h, 0);
        // Every line of an unticked module, its header to its closing line, as it was loaded.
        std::vector<std::string> expected = linesOf(processed(original, window->choices()));
        for (size_t m = 0; m < headers.size(); ++m) {
            if (kept[m]) continue;
            for (size_t i = static_cast<size_t>(headers[m]); originalLines[i].rfind("  </Module", 0) != 0; ++i)
                expected[i] = originalLines[i];
        }
        EXPECT_EQ(readFile(target), bytesOf(expected));
        EXPECT_EQ(savedBytes(window->document()), bytesOf(expected)) << "the document is what was saved";
        // The summary under the buttons counts what was saved; Changes... shows the Process
        // again, with the ticks it was kept with.
        const auto keptModules = std::count(kept.begin(), kept.end(), true);
        size_t saved = 0;
        for (size_t i = 0; i < expected.size(); ++i) saved += expected[i] != originalLines[i];
        const QString summary = find<QLabel>("processsummary")->toolTip();
        EXPECT_TRUE(summary.startsWith(QStringLiteral("%1 line%2 changed in %3 module").arg(saved).arg(saved == 1 ? "" : "s").arg(keptModules)))
            << summary.toStdString();
        find<QToolButton>("butchanges")->click();
        ASSERT_TRUE(desktop.previews.back().kept);
        EXPECT_EQ(*desktop.previews.back().kept, kept);
        EXPECT_EQ(desktop.previews.back().headers, headers);
    }
}

// After a Process not saved, a second one that changes nothing says how far the document is
// from its file; once saved, it says nothing would change.
TEST_F(Preview, AProcessThatChangesNothingTellsTheLinesNotSavedYet) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    process();  // the save cancelled
    process();
    ASSERT_EQ(desktop.previews.size(), 2);
    EXPECT_EQ(desktop.previews[1].summary, QStringLiteral("0 lines changed in 0 modules"));
    EXPECT_TRUE(desktop.previews[1].warnings.contains(QStringLiteral(
        "Nothing would change now, but the document differs from the file in 8 lines not saved yet; saving writes them.")))
        << desktop.previews[1].warnings.join(u'\n').toStdString();
    TempDir dir;
    process(qpath(dir / "out.g5a"));
    process();
    EXPECT_TRUE(desktop.previews.back().warnings.contains(QStringLiteral("Nothing would change: saving writes the document as it is.")));
}

TEST_F(Preview, CancelLeavesTheDocumentAsBeforeThatProcessWithNoSaveDialog) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    process();  // the save dialog cancelled: the edits stay, and can be undone
    const std::string afterFirst = savedBytes(window->document());
    ASSERT_NE(afterFirst, exampleBytes("evening-set.g5a"));
    tick("ckreverbmix");
    desktop.review = [](const pf::app::ChangeReview&) { return std::optional<std::vector<bool>>(); };
    const auto requests = desktop.requests.size();
    window->butprocessClick();
    EXPECT_EQ(desktop.requests.size(), requests) << "no save dialog";
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_EQ(savedBytes(window->document()), afterFirst);
    window->undoClick();  // the cancelled Process left nothing to undo: this takes back the first
    EXPECT_EQ(savedBytes(window->document()), exampleBytes("evening-set.g5a"));
    EXPECT_FALSE(find<QToolButton>("butundo")->isEnabled());
}

TEST_F(Preview, SummaryAndWarningsSayWhatProcessDidAndFoundNowhere) {
    struct Case {
        std::vector<const char*> boxes;
        const char* untickedList;  // a type list with every tick taken off, or none
        QString summary;
        QStringList warnings;
    };
    const Case cases[] = {
        {{"ckampgain"}, nullptr, QStringLiteral("8 lines changed in 8 modules"),
         {QStringLiteral("Amp: no module of the types \"Hi-Gain Fury\", \"Vintage Combo\" in this file.")}},
        {{"ckampgain", "ckreverbmix"}, "CheckListreverb", QStringLiteral("8 lines changed in 8 modules"),
         {QStringLiteral("Amp: no module of the types \"Hi-Gain Fury\", \"Vintage Combo\" in this file."),
          QStringLiteral("Reverb: no type is ticked, so no module is edited.")}},
        {{"ckdrivelevel"}, "checklistdrive", QStringLiteral("0 lines changed in 0 modules"),
         {QStringLiteral("Drive: no type is ticked, so no module is edited."),
          QStringLiteral("Nothing would change: saving writes the document as it is.")}},
    };
    for (const Case& c : cases) {
        load(exampleFile("evening-set.g5a"));
        for (const char* box : c.boxes) tick(box);
        find<QSpinBox>("spinampgain")->setValue(77);
        if (c.untickedList)
            for (int i = 0; i < find<QListWidget>(c.untickedList)->count(); ++i)
                find<QListWidget>(c.untickedList)->item(i)->setCheckState(Qt::Unchecked);
        desktop.previews.clear();
        process();
        ASSERT_EQ(desktop.previews.size(), 1);
        EXPECT_EQ(desktop.previews[0].summary, c.summary);
        EXPECT_EQ(desktop.previews[0].warnings, c.warnings);
        EXPECT_EQ(find<QLabel>("processsummary")->text(), c.summary + QStringLiteral(".\nNot saved."));
        EXPECT_EQ(prompt(), pf::app::kProcessPrompt);
    }
    // Nothing ticked: the one message and no preview.
    load(exampleFile("evening-set.g5a"));
    desktop.previews.clear();
    process();
    EXPECT_TRUE(desktop.previews.isEmpty());
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("There are no changes to save."));
}

TEST_F(History, UndoAndRedoGoBackAndForthByteForByteWithCaptionAndSaveState) {
    const std::string loaded = exampleBytes("evening-set.g5a");
    load(exampleFile("evening-set.g5a"));
    auto* undo = find<QToolButton>("butundo");
    auto* redo = find<QToolButton>("butredo");
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    TempDir dir;
    tick("ckampgain");
    process(qpath(dir / "first.g5a"));
    const std::string first = savedBytes(window->document());
    find<QSpinBox>("spinampgain")->setValue(12);
    process();  // not saved
    const std::string second = savedBytes(window->document());
    ASSERT_NE(first, second);
    ASSERT_NE(first, loaded);
    struct State {
        std::string bytes;
        QString caption;
        QString saved;
    };
    const State states[] = {{loaded, caption("evening-set.g5a"), QString()},
                            {first, caption("first.g5a"), QStringLiteral("Saved.")},
                            {second, caption("first.g5a"), QStringLiteral("Not saved.")}};
    auto expectState = [&](int i, const char* how) {
        SCOPED_TRACE(how);
        EXPECT_EQ(savedBytes(window->document()), states[i].bytes);
        EXPECT_EQ(window->windowTitle(), states[i].caption);
        EXPECT_TRUE(find<QLabel>("processsummary")->text().endsWith(states[i].saved));
        EXPECT_EQ(undo->isEnabled(), i > 0);
        EXPECT_EQ(redo->isEnabled(), i < 2);
    };
    QApplication::setActiveWindow(window.get());  // the keys belong to the active window
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    expectState(1, "Ctrl+Z");
    undo->click();
    expectState(0, "Undo");
    window->undoClick();  // nothing more to undo
    expectState(0, "Undo at the start");
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    expectState(1, "Ctrl+Y");
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    expectState(2, "Ctrl+Shift+Z");

    // A Process after an undo drops the redo; a load drops the whole history.
    undo->click();
    process();
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(savedBytes(window->document()), processed(first, window->choices()));
    load(exampleFile("rehearsal.g3xa"));
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(find<QLabel>("processsummary")->text(), QString());
    EXPECT_FALSE(find<QToolButton>("butchanges")->isEnabled()) << "no Process made this document";
}

// While a command runs (here the save dialog of a Process), Undo is refused however it is asked
// for: the save writes what that Process made.
TEST_F(History, UndoIsRefusedWhileACommandRuns) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    process();
    find<QSpinBox>("spinampgain")->setValue(12);
    TempDir dir;
    QApplication::setActiveWindow(window.get());
    std::string made;
    desktop.whileOpen = [&] {
        made = savedBytes(window->document());
        EXPECT_FALSE(find<QToolButton>("butundo")->isEnabled());
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        window->undoClick();
        EXPECT_EQ(savedBytes(window->document()), made);
    };
    process(qpath(dir / "out.g5a"));
    desktop.whileOpen = nullptr;
    EXPECT_EQ(readFile(dir / "out.g5a"), made);
    EXPECT_TRUE(find<QToolButton>("butundo")->isEnabled()) << "once the command has ended";
}

// The dialog itself, from the keyboard: Space unticks the module in focus, Enter saves, Esc
// cancels; the summary, warnings and the report per block and type are on show.
// The dialog from the keyboard: Space ticks or unticks the module of the row in focus, its own
// row or one of its lines; Enter saves, Esc cancels. The changes have a heading, line numbers
// counted from 1 as an editor does, and a long patch name cut short with the whole row as its
// tool tip; the Details tab reports per block and type.
TEST_F(Preview, TheDialogWorksFromTheKeyboardAndShowsTheReport) {
    // A patch name in 8-bit text that is not UTF-8 shows byte for byte, as the lists show it.
    std::string bytes = exampleBytes("evening-set.g5a");
    bytes.replace(bytes.find("Glass Morning"), 5, "Gl\xE4ss");
    const std::string longName(60, 'L');
    bytes.replace(bytes.find("Crunch Rhythm"), 13, longName);
    pf::Document doc = pf::Document::fromBytes(bytes);
    pf::PatchGroup group;
    group.loadBytes(bytes, "evening-set.g5a", bundledCatalogue());
    pf::Choices c = group.afterLoad();
    c[pf::SettingId::AmpGain].ticked = true;
    c[pf::SettingId::AmpGain].number = 61;
    c[pf::SettingId::DriveLevel].ticked = true;
    pf::EditRecord record;
    const pf::ProcessReport report = pf::process(doc, bundledCatalogue(), c, &record);
    const pf::ChangeList changes(record);
    const pf::app::ChangeReview review{report, changes, QStringLiteral("the summary"), {QStringLiteral("a warning")}, &doc};
    const size_t n = changes.modules().size();
    ASSERT_GT(n, 3u);
    for (bool enter : {true, false}) {
        pf::app::PreviewDialog dialog(review, window.get());
        dialog.show();
        EXPECT_EQ(dialog.findChild<QLabel*>("previewsummary")->text(), QStringLiteral("the summary"));
        EXPECT_EQ(dialog.findChild<QLabel*>("previewwarnings")->text(), QStringLiteral("a warning"));
        auto* details = dialog.findChild<QTreeWidget*>("previewdetails");
        ASSERT_EQ(details->topLevelItemCount(), 2);
        EXPECT_EQ(details->topLevelItem(0)->text(0), QStringLiteral("Amp"));
        EXPECT_EQ(details->topLevelItem(0)->childCount(), 10) << "one row per ticked amp type";
        auto* tree = dialog.findChild<QTreeView*>("previewchanges");
        const QAbstractItemModel* model = tree->model();
        EXPECT_FALSE(tree->isHeaderHidden());
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Line"));
        EXPECT_GE(tree->header()->sectionSize(1), QFontMetrics(tree->font()).horizontalAdvance(QStringLiteral("0000000")));
        EXPECT_TRUE(model->index(0, 0).data().toString().startsWith(QString::fromUtf8("\"Gl\u00E4ss Morning\"  <Module")));
        // Each line row's number is the line's place in the file, from 1.
        for (int m = 0; m < model->rowCount(); ++m)
            for (int i = 0; i < model->rowCount(model->index(m, 0)); ++i) {
                const QModelIndex row = model->index(i, 0, model->index(m, 0));
                if (!row.data().toString().startsWith(QStringLiteral("Gain: "))) continue;
                const size_t number = row.siblingAtColumn(1).data().toString().toULongLong();
                ASSERT_GE(number, 1u);
                EXPECT_EQ(doc.line(number - 1), "        <Prm2>61</Prm2>");
            }
        QModelIndex crunch;
        for (int m = 0; m < model->rowCount() && !crunch.isValid(); ++m)
            if (model->index(m, 0).data(Qt::ToolTipRole).toString().contains(QString::fromStdString(longName)))
                crunch = model->index(m, 0);
        ASSERT_TRUE(crunch.isValid());
        EXPECT_TRUE(crunch.data(Qt::ToolTipRole).toString().contains(QString::fromStdString(longName) + QStringLiteral("\"  <Module")));
        EXPECT_FALSE(crunch.data().toString().contains(QString::fromStdString(longName)));
        EXPECT_TRUE(crunch.data().toString().contains(QStringLiteral("<Module"))) << "the header stays in view";

        tree->setCurrentIndex(model->index(0, 0));
        QTest::keyClick(tree, Qt::Key_Space);  // the first module
        QTest::keyClick(tree, Qt::Key_Down);   // into its first line: Space there ticks its module again
        QTest::keyClick(tree, Qt::Key_Space);
        tree->setCurrentIndex(model->index(2, 1));  // the line-number column of the third module
        QTest::keyClick(tree, Qt::Key_Space);
        tree->setCurrentIndex(model->index(3, 0));
        QTest::keyClick(tree, Qt::Key_Space);
        std::vector<bool> expected(n, true);
        expected[2] = expected[3] = false;
        EXPECT_EQ(dialog.kept(), expected);
        QTest::keyClick(tree, enter ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_EQ(dialog.result(), enter ? QDialog::Accepted : QDialog::Rejected);
    }
}

// Each change shows its setting's value before and after as the window shows it: THRSH one more
// than stored, the B3's Bass 10 less, PreD one more on the G5, cabs and types by the texts
// of their lists; a value that is none of its setting's, as stored; the rule that made it.
TEST_F(Preview, ChangesShowValuesAsTheWindowShowsThem) {
    using S = pf::SettingId;
    struct Example {
        const char* file;
        std::vector<std::pair<S, std::variant<int, const char*>>> set;
        std::vector<QString> shown;
    };
    const Example examples[] = {
        {"evening-set.g5a",
         {{S::NoiseReductionThrsh, 8}, {S::AmpAmp, "Plexi Stack"}, {S::AmpCab, " Closed4x12  C412"}, {S::ReverbPreD, 120}, {S::AmpGain, 0}},
         {"THRSH: 17 -> 8", "Amp: Clean Glass -> Plexi Stack", "Cab: OpenBack  OB12 -> Closed4x12  C412",
          "PreD: xy (stored) -> 120", "Gain: 87 -> 60 (limit 30..60)"}},
        {"low-end.b3a", {{S::B3AmpBass, -3}, {S::NoiseReductionPower, "OFF"}, {S::PatchFootswitch, "Tuner"}},
         {"Bass: 3 -> -3", "Power: ON -> OFF", "CTRL SW: Bypass -> Tuner"}},
    };
    for (const Example& e : examples) {
        std::string bytes = exampleBytes(e.file);
        const bool g5 = std::string(e.file) == "evening-set.g5a";
        if (g5) bytes.replace(bytes.find("<Prm5>100</Prm5>"), 16, "<Prm5>xy</Prm5>");  // its Hall's PreD: no number
        pf::Document doc = pf::Document::fromBytes(bytes);
        pf::PatchGroup group;
        group.loadBytes(bytes, e.file, bundledCatalogue());
        pf::Choices c = group.afterLoad();
        for (const auto& [id, value] : e.set) {
            c[id].ticked = true;
            if (const int* n = std::get_if<int>(&value)) c[id].number = *n;
            else c[id].text = std::get<const char*>(value);
        }
        c[S::AmpGain].rule = {.form = pf::ValueRule::Form::Limit, .low = 30, .high = 60};  // a rule is shown with its change
        pf::EditRecord record;
        pf::process(doc, bundledCatalogue(), c, &record);
        const pf::ChangeList changes(record);
        pf::app::ChangesModel model(changes, &doc);
        QStringList rows;
        for (int m = 0; m < model.rowCount(); ++m)
            for (int i = 0; i < model.rowCount(model.index(m, 0)); ++i) rows << model.index(i, 0, model.index(m, 0)).data().toString();
        for (const QString& text : e.shown) EXPECT_TRUE(rows.contains(text)) << text.toStdString() << " in " << e.file;
    }
}

}  // namespace
}  // namespace pf::test
