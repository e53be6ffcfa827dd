// Opening a file without the Load dialog: named on the command line, handed over by a later
// start, dropped on the window. Each must leave the window exactly as Load does.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "AppTestSupport.h"
#include "support/SavedBytes.h"

namespace pf::test {
namespace {

// Everything a user can see of the window and everything Process reads, as text.
QStringList state(const pf::app::TPresetforger_Form& form) {
    QStringList s{form.windowTitle(), QString::fromUtf8(form.modelCode().data(), form.modelCode().size()),
                  QString::number(qHash(QByteArray::fromStdString(savedBytes(form.document()))))};
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    s << visibleTabs(tabs).join(',') << tabs->currentWidget()->objectName()
      << QString::number(tabs->currentWidget()->font().bold());
    for (const QLabel* label : form.findChildren<QLabel*>()) s << label->objectName() + ':' + label->text();
    for (const QWidget* w : form.findChildren<QWidget*>())
        if (!w->objectName().isEmpty()) s << w->objectName() + (w->isHidden() ? ":hidden" : ":shown") + (w->isEnabled() ? "" : ":off");
    for (const QCheckBox* box : form.findChildren<QCheckBox*>()) s << box->objectName() + ':' + QString::number(box->isChecked());
    for (const QComboBox* list : form.findChildren<QComboBox*>())
        s << list->objectName() + ':' + itemsOf(const_cast<QComboBox*>(list)).join('|') + '@' + QString::number(list->currentIndex());
    for (const QListWidget* list : form.findChildren<QListWidget*>())
        for (int i = 0; i < list->count(); ++i) s << list->objectName() + ':' + list->item(i)->text() + ':' + QString::number(list->item(i)->checkState());
    return s;
}

class Opening : public WindowTest {
protected:
    // A drag carrying `urls` and offering `actions` (Shift held: the user asks for a move)
    // enters the window, moves over it and is dropped, as far as each step is taken. Every step
    // taken is taken as a copy; the action of the drop, IgnoreAction when a step was refused.
    Qt::DropAction drop(const QList<QUrl>& urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(40, 40), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDragMoveEvent move(QPoint(50, 50), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDropEvent dropped(QPointF(50, 50), actions, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDropEvent* before = nullptr;
        for (QDropEvent* step : {static_cast<QDropEvent*>(&enter), static_cast<QDropEvent*>(&move), &dropped}) {
            if (before) {  // each step starts as the one before ended, as the toolkit passes them on
                step->setAccepted(true);
                step->setDropAction(before->dropAction());
            }
            QApplication::sendEvent(window.get(), step);
            if (!step->isAccepted()) break;
            EXPECT_EQ(step->dropAction(), Qt::CopyAction) << "never a move";
            before = step;
        }
        QTest::qWait(20);  // the load, recipe or message follows once the drop has ended
        return before == &dropped ? dropped.dropAction() : Qt::IgnoreAction;
    }
};

// A second window loads through its Load dialog what this one opens by each other way: after
// each file, every control, list, tick, caption and the document agree, failures included, and
// the next Load dialog offers the same file.
TEST_F(Opening, CommandLineHandOverAndDropLoadExactlyAsLoadDoes) {
    FakeDesktop referenceDesktop;
    pf::app::TPresetforger_Form reference(referenceDesktop);
    reference.show();
    TempDir dir;
    writeFile(dir / "odd name.G3A", exampleBytes("rehearsal.g3xa"));
    const struct { const char* how; QString path; } kOpens[] = {
        {"command line", exampleFile("evening-set.g5a")},  {"hand-over", exampleFile("low-end.b3a")},
        {"hand-over", QStringLiteral("/nonexistent/gone.g5a")}, {"drop", exampleFile("rehearsal.g3xa")},
        {"drop", qpath(dir / "odd name.G3A")},             {"command line", qpath(dir.path())},
        {"hand-over", exampleFile("evening-set.g5a")}};
    for (const auto& o : kOpens) {
        SCOPED_TRACE(std::string(o.how) + " " + o.path.toStdString());
        for (auto* f : {window.get(), &reference}) {  // choices made before the load are undone alike
            f->findChild<QCheckBox*>(QStringLiteral("ckreverbmix"))->setChecked(true);
            f->findChild<QSpinBox*>(QStringLiteral("spinreverbmix"))->setValue(12);
        }
        referenceDesktop.answers = {o.path};
        reference.butloadClick();
        if (QLatin1String(o.how) == QLatin1String("command line")) {
            window->loadFile(o.path);
        } else if (QLatin1String(o.how) == QLatin1String("hand-over")) {
            window->openFile(o.path);
        } else {
            ASSERT_EQ(drop({QUrl::fromLocalFile(o.path)}), Qt::CopyAction);
        }
        EXPECT_EQ(state(*window), state(reference));
        ASSERT_EQ(desktop.boxes.size(), referenceDesktop.boxes.size());
        if (!desktop.boxes.isEmpty()) {
            EXPECT_EQ(desktop.boxes.back().text, referenceDesktop.boxes.back().text);
        }
        load({});
        referenceDesktop.answers = {QString()};
        reference.butloadClick();
        EXPECT_EQ(desktop.requests.back().selectedFile, o.path) << "the next Load offers the file";
        EXPECT_EQ(desktop.requests.back().directory, referenceDesktop.requests.back().directory);
    }
    EXPECT_EQ(desktop.boxes.size(), 2) << "the missing file and the folder";
    EXPECT_EQ(desktop.boxes.front().text, QStringLiteral("Cannot open file /nonexistent/gone.g5a: No such file or directory"));
}

// A drop is taken as a copy of local files, never as a move: a drag offering only a move,
// a web address or no address is not taken at all; a recipe among several files, a file that is
// neither a patch group nor a recipe, a folder without patch groups, or a recipe before any load
// are refused with a message. None of it changes anything. Several patch groups run as a batch.
TEST_F(Opening, DropsAreCopiesOfOnePatchGroupOrRecipeAndAnythingElseIsRefused) {
    const QUrl recipe = QUrl::fromLocalFile(exampleFile("gig-ready.recipe.ini"));
    EXPECT_EQ(drop({recipe}), Qt::IgnoreAction);
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes.back().text, "Cannot apply recipe " + recipe.toLocalFile() + ": load a patch group first");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("The Presetforger 2000"));
    load(exampleFile("low-end.b3a"));
    const QStringList before = state(*window);
    TempDir dir;
    writeFile(dir / "notes.txt", "x");
    const QUrl g5 = QUrl::fromLocalFile(exampleFile("evening-set.g5a"));
    for (const QList<QUrl>& urls : {QList<QUrl>{QUrl(QStringLiteral("https://presetforger.example.org/a.g5a"))}, QList<QUrl>{}})
        EXPECT_EQ(drop(urls), Qt::IgnoreAction) << urls.size();
    EXPECT_EQ(drop({g5}, Qt::MoveAction), Qt::IgnoreAction) << "only a move offered";
    EXPECT_EQ(desktop.boxes.size(), 1);
    const QString notAFile = QStringLiteral(": only a patch group (.g5a, .g3xa, .g3a, .b3a) or a recipe (.ini) can be dropped here");
    const struct { QList<QUrl> urls; QString message; } kRefused[] = {
        {{g5, recipe}, "Cannot open " + recipe.toLocalFile() + ": only patch groups (.g5a, .g3xa, .g3a, .b3a) or folders can be dropped together"},
        {{QUrl::fromLocalFile(qpath(dir / "notes.txt"))}, "Cannot open " + qpath(dir / "notes.txt") + notAFile},
        {{QUrl::fromLocalFile(qpath(dir.path()))}, "Cannot open " + qpath(dir.path()) + ": there is no patch group (.g5a, .g3xa, .g3a, .b3a) in it"}};
    for (const auto& r : kRefused) {
        SCOPED_TRACE(r.message.toStdString());
        const qsizetype shown = desktop.boxes.size();
        EXPECT_EQ(drop(r.urls), Qt::IgnoreAction);
        ASSERT_EQ(desktop.boxes.size(), shown + 1);
        EXPECT_EQ(desktop.boxes.back().text, r.message);
    }
    EXPECT_EQ(state(*window), before);
    desktop.batch = [](const pf::app::BatchReview&) { return std::nullopt; };
    EXPECT_EQ(drop({g5, QUrl::fromLocalFile(exampleFile("low-end.b3a"))}), Qt::CopyAction);
    ASSERT_TRUE(desktop.batchPreview) << "several patch groups make a batch";
    EXPECT_EQ(desktop.batchPreview->files.size(), 2u);
    EXPECT_EQ(state(*window), before);
    EXPECT_EQ(drop({g5}, Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(window->windowTitle(), caption("evening-set.g5a"));
}

// A dropped recipe is applied as Apply recipe applies it: the same choices and messages, the
// caption and the document as they were.
TEST_F(Opening, ADroppedRecipeIsAppliedAsApplyRecipeAppliesIt) {
    FakeDesktop referenceDesktop;
    pf::app::TPresetforger_Form reference(referenceDesktop);
    reference.show();
    for (const char* recipe : {"gig-ready.recipe.ini", "b3-amp.recipe.ini"}) {
        SCOPED_TRACE(recipe);
        window->loadFile(exampleFile("evening-set.g5a"));
        reference.loadFile(exampleFile("evening-set.g5a"));
        referenceDesktop.answers = {exampleFile(recipe)};
        reference.applyRecipeClick();
        EXPECT_EQ(drop({QUrl::fromLocalFile(exampleFile(recipe))}), Qt::CopyAction);
        EXPECT_EQ(state(*window), state(reference));
        EXPECT_EQ(window->windowTitle(), caption("evening-set.g5a"));
        ASSERT_EQ(desktop.boxes.size(), referenceDesktop.boxes.size());
        if (!desktop.boxes.isEmpty()) {
            EXPECT_EQ(desktop.boxes.back().text, referenceDesktop.boxes.back().text);
        }
    }
}

// A file handed over while Load or Process still has its dialog open waits until that command
// has ended: the save writes what Process made of the document it started on, and the last file
// handed over is loaded afterwards.
TEST_F(Opening, AFileHandedOverDuringACommandIsLoadedWhenTheCommandHasEnded) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    TempDir dir;
    const auto saved = dir / "saved.g5a";
    desktop.whileOpen = [&] {
        window->openFile(exampleFile("low-end.b3a"));
        window->openFile(exampleFile("rehearsal.g3xa"));
        EXPECT_EQ(window->modelCode(), "g5") << "nothing loaded while the dialog is open";
    };
    process(qpath(saved));
    desktop.whileOpen = nullptr;
    EXPECT_EQ(readFile(saved), processed(exampleBytes("evening-set.g5a"), window->choices()));
    EXPECT_EQ(window->windowTitle(), caption("saved.g5a"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->modelCode() == "g3x"; }, 5000)) << "the last file, after the save";
    EXPECT_EQ(window->windowTitle(), caption("rehearsal.g3xa"));
    EXPECT_EQ(savedBytes(window->document()), exampleBytes("rehearsal.g3xa"));

    desktop.whileOpen = [&] { window->openFile(exampleFile("evening-set.g5a")); };
    load(exampleFile("low-end.b3a"));
    EXPECT_EQ(window->modelCode(), "b3") << "the Load's own file first";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->modelCode() == "g5"; }, 5000));
    EXPECT_TRUE(desktop.boxes.isEmpty());
}

}  // namespace
}  // namespace pf::test
