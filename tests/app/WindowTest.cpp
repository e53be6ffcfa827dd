// The window as it starts, the enabling rule, the check-list buttons, the status prompt, the
// Home page, page fonts and closing.
#include <QGroupBox>
#include <QScreen>
#include <QTimer>

#include "AppTestSupport.h"
#include "app/Widgets.h"

namespace pf::test {
namespace {

using Window = WindowTest;
const char* const kLegal[] = {"SpeedButton1", "SpeedButton3", "SpeedButton4", "SpeedButton5", "SpeedButton6", "SpeedButton7"};
const char* const kLists[] = {"checklistamp", "checklistB3amp", "checklistdrive", "CheckListreverb"};

TEST_F(Window, StartsCentredOnTheHomePageWithNothingLoaded) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("The Presetforger 2000"));
    // The size the texts need, the longest list items of every model's among them: about
    // 497 x 412 at the default font.
    EXPECT_EQ(window->height(), 412);
    EXPECT_NEAR(window->width(), 497, 32);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
    // The application icon, at every size it is installed in.
    const QList<QSize> iconSizes = window->windowIcon().availableSizes();
    for (int side : {16, 32, 48, 64, 128, 256}) EXPECT_TRUE(iconSizes.contains(QSize(side, side))) << side;
    EXPECT_LE((window->frameGeometry().center() - window->screen()->availableGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(prompt(), QStringLiteral("Click LOAD to begin."));
    QStringList pages, captions;
    for (int i = 0; i < tabs()->count(); ++i) {
        pages << tabs()->widget(i)->objectName();
        captions << tabs()->tabText(i);
    }
    EXPECT_EQ(pages, (QStringList{"splash", "amp", "ampB3", "drive", "reverb", "misc"}));
    EXPECT_EQ(captions, (QStringList{"Home", "Amp", "Amp", "Drive", "Reverb", "Misc"}));
    EXPECT_EQ(visibleTabs(tabs()), QStringList{"splash"});
    EXPECT_EQ(find<QLabel>("Panel7")->text(), QStringLiteral("8.12.2013"));
    const struct { const char* name; const char* text; bool enabled; } kButtons[] = {
        {"butload", "Load      ", true}, {"butprocess", "Process ", false}, {"butcancel", "Close     ", true}};
    for (const auto& b : kButtons) {
        EXPECT_EQ(find<QToolButton>(b.name)->text(), QLatin1String(b.text));
        EXPECT_EQ(find<QToolButton>(b.name)->isEnabled(), b.enabled) << b.name;
        EXPECT_FALSE(find<QToolButton>(b.name)->icon().isNull()) << b.name << " has a picture";
    }
    for (const char* name : kLegal) EXPECT_EQ(find<QToolButton>(name)->text(), QStringLiteral("Legal"));
    for (const char* name : kLists) EXPECT_EQ(find<QListWidget>(name)->count(), 0);
    for (const char* name : {"Image1", "Image2", "LMDAniCtrl1"}) EXPECT_FALSE(find<QLabel>(name)->pixmap().isNull()) << name;
    EXPECT_EQ(window->document().lineCount(), 0u);
    EXPECT_EQ(window->modelCode(), "");
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("RichEdit1")), nullptr) << "the document is no control";
    for (const char* name : {"ckpatchexppedal", "cbopatchexppedal", "ckb3miscbalance", "panb3drivespec", "ckb3drivebalance"})
        EXPECT_FALSE(find(name)->isHidden()) << name << ": model-bound controls are shown at start";
}

TEST_F(Window, EachBoxEnablesExactlyItsOwnValueControlAndKnobSixNone) {
    for (const SettingDef& def : settings()) {
        SCOPED_TRACE(pf::app::checkBoxName(def.id).toStdString());
        auto* box = find<QCheckBox>(pf::app::checkBoxName(def.id));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        ASSERT_TRUE(box->isChecked());
        int enabled = 0;
        for (const SettingDef& other : settings()) enabled += find(pf::app::valueControlName(other.id))->isEnabled();
        EXPECT_EQ(enabled, 1);
        EXPECT_TRUE(find(pf::app::valueControlName(def.id))->isEnabled());
        box->setChecked(false);  // as the program does on load
        EXPECT_FALSE(find(pf::app::valueControlName(def.id))->isEnabled());
    }
    auto* spin = find<QSpinBox>("spinampgain");
    tick("ckampgain");
    spin->setValue(73);
    QTest::mouseClick(find("ckampgain"), Qt::LeftButton, {}, QPoint(8, 10));
    EXPECT_FALSE(spin->isEnabled());
    EXPECT_EQ(spin->value(), 73) << "a disabled control keeps its value";
    auto* knob6 = find<QCheckBox>("ckB3ampknob6");
    QTest::mouseClick(knob6, Qt::LeftButton, {}, QPoint(8, knob6->height() / 2));
    EXPECT_FALSE(knob6->isChecked());
    load(exampleFile("low-end.b3a"));
    EXPECT_FALSE(knob6->isEnabled());
}

