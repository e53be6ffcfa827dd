#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QVector>
#include <functional>

#include "app/Desktop.h"

namespace pf::test {

// A scripted desktop: file dialogs answer from a queue (an empty answer is a cancel), message
// boxes and opened pages are recorded.
struct FakeDesktop : pf::app::Desktop {
    struct Box { QString kind, title, text; };  // kind: "error" or "info"
    QList<QString> answers;
    QVector<pf::app::FileDialogRequest> requests;
    QVector<Box> boxes;
    QVector<QUrl> urls;
    std::function<void()> whileOpen;  // runs while a dialog is open, as the event loop would

    QString chooseFile(QWidget*, const pf::app::FileDialogRequest& request, QString* selectedFilter) override {
        requests.push_back(request);
        if (whileOpen) whileOpen();
        if (selectedFilter) *selectedFilter = request.selectedFilter;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    void errorBox(QWidget*, const QString& title, const QString& text) override { boxes.push_back({"error", title, text}); }
    void infoBox(QWidget*, const QString& title, const QString& text) override { boxes.push_back({"info", title, text}); }
    void openUrl(const QUrl& url) override { urls.push_back(url); }
};

}  // namespace pf::test
