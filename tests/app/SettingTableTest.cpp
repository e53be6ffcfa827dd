// Every setting row of every page as the user meets it: caption, range and start value, fixed
// items and hint, page by page in the order the rows stand; each value control beside its box,
// 21 pixels high, disabled, and no list with a selection before the first load.
#include "AppTestSupport.h"

namespace pf::test {
namespace {

using SettingTable = WindowTest;

// A row as text: "Caption" for a catalogue list, "Caption[min..max=start]" for a spin edit,
// "Caption{item|item}" for a fixed list, "(hint)" after it when it has one.
const std::pair<const char*, const char*> kPages[] = {
    {"amp", "Power{ON|OFF} Amp Gain[0..100=50] Tube[0..100=50] Level[0..150=75] TRBL[0..100=50] MID[0..100=50] "
            "BASS[0..100=50] PRSNS[0..100=50] Cab"},
    {"ampB3", "Power{ON|OFF} Amp Gain[0..100=50] Bass[-10..10=0] Mid[-10..10=0] Mid-F Trebl[-10..10=0] "
              "knob 6 has too many variables. Level[0..150=50] Cab Mix[0..100=50]"},
    {"drive", "Power{ON|OFF} Drive Gain[0..100=50] Tone[0..100=50] Level[0..150=75] Balance[0..100=50] "
              "Bass[-10..10=0](Booster only) Trebl[-10..10=0](Booster only) Mode{NORM|BsBST}(Bass Muff only)"},
    {"reverb", "Power{ON|OFF} Reverb Decay[0..100=50] Tone[0..10=5] Mix[0..100=50] PreD[1..200=100] Level[0..150=75] "
               "HPF[0..10=5](HD Reverb only) Shape[-10..10=5](Early Reflections only) Size[1..100=50](Air only) "
               "Ref[0..10=5](Air only)"},
    {"misc", "Power{ON|OFF} THRSH[1..25=10] Detect{GtrIn|EfxIn} Level[0..150=100] Patch Level[0..120=60] CTRL SW "
             "CTRL PDL Balance[0..100=50]"},
};

TEST_F(SettingTable, EveryRowShowsItsCaptionValuesAndHintBesideItsBox) {
    int boxes = 0;
    for (const auto& [pageName, expected] : kPages) {
        SCOPED_TRACE(pageName);
        const QWidget* page = find(pageName);
        QStringList rows;
        QPoint above(-1, -1);
        for (QCheckBox* box : page->findChildren<QCheckBox*>()) {
            ++boxes;
            const QString stem = box->objectName().mid(2);
            QString row = box->text();
            const QPoint at = box->mapTo(page, QPoint());
            if (above.x() == at.x()) EXPECT_GT(at.y(), above.y()) << "rows stand in the order they are made";
            above = at;
            EXPECT_FALSE(box->isChecked());
            if (auto* spin = page->findChild<QSpinBox*>(QStringLiteral("spin") + stem)) {
                row += QStringLiteral("[%1..%2=%3]").arg(spin->minimum()).arg(spin->maximum()).arg(spin->text());
            } else if (auto* list = page->findChild<QComboBox*>(QStringLiteral("cbo") + stem)) {
                if (list->count() > 0) row += QLatin1Char('{') + itemsOf(list).join(u'|') + QLatin1Char('}');
                EXPECT_EQ(list->currentIndex(), -1) << "no selection before the first load";
                EXPECT_FALSE(list->isEditable());
            } else {
                EXPECT_FALSE(box->isEnabled()) << "a box without a value control is never enabled";
            }
            if (QWidget* value = page->findChild<QWidget*>(QStringLiteral("spin") + stem)
                                     ?: page->findChild<QWidget*>(QStringLiteral("cbo") + stem)) {
                EXPECT_EQ(value->mapTo(page, QPoint()).y(), at.y()) << "beside its box";
                EXPECT_GT(value->mapTo(page, QPoint()).x(), at.x());
                EXPECT_EQ(value->height(), 21);
                EXPECT_FALSE(value->isEnabled());
            }
            if (auto* hint = page->findChild<QLabel*>(QStringLiteral("hint") + stem)) {
                row += QStringLiteral("(%1)").arg(hint->text());
                EXPECT_NE(page->findChild<QWidget*>(QStringLiteral("bar") + stem), nullptr);
            }
            rows << row;
        }
        EXPECT_EQ(rows.join(u' '), QLatin1String(expected));
    }
    EXPECT_EQ(boxes, 49) << "one box per row and no others";
}

}  // namespace
}  // namespace pf::test
