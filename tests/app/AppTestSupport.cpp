#include "AppTestSupport.h"

#include <QApplication>

namespace pf::test {

void ensureApplication() {
    if (QApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

QString exampleFile(const char* name) { return QStringLiteral(PF_SOURCE_DIR "/examples/") + QLatin1String(name); }

void WindowTest::SetUp() {
    ensureApplication();
    form = std::make_unique<pf::app::TPresetforger_Form>(desktop);
    form->show();
}

void WindowTest::TearDown() { form.reset(); }

void WindowTest::load(const QString& path) {
    desktop.answers.push_back(path);
    form->butloadClick();
}

}  // namespace pf::test