TEST_F(Window, CheckAllAndCheckNoneActOnTheirOwnListOnly) {
    find<QToolButton>("butampcheckall")->click();  // empty lists before a load: nothing happens
    find<QToolButton>("butdrivechecknone")->click();
    load(exampleFile("evening-set.g5a"));
    const char* const kButtons[][2] = {{"butampcheckall", "butampchecknone"}, {"butB3ampcheckall", "butB3ampchecknone"},
                                       {"butdrivecheckall", "butdrivechecknone"}, {"butreverbcheckall", "butreverbchecknone"}};
    auto ticked = [this](const char* name) {
        auto* list = find<QListWidget>(name);
        int n = 0;
        for (int i = 0; i < list->count(); ++i) n += list->item(i)->checkState() == Qt::Checked;
        return n;
    };
    for (int l = 0; l < 4; ++l) {
        SCOPED_TRACE(kLists[l]);
        ASSERT_GT(find<QListWidget>(kLists[l])->count(), 1);
        find<QToolButton>(kButtons[l][1])->click();
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(ticked(kLists[other]), other == l ? 0 : find<QListWidget>(kLists[other])->count());
        find<QToolButton>(kButtons[l][0])->click();
        for (int other = 0; other < 4; ++other) EXPECT_EQ(ticked(kLists[other]), find<QListWidget>(kLists[other])->count());
    }
}

TEST_F(Window, ThePromptRunsLoadThenProcessOneCommandPerClick) {
    QTest::mouseClick(find("Label1"), Qt::LeftButton);  // Load, cancelled: nothing changes
    ASSERT_EQ(desktop.requests.size(), 1);
    EXPECT_EQ(desktop.requests[0].title, QStringLiteral("Load a G5, G3X,, G3, or B3 Patch Group File"));
    EXPECT_EQ(desktop.requests[0].nameFilters, QStringList{"G5 G3X G3 B3 Patch Group (*.g5a *.g3xa *.g3a *.b3a)"});
    EXPECT_FALSE(desktop.requests[0].save);
    EXPECT_EQ(prompt(), QStringLiteral("Click LOAD to begin."));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(visibleTabs(tabs()), QStringList{"splash"});
    EXPECT_FALSE(find("butprocess")->isEnabled());
    desktop.answers = {exampleFile("low-end.b3a")};
    QTest::mouseClick(find("Label1"), Qt::LeftButton);  // Load
    EXPECT_EQ(desktop.requests.size(), 2);
    EXPECT_EQ(prompt(), QStringLiteral("Adjust settings and then click PROCESS."));
    EXPECT_TRUE(desktop.boxes.isEmpty()) << "no Process after the load";
    QTest::mouseClick(find("Label1"), Qt::LeftButton);  // Process, nothing ticked
    EXPECT_EQ(desktop.requests.size(), 2) << "no open dialog, no save dialog";
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].kind + desktop.boxes[0].title, QStringLiteral("infoThe Presetforger 2000"));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("There are no changes to save."));
    EXPECT_EQ(window->windowTitle(), caption("low-end.b3a"));
}

TEST_F(Window, HomePagePicturesStepAndOpenTheBundledPageAndLegalButtonsShowTheNotice) {
    for (const char* name : kLegal) {
        desktop.boxes.clear();
        find<QToolButton>(name)->click();
        ASSERT_EQ(desktop.boxes.size(), 1) << name;
        EXPECT_EQ(desktop.boxes[0].title, QStringLiteral("The Presetforger 2000"));
        for (const char* words : {"warranty", "backup", "belong to their owners"})
            EXPECT_TRUE(desktop.boxes[0].text.contains(QLatin1String(words))) << words;
    }
    for (const char* name : {"Image1", "Image2", "LMDAniCtrl1", "Panel7"}) QTest::mouseClick(find(name), Qt::LeftButton);
    ASSERT_EQ(desktop.urls.size(), 4);
    for (const QUrl& url : desktop.urls) {
        EXPECT_TRUE(url.toLocalFile().endsWith(QLatin1String("/README.md")));
        EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << "the page lies beside the program";
    }
    // The device picture steps "G5", "G3", "B3" every 2000 ms from the first show.
    auto* timer = window->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 2000);
    EXPECT_TRUE(timer->isActive()) << "started when the window was shown";
    auto* picture = find<pf::app::PictureStepper>("LMDAniCtrl1");
    QStringList seen{picture->currentName()};
    for (int i = 0; i < 3; ++i) {
        const QImage before = picture->pixmap().toImage();
        window->Timer1Timer();
        EXPECT_NE(picture->pixmap().toImage(), before) << "each step shows another picture";
        seen << picture->currentName();
    }
    EXPECT_EQ(seen, (QStringList{"G5", "G3", "B3", "G5"}));
}

