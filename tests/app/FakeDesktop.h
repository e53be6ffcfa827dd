#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QVector>

#include "app/Desktop.h"

namespace pf::test {

// A scripted desktop: file dialogs answer from a queue (an empty answer is a cancel), message
// boxes and opened pages are recorded.
class FakeDesktop : public pf::app::Desktop {
public:
    struct Box {
        QString kind;  // "error" or "info"
        QString title;
        QString text;
    };

    QList<QString> answers;                           // next file dialog answers
    QVector<pf::app::FileDialogRequest> requests;      // every file dialog shown
    QVector<Box> boxes;
    QVector<QUrl> urls;

    QString chooseFile(QWidget*, const pf::app::FileDialogRequest& request, QString* selectedFilter) override {
        requests.push_back(request);
        if (selectedFilter) *selectedFilter = request.selectedFilter;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    void errorBox(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({QStringLiteral("error"), title, text});
    }
    void infoBox(QWidget*, const QString& title, const QString& text) override {
        boxes.push_back({QStringLiteral("info"), title, text});
    }
    void openUrl(const QUrl& url) override { urls.push_back(url); }
};

}  // namespace pf::test
