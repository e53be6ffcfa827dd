// The window as it starts, the enabling rule, the check-list buttons, the status prompt, the
// Home page and closing.
#include <QCheckBox>
#include <QFileInfo>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "AppTestSupport.h"
#include "app/Widgets.h"
#include "engine/Settings.h"

namespace pf::test {
namespace {

using Window = WindowTest;

QStringList visibleTabs(QTabWidget* tabs) {
    QStringList shown;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i)) shown << tabs->widget(i)->objectName();
    return shown;
}

TEST_F(Window, StartsAsTheHomePageWithNothingLoaded) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(form->size(), QSize(497, 412));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "fixed size";
    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Click LOAD to begin."));
    auto* tabs = find<QTabWidget>("PageControl1");
    ASSERT_EQ(tabs->count(), 6);
    const QStringList pages{"splash", "amp", "ampB3", "drive", "reverb", "misc"};
    const QStringList captions{"Home", "Amp", "Amp", "Drive", "Reverb", "Misc"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tabs->widget(i)->objectName(), pages[i]);
        EXPECT_EQ(tabs->tabText(i), captions[i]);
    }
    EXPECT_EQ(visibleTabs(tabs), QStringList{"splash"});
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(find<QLabel>("Panel7")->text(), QStringLiteral("8.12.2013"));
    EXPECT_EQ(find<QToolButton>("butload")->text(), QStringLiteral("Load      "));
    EXPECT_EQ(find<QToolButton>("butprocess")->text(), QStringLiteral("Process "));
    EXPECT_EQ(find<QToolButton>("butcancel")->text(), QStringLiteral("Close     "));
    EXPECT_TRUE(find<QToolButton>("butload")->isEnabled());
    EXPECT_FALSE(find<QToolButton>("butprocess")->isEnabled());
    for (const char* name : {"butload", "butprocess", "butcancel"})
        EXPECT_FALSE(find<QToolButton>(name)->icon().isNull()) << name << " has a picture";
    for (const char* name : {"SpeedButton1", "SpeedButton3", "SpeedButton4", "SpeedButton5", "SpeedButton6", "SpeedButton7"})
        EXPECT_EQ(find<QToolButton>(name)->text(), QStringLiteral("Legal"));
    for (const char* name : {"checklistamp", "checklistB3amp", "checklistdrive", "CheckListreverb"})
        EXPECT_EQ(find<QListWidget>(name)->count(), 0);
    for (const char* name : {"Image1", "Image2", "LMDAniCtrl1"})
        EXPECT_FALSE(find<QLabel>(name)->pixmap().isNull()) << name << " shows a picture";
    EXPECT_EQ(form->document().lineCount(), 0u);
    EXPECT_EQ(form->modelCode(), "");
    // Every control is visible on its page at start, the model-bound ones included.
    for (const char* name : {"ckpatchexppedal", "cbopatchexppedal", "ckb3miscbalance", "spinb3miscbalance",
                             "panb3drivespec", "ckb3drivebalance"})
        EXPECT_FALSE(find<QWidget>(name)->isHidden()) << name;
}

TEST_F(Window, IsCentredWhenFirstShown) {
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_LE((form->frameGeometry().center() - screen.center()).manhattanLength(), 2);
}

TEST_F(Window, TheDocumentIsNoControl) {
    // The document is held by the window, not by a text control.
    EXPECT_EQ(form->findChild<QWidget*>(QStringLiteral("RichEdit1")), nullptr);
}

TEST_F(Window, EachBoxEnablesExactlyItsOwnValueControl) {
    for (const SettingDef& def : settings()) {
        SCOPED_TRACE(def.checkBoxName());
        auto* box = find<QCheckBox>(def.checkBoxName());
        auto* value = find<QWidget>(def.valueControlName());
        ASSERT_TRUE(box && value);
        box->setChecked(true);  // as a click does
        EXPECT_TRUE(value->isEnabled());
        int enabled = 0;
        for (const SettingDef& other : settings())
            if (find<QWidget>(other.valueControlName())->isEnabled()) ++enabled;
        EXPECT_EQ(enabled, 1) << "no box affects another box's control";
        box->setChecked(false);  // as the program does on load
        EXPECT_FALSE(value->isEnabled());
    }
}

TEST_F(Window, AClickTicksAndUnticksAndTheValueStays) {
    auto* box = find<QCheckBox>("ckampgain");
    auto* spin = find<QSpinBox>("spinampgain");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    ASSERT_TRUE(box->isChecked());
    EXPECT_TRUE(spin->isEnabled());
    spin->setValue(73);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(spin->isEnabled());
    EXPECT_EQ(spin->value(), 73) << "a disabled control keeps its value";
}

