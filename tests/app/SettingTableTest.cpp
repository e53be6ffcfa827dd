// Every setting row of every page, walked against the window's control tables as written down
// here: page, names, caption, kind, range, start value, fixed items, hint, and row order.
#include "AppTestSupport.h"

namespace pf::test {
namespace {

// Kind: 's' spin edit, 'f' fixed drop-down, 'c' catalogue drop-down, '-' no value control.
struct Row {
    const char* page; const char* stem; const char* caption; char kind;
    int min, max, start;
    const char* items;  // fixed lists, comma-separated
    const char* hint;
};

// The control tables, page by page, top to bottom.
const Row kRows[] = {
    {"amp", "amppower", "Power", 'f', 0, 0, 0, "ON,OFF", ""},
    {"amp", "ampamp", "Amp", 'c', 0, 0, 0, "", ""},
    {"amp", "ampgain", "Gain", 's', 0, 100, 50, "", ""},
    {"amp", "amptube", "Tube", 's', 0, 100, 50, "", ""},
    {"amp", "amplevel", "Level", 's', 0, 150, 75, "", ""},
    {"amp", "amptreble", "TRBL", 's', 0, 100, 50, "", ""},
    {"amp", "ampmiddle", "MID", 's', 0, 100, 50, "", ""},
    {"amp", "ampbass", "BASS", 's', 0, 100, 50, "", ""},
    {"amp", "amppresence", "PRSNS", 's', 0, 100, 50, "", ""},
    {"amp", "ampcab", "Cab", 'c', 0, 0, 0, "", ""},
    {"ampB3", "B3amppower", "Power", 'f', 0, 0, 0, "ON,OFF", ""},
    {"ampB3", "B3ampamp", "Amp", 'c', 0, 0, 0, "", ""},
    {"ampB3", "B3ampgain", "Gain", 's', 0, 100, 50, "", ""},
    {"ampB3", "B3ampbass", "Bass", 's', -10, 10, 0, "", ""},
    {"ampB3", "B3ampmid", "Mid", 's', -10, 10, 0, "", ""},
    {"ampB3", "B3ampmidf", "Mid-F", 'c', 0, 0, 0, "", ""},
    {"ampB3", "B3amptrebl", "Trebl", 's', -10, 10, 0, "", ""},
    {"ampB3", "B3ampknob6", "knob 6 has too many variables.", '-', 0, 0, 0, "", ""},
    {"ampB3", "B3amplevel", "Level", 's', 0, 150, 50, "", ""},
    {"ampB3", "B3ampcab", "Cab", 'c', 0, 0, 0, "", ""},
    {"ampB3", "B3ampmix", "Mix", 's', 0, 100, 50, "", ""},
    {"drive", "drivepower", "Power", 'f', 0, 0, 0, "ON,OFF", ""},
    {"drive", "drivedrive", "Drive", 'c', 0, 0, 0, "", ""},
    {"drive", "drivegain", "Gain", 's', 0, 100, 50, "", ""},
    {"drive", "drivetone", "Tone", 's', 0, 100, 50, "", ""},
    {"drive", "drivelevel", "Level", 's', 0, 150, 75, "", ""},
    {"drive", "b3drivebalance", "Balance", 's', 0, 100, 50, "", ""},
    {"drive", "b3drivebass", "Bass", 's', -10, 10, 0, "", "Booster only"},
    {"drive", "b3drivetrebl", "Trebl", 's', -10, 10, 0, "", "Booster only"},
    {"drive", "b3drivemode", "Mode", 'f', 0, 0, 0, "NORM,BsBST", "Bass Muff only"},
    {"reverb", "reverbpower", "Power", 'f', 0, 0, 0, "ON,OFF", ""},
    {"reverb", "reverbreverb", "Reverb", 'c', 0, 0, 0, "", ""},
    {"reverb", "reverbdecay", "Decay", 's', 0, 100, 50, "", ""},
    {"reverb", "reverbtone", "Tone", 's', 0, 10, 5, "", ""},
    {"reverb", "reverbmix", "Mix", 's', 0, 100, 50, "", ""},
    {"reverb", "reverbpred", "PreD", 's', 1, 200, 100, "", ""},
    {"reverb", "reverblevel", "Level", 's', 0, 150, 75, "", ""},
    {"reverb", "reverbhpf", "HPF", 's', 0, 10, 5, "", "HD Reverb only"},
    {"reverb", "reverbshape", "Shape", 's', -10, 10, 5, "", "Early Reflections only"},
    {"reverb", "reverbsize", "Size", 's', 1, 100, 50, "", "Air only"},
    {"reverb", "reverbref", "Ref", 's', 0, 10, 5, "", "Air only"},
    {"misc", "miscpower", "Power", 'f', 0, 0, 0, "ON,OFF", ""},
    {"misc", "miscthrsh", "THRSH", 's', 1, 25, 10, "", ""},
    {"misc", "miscdetect", "Detect", 'f', 0, 0, 0, "GtrIn,EfxIn", ""},
    {"misc", "misclevel", "Level", 's', 0, 150, 100, "", ""},
    {"misc", "patchlevel", "Patch Level", 's', 0, 120, 60, "", ""},
    {"misc", "patchfootswitch", "CTRL SW", 'c', 0, 0, 0, "", ""},
    {"misc", "patchexppedal", "CTRL PDL", 'c', 0, 0, 0, "", ""},
    {"misc", "b3miscbalance", "Balance", 's', 0, 100, 50, "", ""},
};

using SettingTable = WindowTest;

TEST_F(SettingTable, EveryRowHasItsNamesCaptionKindRangeStartValueAndPlace) {
    int boxes = 0;
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) boxes += box->objectName().startsWith(QLatin1String("ck"));
    EXPECT_EQ(boxes, 49) << "one box per row and no others";
    const Row* previous = nullptr;
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.stem);
        auto* box = find<QCheckBox>(std::string("ck") + row.stem);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QLatin1String(row.caption));
        const QWidget* page = find(row.page);
        EXPECT_TRUE(page->isAncestorOf(box));
        EXPECT_FALSE(box->isChecked());
        EXPECT_EQ(box->isEnabled(), row.kind != '-');
        const QPoint at = box->mapTo(page, QPoint());
        if (previous && !strcmp(previous->page, row.page)) {
            const QPoint above = find(std::string("ck") + previous->stem)->mapTo(page, QPoint());
            if (above.x() == at.x()) { EXPECT_GT(at.y(), above.y()) << "rows stand in table order"; }
        }
        previous = &row;
        auto* hint = window->findChild<QLabel*>(QStringLiteral("hint") + QLatin1String(row.stem));
        EXPECT_EQ(hint ? hint->text() : QString(), QLatin1String(row.hint));
        if (*row.hint) { EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("bar") + QLatin1String(row.stem)), nullptr); }
        if (row.kind == '-') continue;

        QWidget* value = find((row.kind == 's' ? "spin" : "cbo") + std::string(row.stem));
        ASSERT_NE(value, nullptr);
        EXPECT_TRUE(page->isAncestorOf(value));
        EXPECT_EQ(value->mapTo(page, QPoint()).y(), at.y()) << "the value control stands beside its box";
        EXPECT_GT(value->mapTo(page, QPoint()).x(), at.x());
        EXPECT_FALSE(value->isEnabled()) << "value controls start disabled";
        EXPECT_EQ(value->height(), 21);
        if (row.kind == 's') {
            auto* spin = qobject_cast<QSpinBox*>(value);
            ASSERT_NE(spin, nullptr);
            EXPECT_EQ(QList<int>({spin->minimum(), spin->maximum(), spin->value()}), QList<int>({row.min, row.max, row.start}));
            EXPECT_EQ(spin->text(), QString::number(row.start));
        } else {
            auto* list = qobject_cast<QComboBox*>(value);
            ASSERT_NE(list, nullptr);
            EXPECT_FALSE(list->isEditable()) << "only an item can be picked";
            EXPECT_EQ(list->currentIndex(), -1) << "no selection before the first load";
            EXPECT_EQ(itemsOf(list).join(u','), QLatin1String(row.items)) << "catalogue lists start empty";
        }
    }
}

}  // namespace
}  // namespace pf::test
