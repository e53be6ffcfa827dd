// Opening a file without the Load dialog: named on the command line, handed over by a later
// start, dropped on the window. Each must leave the window exactly as Load does.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include "AppTestSupport.h"

namespace pf::test {
namespace {

// Everything a user can see of the window and everything Process reads, as text.
QStringList state(const pf::app::TPresetforger_Form& form) {
    QStringList s{form.windowTitle(), QString::fromUtf8(form.modelCode().data(), form.modelCode().size()),
                  QString::number(qHash(QByteArray::fromStdString(form.document().toBytes())))};
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
    // A drag carrying `urls` enters the window and, when accepted, is dropped; true when accepted.
    bool drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(40, 40), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        QTest::qWait(20);  // the load follows once the drop has ended
        return dropped.isAccepted();
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
            ASSERT_TRUE(drop({QUrl::fromLocalFile(o.path)}));
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

// Only one local file is taken; several files, a folder, a web address or plain text are refused
// and change nothing.
TEST_F(Opening, DropsTakeOneLocalFileOnly) {
    load(exampleFile("low-end.b3a"));
    const QStringList before = state(*window);
    TempDir dir;
    const QList<QUrl> kRefused[] = {
        {QUrl::fromLocalFile(exampleFile("evening-set.g5a")), QUrl::fromLocalFile(exampleFile("rehearsal.g3xa"))},
        {QUrl::fromLocalFile(qpath(dir.path()))}, {QUrl(QStringLiteral("https://presetforger.example.org/a.g5a"))}, {}};
    for (const QList<QUrl>& urls : kRefused) EXPECT_FALSE(drop(urls)) << urls.size();
    EXPECT_EQ(state(*window), before);
    EXPECT_TRUE(desktop.boxes.isEmpty());
    EXPECT_TRUE(drop({QUrl::fromLocalFile(exampleFile("evening-set.g5a"))}));
    EXPECT_EQ(window->windowTitle(), caption("evening-set.g5a"));
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
    EXPECT_EQ(window->document().toBytes(), exampleBytes("rehearsal.g3xa"));

    desktop.whileOpen = [&] { window->openFile(exampleFile("evening-set.g5a")); };
    load(exampleFile("low-end.b3a"));
    EXPECT_EQ(window->modelCode(), "b3") << "the Load's own file first";
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->modelCode() == "g5"; }, 5000));
    EXPECT_TRUE(desktop.boxes.isEmpty());
}

}  // namespace
}  // namespace pf::test
