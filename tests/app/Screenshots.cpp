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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: app_screenshots <output folder>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());
    bool ok = true;
    auto grab = [&](QWidget& window, const QString& name) {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();  // item views lay out on a later turn
        const bool saved = window.grab().save(out.filePath(name));
        std::fprintf(saved ? stdout : stderr, "%s%s\n", saved ? "" : "cannot write ", qPrintable(out.filePath(name)));
        ok &= saved;
    };
    // A fresh window with `example` loaded (none: the start state), shown to `shoot`.
    auto withWindow = [](const char* example, auto shoot) {
        pf::test::FakeDesktop desktop;
        pf::app::TPresetforger_Form form(desktop);
        form.show();
        if (example) {
            desktop.answers = {QStringLiteral(PF_SOURCE_DIR "/examples/") + QLatin1String(example)};
            form.butloadClick();
        }
        shoot(form);
    };
    withWindow(nullptr, [&](auto& form) { grab(form, QStringLiteral("start.png")); });
    for (const char* example : {"evening-set.g5a", "rehearsal.g3xa", "low-end.b3a"}) {
        withWindow(example, [&](pf::app::TPresetforger_Form& form) {
            auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
            for (int i = 1; i < tabs->count(); ++i) {
                if (!tabs->isTabVisible(i)) continue;
                tabs->setCurrentIndex(i);
                grab(form, QStringLiteral("%1-%2.png").arg(QString::fromStdString(form.modelCode()), tabs->widget(i)->objectName()));
            }
        });
    }
    // A page with choices made: Gain and Cab ticked, one amp type left out.
    withWindow("evening-set.g5a", [&](pf::app::TPresetforger_Form& form) {
        form.findChild<QCheckBox*>(QStringLiteral("ckampgain"))->setChecked(true);
        form.findChild<QSpinBox*>(QStringLiteral("spinampgain"))->setValue(60);
        form.findChild<QCheckBox*>(QStringLiteral("ckampcab"))->setChecked(true);
        form.findChild<QComboBox*>(QStringLiteral("cboampcab"))->setCurrentIndex(2);
        form.findChild<QListWidget*>(QStringLiteral("checklistamp"))->item(1)->setCheckState(Qt::Unchecked);
        grab(form, QStringLiteral("g5-amp-choices.png"));
    });
    return ok ? 0 : 1;
}
