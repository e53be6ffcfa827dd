// Every setting row of every page, walked against the window's control tables as written down
// here: name, caption, kind, range, start value, fixed items, hint, page, and row order.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QStringList>
#include <vector>

#include "AppTestSupport.h"

namespace pf::test {
namespace {

enum class Kind { Spin, Fixed, Catalogue, None };

struct Row {
    const char* page;     // object name of the tab page
    const char* caption;
    const char* box;
    const char* value;    // nullptr: no value control
    Kind kind;
    int minimum, maximum, start;
    QStringList items;    // fixed lists
    const char* hint;     // nullptr: none
};

// The control tables, page by page, top to bottom.
const std::vector<Row>& rows() {
    static const QStringList onOff{"ON", "OFF"};
    static const std::vector<Row> table = {
        {"amp", "Power", "ckamppower", "cboamppower", Kind::Fixed, 0, 0, 0, onOff, nullptr},
        {"amp", "Amp", "ckampamp", "cboampamp", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"amp", "Gain", "ckampgain", "spinampgain", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"amp", "Tube", "ckamptube", "spinamptube", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"amp", "Level", "ckamplevel", "spinamplevel", Kind::Spin, 0, 150, 75, {}, nullptr},
        {"amp", "TRBL", "ckamptreble", "spinamptreble", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"amp", "MID", "ckampmiddle", "spinampmiddle", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"amp", "BASS", "ckampbass", "spinampbass", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"amp", "PRSNS", "ckamppresence", "spinamppresence", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"amp", "Cab", "ckampcab", "cboampcab", Kind::Catalogue, 0, 0, 0, {}, nullptr},

        {"ampB3", "Power", "ckB3amppower", "cboB3amppower", Kind::Fixed, 0, 0, 0, onOff, nullptr},
        {"ampB3", "Amp", "ckB3ampamp", "cboB3ampamp", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"ampB3", "Gain", "ckB3ampgain", "spinB3ampgain", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"ampB3", "Bass", "ckB3ampbass", "spinB3ampbass", Kind::Spin, -10, 10, 0, {}, nullptr},
        {"ampB3", "Mid", "ckB3ampmid", "spinB3ampmid", Kind::Spin, -10, 10, 0, {}, nullptr},
        {"ampB3", "Mid-F", "ckB3ampmidf", "cboB3ampmidf", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"ampB3", "Trebl", "ckB3amptrebl", "spinB3amptrebl", Kind::Spin, -10, 10, 0, {}, nullptr},
        {"ampB3", "knob 6 has too many variables.", "ckB3ampknob6", nullptr, Kind::None, 0, 0, 0, {}, nullptr},
        {"ampB3", "Level", "ckB3amplevel", "spinB3amplevel", Kind::Spin, 0, 150, 50, {}, nullptr},
        {"ampB3", "Cab", "ckB3ampcab", "cboB3ampcab", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"ampB3", "Mix", "ckB3ampmix", "spinB3ampmix", Kind::Spin, 0, 100, 50, {}, nullptr},

        {"drive", "Power", "ckdrivepower", "cbodrivepower", Kind::Fixed, 0, 0, 0, onOff, nullptr},
        {"drive", "Drive", "ckdrivedrive", "cbodrivedrive", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"drive", "Gain", "ckdrivegain", "spindrivegain", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"drive", "Tone", "ckdrivetone", "spindrivetone", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"drive", "Level", "ckdrivelevel", "spindrivelevel", Kind::Spin, 0, 150, 75, {}, nullptr},
        {"drive", "Balance", "ckb3drivebalance", "spinb3drivebalance", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"drive", "Bass", "ckb3drivebass", "spinb3drivebass", Kind::Spin, -10, 10, 0, {}, "Booster only"},
        {"drive", "Trebl", "ckb3drivetrebl", "spinb3drivetrebl", Kind::Spin, -10, 10, 0, {}, "Booster only"},
        {"drive", "Mode", "ckb3drivemode", "cbob3drivemode", Kind::Fixed, 0, 0, 0, {"NORM", "BsBST"}, "Bass Muff only"},

        {"reverb", "Power", "ckreverbpower", "cboreverbpower", Kind::Fixed, 0, 0, 0, onOff, nullptr},
        {"reverb", "Reverb", "ckreverbreverb", "cboreverbreverb", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"reverb", "Decay", "ckreverbdecay", "spinreverbdecay", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"reverb", "Tone", "ckreverbtone", "spinreverbtone", Kind::Spin, 0, 10, 5, {}, nullptr},
        {"reverb", "Mix", "ckreverbmix", "spinreverbmix", Kind::Spin, 0, 100, 50, {}, nullptr},
        {"reverb", "PreD", "ckreverbpred", "spinreverbpred", Kind::Spin, 1, 200, 100, {}, nullptr},
        {"reverb", "Level", "ckreverblevel", "spinreverblevel", Kind::Spin, 0, 150, 75, {}, nullptr},
        {"reverb", "HPF", "ckreverbhpf", "spinreverbhpf", Kind::Spin, 0, 10, 5, {}, "HD Reverb only"},
        {"reverb", "Shape", "ckreverbshape", "spinreverbshape", Kind::Spin, -10, 10, 5, {}, "Early Reflections only"},
        {"reverb", "Size", "ckreverbsize", "spinreverbsize", Kind::Spin, 1, 100, 50, {}, "Air only"},
        {"reverb", "Ref", "ckreverbref", "spinreverbref", Kind::Spin, 0, 10, 5, {}, "Air only"},

        {"misc", "Power", "ckmiscpower", "cbomiscpower", Kind::Fixed, 0, 0, 0, onOff, nullptr},
        {"misc", "THRSH", "ckmiscthrsh", "spinmiscthrsh", Kind::Spin, 1, 25, 10, {}, nullptr},
        {"misc", "Detect", "ckmiscdetect", "cbomiscdetect", Kind::Fixed, 0, 0, 0, {"GtrIn", "EfxIn"}, nullptr},
        {"misc", "Level", "ckmisclevel", "spinmisclevel", Kind::Spin, 0, 150, 100, {}, nullptr},
        {"misc", "Patch Level", "ckpatchlevel", "spinpatchlevel", Kind::Spin, 0, 120, 60, {}, nullptr},
        {"misc", "CTRL SW", "ckpatchfootswitch", "cbopatchfootswitch", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"misc", "CTRL PDL", "ckpatchexppedal", "cbopatchexppedal", Kind::Catalogue, 0, 0, 0, {}, nullptr},
        {"misc", "Balance", "ckb3miscbalance", "spinb3miscbalance", Kind::Spin, 0, 100, 50, {}, nullptr},
    };
    return table;
}

bool isOnPage(const QWidget* w, const char* page) {
    for (const QWidget* p = w; p; p = p->parentWidget())
        if (p->objectName() == QLatin1String(page)) return true;
    return false;
}

using SettingTable = WindowTest;

TEST_F(SettingTable, EveryRowHasItsNameCaptionKindRangeAndStartValue) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.box);
        auto* box = find<QCheckBox>(row.box);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QLatin1String(row.caption));
        EXPECT_TRUE(isOnPage(box, row.page));
        EXPECT_FALSE(box->isChecked());
        if (row.kind == Kind::None) {
            EXPECT_FALSE(box->isEnabled());
            continue;
        }
        EXPECT_TRUE(box->isEnabled());
        QWidget* value = find<QWidget>(row.value);
        ASSERT_NE(value, nullptr);
        EXPECT_TRUE(isOnPage(value, row.page));
        EXPECT_FALSE(value->isEnabled()) << "value controls start disabled";
        switch (row.kind) {
            case Kind::Spin: {
                auto* spin = qobject_cast<QSpinBox*>(value);
                ASSERT_NE(spin, nullptr) << row.value << " is a spin edit";
                EXPECT_EQ(spin->minimum(), row.minimum);
                EXPECT_EQ(spin->maximum(), row.maximum);
                EXPECT_EQ(spin->value(), row.start);
                EXPECT_EQ(spin->text(), QString::number(row.start));
                EXPECT_EQ(spin->height(), 21);
                break;
            }
            case Kind::Fixed:
            case Kind::Catalogue: {
                auto* list = qobject_cast<QComboBox*>(value);
                ASSERT_NE(list, nullptr) << row.value << " is a drop-down list";
                EXPECT_FALSE(list->isEditable()) << "only an item can be picked";
                EXPECT_EQ(list->currentIndex(), -1) << "no selection before the first load";
                EXPECT_TRUE(list->currentText().isEmpty());
                QStringList items;
                for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
                EXPECT_EQ(items, row.items);  // catalogue lists start empty
                break;
            }
            case Kind::None: break;
        }
        const std::string stem = std::string(row.box).substr(2);
        auto* hint = form->findChild<QLabel*>(QString::fromStdString("hint" + stem));
        if (row.hint) {
            ASSERT_NE(hint, nullptr);
            EXPECT_EQ(hint->text(), QLatin1String(row.hint));
            EXPECT_NE(form->findChild<QWidget*>(QString::fromStdString("bar" + stem)), nullptr) << "the thin bar";
        } else {
            EXPECT_EQ(hint, nullptr);
        }
    }
    EXPECT_EQ(find<QComboBox>("cbob3drivemode")->height(), 21);
}

