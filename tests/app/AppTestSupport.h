#pragma once

#include <QString>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "FakeDesktop.h"
#include "app/MainWindow.h"

namespace pf::test {

// The one QApplication of the test program, on the offscreen platform.
void ensureApplication();

QString exampleFile(const char* name);  // a file of examples/

// A fresh window on a scripted desktop, shown offscreen.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    template <class T>
    T* find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << "no control named " << name;
        return w;
    }
    template <class T>
    T* find(const std::string& name) const { return find<T>(name.c_str()); }

    // Load through the dialog answering with `path`.
    void load(const QString& path);

    FakeDesktop desktop;
    std::unique_ptr<pf::app::TPresetforger_Form> form;
};

}  // namespace pf::test
