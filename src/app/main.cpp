// The Presetforger 2000: the window.
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <string>

#include "Version.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "document/DeviceModels.h"
#include "io/FileIO.h"

namespace {

// The usage, with the files a load takes as the device-model table lists them.
std::string helpText() {
    std::string extensions;
    for (const pf::DeviceModel& m : pf::deviceModels()) extensions += (extensions.empty() ? "" : ", ") + std::string(m.extension);
    return "usage: presetforger [FILE]\n"
           "       presetforger --help | --version\n"
           "\n"
           "Opens the window of the Presetforger 2000: load a patch group (" + extensions + "), tick the\n"
           "settings to overwrite and their values, and Process rewrites every matching patch and asks\n"
           "where to save the result. With FILE the window starts with that patch group loaded. Only one\n"
           "window runs per user; starting the program again brings it to the front, and with FILE has\n"
           "it load that file.\n"
           "\n"
           "  -h, --help   this text\n"
           "  --version    the program's name and version\n";
}

// Prints `text` and gives the exit status: 0 once it is all written.
int print(const char* text) {
    return std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Answered before anything of the desktop starts: no display, no window, no guard. After
    // "--" every argument is a file name, as for the file the window opens.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) return print(("presetforger " + std::string(pf::kVersion) + "\n").c_str());
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return print(helpText().c_str());
    }

    // Ended by SIGINT, SIGTERM or SIGHUP during a save, the window leaves the old file whole
    // and no temporary file beside it.
    pf::io::removeTemporaryFilesOnInterrupt();
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.presetforger"));  // its desktop entry

    // One copy per user: a second start brings the running window forward, hands it the file
    // it was given, and ends. One that cannot do so safely says why and opens its own window.
    const QString file = pf::app::fileArgument(QCoreApplication::arguments());
    pf::app::SingleInstance guard(QStringLiteral("presetforger"));
    if (!guard.claim(file)) return 0;
    if (!guard.problem().isEmpty())
        std::fprintf(stderr, "presetforger: %s; this window runs on its own\n", guard.problem().toLocal8Bit().constData());

    pf::app::QtDesktop desktop;
    pf::app::TPresetforger_Form form(desktop);
    QObject::connect(&guard, &pf::app::SingleInstance::raiseRequested, &form,
                     &pf::app::TPresetforger_Form::bringToFront);
    QObject::connect(&guard, &pf::app::SingleInstance::openRequested, &form,
                     &pf::app::TPresetforger_Form::openFile, Qt::QueuedConnection);
    QObject::connect(&form, &QDialog::finished, &app, &QApplication::quit);
    form.show();
    if (!file.isEmpty()) form.loadFile(file);
    return app.exec();
}