TEST_F(Window, AnActivatedPageTurnsBoldButTheZnrGroupKeepsItsFont) {
    load(exampleFile("evening-set.g5a"));
    EXPECT_TRUE(find("amp")->font().bold()) << "the page a load activates";
    EXPECT_TRUE(find("ckampgain")->font().bold());
    EXPECT_FALSE(find("misc")->font().bold());
    tabs()->setCurrentIndex(5);
    EXPECT_TRUE(find("misc")->font().bold());
    EXPECT_TRUE(find("ckpatchlevel")->font().bold());
    EXPECT_FALSE(find<QGroupBox>("ZNR")->font().bold());
    EXPECT_FALSE(find("ckmiscpower")->font().bold());
    tabs()->setCurrentIndex(3);
    EXPECT_TRUE(find("misc")->font().bold()) << "a page stays bold";
    load(exampleFile("low-end.b3a"));  // hides tabs on its way: only the page it activates turns bold
    EXPECT_TRUE(find("ampB3")->font().bold());
    EXPECT_FALSE(find("splash")->font().bold());
    EXPECT_FALSE(find("reverb")->font().bold());
}

TEST_F(Window, EscCloseButtonAndCloseBoxCloseWithoutQuestionsAndASecondStartRestores) {
    load(exampleFile("evening-set.g5a"));
    tick("ckampgain");
    QSignalSpy finished(window.get(), &QDialog::finished);
    QTest::keyClick(find("spinampgain"), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(finished.count(), 1);
    window->show();
    find<QToolButton>("butcancel")->click();
    EXPECT_FALSE(window->isVisible());
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(desktop.boxes.isEmpty()) << "nothing is asked";
    window->showMinimized();
    window->bringToFront();
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Window, KeyboardReachesCommandsTabsAndEntriesAndPicturesAreNamed) {
    QApplication::setActiveWindow(window.get());
    EXPECT_EQ(window->focusWidget(), find("butload")) << "the first thing to do is Load";
    // A button's shortcut presses it as a click does, after showing it pressed for a moment.
    QTest::keyClick(window.get(), Qt::Key_L, Qt::AltModifier);  // Alt+L: Load, cancelled
    EXPECT_TRUE(QTest::qWaitFor([this] { return desktop.requests.size() == 1; }));
    load(exampleFile("evening-set.g5a"));
    EXPECT_EQ(window->focusWidget(), find("ckamppower")) << "then a setting of the page the load shows";
    const struct { Qt::Key key; const char* page; } kTabs[] = {
        {Qt::Key_D, "drive"}, {Qt::Key_R, "reverb"}, {Qt::Key_M, "misc"}, {Qt::Key_A, "amp"}, {Qt::Key_H, "splash"}};
    for (const auto& [key, page] : kTabs) {
        QTest::keyClick(window.get(), key, Qt::AltModifier);
        EXPECT_EQ(tabs()->currentWidget()->objectName(), QLatin1String(page));
        EXPECT_TRUE(tabs()->currentWidget()->font().bold()) << page << " turns bold as by a click on its tab";
    }
    QTest::keyClick(window.get(), Qt::Key_P, Qt::AltModifier);  // Alt+P: Process, nothing ticked
    ASSERT_TRUE(QTest::qWaitFor([this] { return desktop.boxes.size() == 1; }));
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("There are no changes to save."));
    // The captions stay as they are: the shortcuts do not show in them.
    EXPECT_EQ(find<QToolButton>("butcancel")->text(), QStringLiteral("Close     "));

    // A click on an entry's name ticks or unticks it, as a click on its box does.
    tabs()->setCurrentIndex(1);
    auto* list = find<QListWidget>("checklistamp");
    QListWidgetItem* entry = list->item(1);
    const QRect rect = list->visualItemRect(entry);
    const QPoint onName(rect.left() + list->fontMetrics().horizontalAdvance(entry->text()) / 2 + 24, rect.center().y());
    ASSERT_EQ(entry->checkState(), Qt::Checked);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onName);
    EXPECT_EQ(entry->checkState(), Qt::Unchecked);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, onName);
    EXPECT_EQ(entry->checkState(), Qt::Checked);
    EXPECT_EQ(list->item(0)->checkState(), Qt::Checked) << "only the entry clicked";

    // Pictures and picture buttons tell screen readers what they are and do.
    for (const char* name : {"butload", "butprocess", "butcancel", "Image1", "Image2", "LMDAniCtrl1", "Panel7"}) {
        EXPECT_FALSE(find(name)->accessibleName().isEmpty()) << name;
        EXPECT_FALSE(find(name)->accessibleDescription().isEmpty()) << name;
    }
}

}  // namespace
}  // namespace pf::test