TEST_F(Window, KnobSixCanNeverBeTicked) {
    auto* knob6 = find<QCheckBox>("ckB3ampknob6");
    EXPECT_FALSE(knob6->isEnabled());
    QTest::mouseClick(knob6, Qt::LeftButton, {}, QPoint(8, knob6->height() / 2));
    EXPECT_FALSE(knob6->isChecked());
    load(exampleFile("low-end.b3a"));
    EXPECT_FALSE(knob6->isEnabled());
}

TEST_F(Window, CheckAllAndCheckNoneActOnTheirOwnListOnly) {
    // Before any load the lists are empty and the buttons change nothing.
    find<QToolButton>("butampcheckall")->click();
    find<QToolButton>("butdrivechecknone")->click();
    load(exampleFile("evening-set.g5a"));
    const struct {
        const char* list;
        const char* all;
        const char* none;
    } kLists[] = {{"checklistamp", "butampcheckall", "butampchecknone"},
                  {"checklistB3amp", "butB3ampcheckall", "butB3ampchecknone"},
                  {"checklistdrive", "butdrivecheckall", "butdrivechecknone"},
                  {"CheckListreverb", "butreverbcheckall", "butreverbchecknone"}};
    auto ticked = [this](const char* name) {
        auto* list = find<QListWidget>(name);
        int n = 0;
        for (int i = 0; i < list->count(); ++i) n += list->item(i)->checkState() == Qt::Checked;
        return n;
    };
    for (const auto& l : kLists) {
        SCOPED_TRACE(l.list);
        const int size = find<QListWidget>(l.list)->count();
        ASSERT_GT(size, 1);
        find<QToolButton>(l.none)->click();
        EXPECT_EQ(ticked(l.list), 0);
        for (const auto& other : kLists)
            if (other.list != l.list) {
                EXPECT_EQ(ticked(other.list), find<QListWidget>(other.list)->count()) << other.list;
            }
        find<QListWidget>(l.list)->item(1)->setCheckState(Qt::Checked);
        find<QToolButton>(l.all)->click();
        EXPECT_EQ(ticked(l.list), size);
    }
}

TEST_F(Window, PromptClickBeforeALoadRunsLoadAndACancelChangesNothing) {
    QTest::mouseClick(find<QLabel>("Label1"), Qt::LeftButton);
    ASSERT_EQ(desktop.requests.size(), 1);
    EXPECT_EQ(desktop.requests[0].title, QStringLiteral("Load a G5, G3X,, G3, or B3 Patch Group File"));
    EXPECT_EQ(desktop.requests[0].nameFilters,
              QStringList{QStringLiteral("G5 G3X G3 B3 Patch Group (*.g5a *.g3xa *.g3a *.b3a)")});
    EXPECT_FALSE(desktop.requests[0].save);
    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Click LOAD to begin."));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(visibleTabs(find<QTabWidget>("PageControl1")), QStringList{"splash"});
    EXPECT_FALSE(find<QToolButton>("butprocess")->isEnabled());
    EXPECT_TRUE(desktop.boxes.isEmpty());
}

TEST_F(Window, PromptClickLoadsLikeTheLoadButton) {
    desktop.answers.push_back(exampleFile("low-end.b3a"));
    QTest::mouseClick(find<QLabel>("Label1"), Qt::LeftButton);
    EXPECT_EQ(desktop.requests.size(), 1) << "one command per click";
    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Adjust settings and then click PROCESS."));
    EXPECT_EQ(visibleTabs(find<QTabWidget>("PageControl1")), (QStringList{"splash", "ampB3", "drive", "reverb", "misc"}));
    EXPECT_EQ(find<QTabWidget>("PageControl1")->currentWidget()->objectName(), QStringLiteral("ampB3"));
}

TEST_F(Window, PromptClickAfterALoadRunsProcessOnly) {
    load(exampleFile("evening-set.g5a"));
    QTest::mouseClick(find<QLabel>("Label1"), Qt::LeftButton);
    EXPECT_EQ(desktop.requests.size(), 1) << "no second open dialog, no save dialog";
    ASSERT_EQ(desktop.boxes.size(), 1);
    EXPECT_EQ(desktop.boxes[0].text, QStringLiteral("There are no changes to save."));
    EXPECT_EQ(desktop.boxes[0].title, QStringLiteral("The Presetforger 2000"));
    EXPECT_EQ(find<QLabel>("Label1")->text(), QStringLiteral("Adjust settings and then click PROCESS."));
}

