// The spin edit: what typing accepts, stepping, and bringing a typed value into range.
#include <QLineEdit>
#include <QWheelEvent>

#include "AppTestSupport.h"
#include "app/SpinEdit.h"

namespace pf::test {
namespace {

class Spin : public ::testing::Test {
protected:
    void SetUp() override {
        spin->setRange(-10, 10);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        spin->setFocus();
        spin->selectAll();
    }
    const bool app = (ensureApplication(), true);  // before any widget
    QWidget window;
    pf::app::SpinEdit* spin = new pf::app::SpinEdit(&window);
    QLineEdit* other = new QLineEdit(&window);
};

TEST_F(Spin, TypingAcceptsDigitsAndSignsOnlyAndLeavingBringsTheTextIntoRange) {
    QSignalSpy refused(spin, &pf::app::SpinEdit::keyRefused);
    QTest::keyClicks(spin, QStringLiteral("a7x."));
    EXPECT_EQ(spin->text(), QStringLiteral("7"));
    EXPECT_EQ(refused.count(), 3) << "each refused key beeps";
    // Typed text, then the focus leaves: the value, shown as plain digits.
    const struct { const char* typed; int value; } kCases[] = {
        {"-3", -3}, {"+4", 4}, {"25", 10}, {"-25", -10}, {"99999999999", 10}, {"-", -10}, {"", -10}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.typed);
        spin->setValue(3);
        spin->selectAll();
        QTest::keyClick(spin, Qt::Key_Delete);
        QTest::keyClicks(spin, QLatin1String(c.typed));
        EXPECT_EQ(spin->text(), QLatin1String(c.typed)) << "typing may leave the range for now";
        spin->interpretText();  // what losing the focus does
        EXPECT_EQ(spin->value(), c.value);
        EXPECT_EQ(spin->text(), QString::number(c.value));
    }
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("40"));
    QTest::keyClick(spin, Qt::Key_Tab);  // the focus moves on for real
    ASSERT_TRUE(other->hasFocus());
    EXPECT_EQ(spin->text(), QStringLiteral("10"));
}

TEST_F(Spin, KeysAndWheelStepWithinTheRange) {
    spin->setValue(0);
    const struct { Qt::Key key; int value; } kSteps[] = {{Qt::Key_Up, 1}, {Qt::Key_Down, 0}, {Qt::Key_Down, -1},
        {Qt::Key_PageUp, 9}, {Qt::Key_PageUp, 10}, {Qt::Key_PageDown, 0}, {Qt::Key_PageDown, -10}, {Qt::Key_PageDown, -10}};
    for (const auto& s : kSteps) {
        QTest::keyClick(spin, s.key);
        EXPECT_EQ(spin->value(), s.value) << s.key;
    }
    const QPointF at(spin->width() / 2.0, spin->height() / 2.0);
    QWheelEvent up(at, spin->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(spin, &up);
    EXPECT_EQ(spin->value(), -9);
    EXPECT_EQ(spin->height(), 21);
}

}  // namespace
}  // namespace pf::test
