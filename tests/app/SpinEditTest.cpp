// The spin edit: what typing accepts, stepping, and bringing a typed value into range.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "AppTestSupport.h"
#include "app/SpinEdit.h"

namespace pf::test {
namespace {

class Spin : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        holder = std::make_unique<QWidget>();
        QWidget& window = *holder;
        window.resize(200, 60);
        spin = new pf::app::SpinEdit(&window);
        spin->setRange(-10, 10);
        spin->setValue(5);
        other = new QLineEdit(&window);
        other->move(0, 30);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        spin->setFocus();
        spin->selectAll();
    }
    void typeAndLeave(const QString& keys) {
        spin->selectAll();
        QTest::keyClicks(spin, keys);
        spin->interpretText();  // what losing the focus does
    }

    std::unique_ptr<QWidget> holder;
    pf::app::SpinEdit* spin = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(Spin, TypingAcceptsDigitsAndSignsOnly) {
    QSignalSpy refused(spin, &pf::app::SpinEdit::keyRefused);
    QTest::keyClicks(spin, QStringLiteral("a7x."));
    EXPECT_EQ(spin->text(), QStringLiteral("7"));
    EXPECT_EQ(refused.count(), 3) << "each refused key beeps";
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("-3"));
    EXPECT_EQ(spin->text(), QStringLiteral("-3"));
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("+4"));
    spin->interpretText();
    EXPECT_EQ(spin->value(), 4);
    EXPECT_EQ(spin->text(), QStringLiteral("4")) << "shown as plain digits";
}

TEST_F(Spin, ATypedValueOutsideTheRangeGoesToTheNearerBound) {
    const struct {
        const char* typed;
        int value;
    } kCases[] = {{"25", 10}, {"-25", -10}, {"99999999999", 10}, {"7", 7}, {"-", -10}, {"", -10}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.typed);
        spin->setValue(3);
        if (*c.typed) {
            typeAndLeave(QLatin1String(c.typed));
        } else {
            spin->selectAll();
            QTest::keyClick(spin, Qt::Key_Delete);
            spin->interpretText();
        }
        EXPECT_EQ(spin->value(), c.value);
        EXPECT_EQ(spin->text(), QString::number(c.value));
    }
}

TEST_F(Spin, LosingTheFocusBringsTheTextIntoRange) {
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("40"));
    ASSERT_TRUE(spin->hasFocus());
    QTest::keyClick(spin, Qt::Key_Tab);  // the focus moves on
    ASSERT_TRUE(other->hasFocus());
    EXPECT_EQ(spin->text(), QStringLiteral("10"));
    EXPECT_EQ(spin->value(), 10);
}

TEST_F(Spin, KeysAndWheelStepWithinTheRange) {
    spin->setValue(0);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->value(), 1);
    QTest::keyClick(spin, Qt::Key_Down);
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->value(), -1);
    QTest::keyClick(spin, Qt::Key_PageUp);
    EXPECT_EQ(spin->value(), 9);
    QTest::keyClick(spin, Qt::Key_PageUp);
    EXPECT_EQ(spin->value(), 10) << "never past the maximum";
    QTest::keyClick(spin, Qt::Key_PageDown);
    QTest::keyClick(spin, Qt::Key_PageDown);
    QTest::keyClick(spin, Qt::Key_PageDown);
    EXPECT_EQ(spin->value(), -10);
    spin->setValue(0);
    const QPointF at(spin->width() / 2.0, spin->height() / 2.0);
    QWheelEvent up(at, spin->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(spin, &up);
    EXPECT_EQ(spin->value(), 1);
}

TEST_F(Spin, IsTwentyOnePixelsHigh) { EXPECT_EQ(spin->height(), 21); }

}  // namespace
}  // namespace pf::test