TEST_F(Window, LegalButtonsShowTheNotice) {
    for (const char* name : {"SpeedButton1", "SpeedButton3", "SpeedButton4", "SpeedButton5", "SpeedButton6", "SpeedButton7"}) {
        desktop.boxes.clear();
        find<QToolButton>(name)->click();
        ASSERT_EQ(desktop.boxes.size(), 1) << name;
        EXPECT_EQ(desktop.boxes[0].title, QStringLiteral("The Presetforger 2000"));
        EXPECT_TRUE(desktop.boxes[0].text.contains(QLatin1String("warranty")));
        EXPECT_TRUE(desktop.boxes[0].text.contains(QLatin1String("backup")));
        EXPECT_TRUE(desktop.boxes[0].text.contains(QLatin1String("belong to their owners")));
    }
}

TEST_F(Window, PicturesAndTheDateOpenTheBundledPage) {
    for (const char* name : {"Image1", "Image2", "LMDAniCtrl1", "Panel7"})
        QTest::mouseClick(find<QLabel>(name), Qt::LeftButton);
    ASSERT_EQ(desktop.urls.size(), 4);
    for (const QUrl& url : desktop.urls) {
        EXPECT_TRUE(url.isLocalFile());
        EXPECT_TRUE(url.toLocalFile().endsWith(QLatin1String("/README.md")));
        EXPECT_TRUE(QFileInfo::exists(url.toLocalFile())) << "the page lies beside the program";
    }
}

TEST_F(Window, DevicePictureStepsThroughG5G3B3) {
    auto* timer = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 2000);
    EXPECT_TRUE(timer->isActive()) << "started when the window was shown";
    auto* picture = form->findChild<pf::app::PictureStepper*>(QStringLiteral("LMDAniCtrl1"));
    ASSERT_NE(picture, nullptr);
    QStringList seen{picture->currentName()};
    for (int i = 0; i < 3; ++i) {
        const QImage before = picture->pixmap().toImage();
        form->Timer1Timer();
        EXPECT_NE(picture->pixmap().toImage(), before) << "each step shows another picture";
        seen << picture->currentName();
    }
    EXPECT_EQ(seen, (QStringList{"G5", "G3", "B3", "G5"}));
}

TEST_F(Window, AnActivatedPageTurnsBoldButTheZnrGroupKeepsItsFont) {
    load(exampleFile("evening-set.g5a"));
    EXPECT_TRUE(find<QWidget>("amp")->font().bold()) << "the page a load activates";
    EXPECT_TRUE(find<QCheckBox>("ckampgain")->font().bold());
    EXPECT_FALSE(find<QWidget>("misc")->font().bold());
    find<QTabWidget>("PageControl1")->setCurrentIndex(5);
    EXPECT_TRUE(find<QWidget>("misc")->font().bold());
    EXPECT_TRUE(find<QCheckBox>("ckpatchlevel")->font().bold());
    EXPECT_FALSE(find<QGroupBox>("ZNR")->font().bold());
    EXPECT_FALSE(find<QCheckBox>("ckmiscpower")->font().bold());
    find<QTabWidget>("PageControl1")->setCurrentIndex(3);
    EXPECT_TRUE(find<QWidget>("misc")->font().bold()) << "a page stays bold";
    // A second load hides the tabs on its way; only the page it activates turns bold.
    load(exampleFile("low-end.b3a"));
    EXPECT_TRUE(find<QWidget>("ampB3")->font().bold());
    EXPECT_FALSE(find<QWidget>("splash")->font().bold());
    EXPECT_FALSE(find<QWidget>("reverb")->font().bold());
}

TEST_F(Window, EscapeClosesTheWindow) {
    load(exampleFile("evening-set.g5a"));
    find<QCheckBox>("ckampgain")->setChecked(true);
    QSignalSpy finished(form.get(), &QDialog::finished);
    QTest::keyClick(find<QWidget>("spinampgain"), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_TRUE(desktop.boxes.isEmpty()) << "nothing is asked";
}

TEST_F(Window, CloseButtonAndCloseBoxCloseTheWindow) {
    find<QToolButton>("butcancel")->click();
    EXPECT_FALSE(form->isVisible());
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(desktop.boxes.isEmpty());
}

TEST_F(Window, SecondStartRequestRestoresAMinimisedWindow) {
    form->showMinimized();
    form->bringToFront();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(form->isVisible());
}

}  // namespace
}  // namespace pf::test
