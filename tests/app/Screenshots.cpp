// Grabs every shown page of the window after loading each example into a fresh window, and
// the Home page at start, as PNG files: app_screenshots <output folder>.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QSpinBox>
#include <QTabWidget>
#include <cstdio>

#include "FakeDesktop.h"
#include "app/MainWindow.h"

namespace {

bool grab(QWidget& window, const QString& path) {
    // Item views lay out their items on a later turn of the event loop.
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: app_screenshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    const QDir examples(QStringLiteral(PF_SOURCE_DIR "/examples"));
    bool ok = true;

    {
        pf::test::FakeDesktop desktop;
        pf::app::TPresetforger_Form form(desktop);
        form.show();
        ok &= grab(form, out.filePath(QStringLiteral("start.png")));
    }
    const struct {
        const char* file;
        const char* model;
    } kExamples[] = {{"evening-set.g5a", "g5"}, {"rehearsal.g3xa", "g3x"}, {"low-end.b3a", "b3"}};
    for (const auto& example : kExamples) {
        pf::test::FakeDesktop desktop;
        pf::app::TPresetforger_Form form(desktop);
        form.show();
        desktop.answers.push_back(examples.filePath(QLatin1String(example.file)));
        form.butloadClick();
        auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        for (int i = 1; i < tabs->count(); ++i) {
            if (!tabs->isTabVisible(i)) continue;
            tabs->setCurrentIndex(i);
            ok &= grab(form, out.filePath(QStringLiteral("%1-%2.png").arg(QLatin1String(example.model), tabs->widget(i)->objectName())));
        }
    }
    {
        // A page with choices made: Gain and Cab ticked, one amp type left out.
        pf::test::FakeDesktop desktop;
        pf::app::TPresetforger_Form form(desktop);
        form.show();
        desktop.answers.push_back(examples.filePath(QStringLiteral("evening-set.g5a")));
        form.butloadClick();
        form.findChild<QCheckBox*>(QStringLiteral("ckampgain"))->setChecked(true);
        form.findChild<QSpinBox*>(QStringLiteral("spinampgain"))->setValue(60);
        form.findChild<QCheckBox*>(QStringLiteral("ckampcab"))->setChecked(true);
        form.findChild<QComboBox*>(QStringLiteral("cboampcab"))->setCurrentIndex(2);
        form.findChild<QListWidget*>(QStringLiteral("checklistamp"))->item(1)->setCheckState(Qt::Unchecked);
        ok &= grab(form, out.filePath(QStringLiteral("g5-amp-choices.png")));
    }
    return ok ? 0 : 1;
}
