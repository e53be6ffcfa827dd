// The Presetforger 2000: the window.
#include <QApplication>

#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.presetforger"));  // its desktop entry

    // One copy per user: a second start brings the running window forward, hands it the file
    // it was given, and ends.
    const QString file = pf::app::fileArgument(QCoreApplication::arguments());
    pf::app::SingleInstance guard(QStringLiteral("presetforger"));
    if (!guard.claim(file)) return 0;

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
