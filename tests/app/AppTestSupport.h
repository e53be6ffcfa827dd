#pragma once

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QString>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

#include "FakeDesktop.h"
#include "app/MainWindow.h"
#include "catalogue/Catalogue.h"
#include "document/Document.h"
#include "engine/PatchGroup.h"
#include "engine/Process.h"
#include "engine/Settings.h"
#include "support/TempDir.h"
#include "support/SavedBytes.h"

namespace pf::test {

// The one QApplication of the test program, on the offscreen platform.
inline void ensureApplication() {
    if (QApplication::instance()) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // The window's remembered folders and recent files go to a folder of the test's own.
    static TempDir settings;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(settings.path().string()));
}
// Where the window keeps its settings.
inline QString settingsFile() { return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/presetforger/presetforger.ini"); }

inline QString qpath(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }
inline QString exampleFile(const char* name) { return QStringLiteral(PF_SOURCE_DIR "/examples/") + QLatin1String(name); }
inline std::string exampleBytes(const char* name) { return readFile(PF_SOURCE_DIR "/examples/" + std::string(name)); }
inline QString caption(const QString& file) { return QStringLiteral("Presetforging:  \"%1\"").arg(file); }
inline pf::Catalogue bundledCatalogue() { return pf::Catalogue::open(PF_BUILD_DIR "/Presetforger2000.ini"); }

// What the engine makes of `bytes` with `choices`.
inline std::string processed(const std::string& bytes, const pf::Choices& choices) {
    pf::Document doc = pf::Document::fromBytes(bytes);
    pf::process(doc, bundledCatalogue(), choices);
    return savedBytes(doc);
}

inline QStringList visibleTabs(QTabWidget* tabs) {
    QStringList shown;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i)) shown << tabs->widget(i)->objectName();
    return shown;
}
inline QStringList itemsOf(QListWidget* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
    return items;
}
inline QStringList itemsOf(QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
}

// A fresh window on a scripted desktop, shown offscreen.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        desktop = FakeDesktop{};
        pf::app::userSettings()->clear();  // each test starts as a first run
        window = std::make_unique<pf::app::TPresetforger_Form>(desktop);
        window->show();
    }
    template <class T = QWidget>
    T* find(const QString& name) const {
        T* w = window->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << "no control named " << name.toStdString();
        return w;
    }
    template <class T = QWidget>
    T* find(const std::string& name) const { return find<T>(QString::fromStdString(name)); }
    template <class T = QWidget>
    T* find(const char* name) const { return find<T>(QString::fromLatin1(name)); }
    void tick(const QString& box, bool on = true) const { find<QCheckBox>(box)->setChecked(on); }
    void tick(const std::string& box, bool on = true) const { tick(QString::fromStdString(box), on); }
    void tick(const char* box, bool on = true) const { tick(QString::fromLatin1(box), on); }
    // Load, or Process, through the dialog answering with `path` (empty: cancelled).
    void load(const QString& path) { desktop.answers = {path}; window->butloadClick(); }
    void process(const QString& savePath = {}) { desktop.answers = {savePath}; window->butprocessClick(); }
    QString prompt() const { return find<QLabel>("Label1")->text(); }
    QTabWidget* tabs() const { return find<QTabWidget>("PageControl1"); }

    FakeDesktop desktop;
    std::unique_ptr<pf::app::TPresetforger_Form> window;
};

}  // namespace pf::test