TEST_F(SettingTable, RowsStandInTableOrderOnTheirPage) {
    const Row* previous = nullptr;
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.box);
        auto* box = find<QCheckBox>(row.box);
        ASSERT_NE(box, nullptr);
        if (previous && QLatin1String(previous->page) == QLatin1String(row.page)) {
            const QWidget* page = form->findChild<QWidget*>(QLatin1String(row.page));
            auto* above = find<QCheckBox>(previous->box);
            const bool sameColumn = above->mapTo(page, QPoint()).x() == box->mapTo(page, QPoint()).x();
            if (sameColumn) {
                EXPECT_GT(box->mapTo(page, QPoint()).y(), above->mapTo(page, QPoint()).y());
            }
            // The value control stands beside its box.
            if (row.value) {
                QWidget* value = find<QWidget>(row.value);
                EXPECT_EQ(value->mapTo(page, QPoint()).y(), box->mapTo(page, QPoint()).y());
                EXPECT_GT(value->mapTo(page, QPoint()).x(), box->mapTo(page, QPoint()).x());
            }
        }
        previous = &row;
    }
}

TEST_F(SettingTable, ThereAre49SettingBoxesAndNoOthers) {
    int boxes = 0;
    for (QCheckBox* box : form->findChildren<QCheckBox*>())
        if (box->objectName().startsWith(QLatin1String("ck"))) ++boxes;
    EXPECT_EQ(boxes, 49);
    EXPECT_EQ(rows().size(), 49u);
}

}  // namespace
}  // namespace pf::test
