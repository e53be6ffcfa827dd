#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QVector>
#include <functional>
#include <optional>
#include <vector>

#include "app/Desktop.h"
#include "engine/Review.h"

namespace pf::test {

// A scripted desktop: file dialogs answer from a queue (an empty answer is a cancel), message
// boxes, opened pages and previews are recorded; a preview keeps every module unless `review`
// answers otherwise.
struct FakeDesktop : pf::app::Desktop {
    struct Box { QString kind, title, text; };  // kind: "error" or "info"
    QList<QString> answers;
    QVector<pf::app::FileDialogRequest> requests;
    QVector<Box> boxes;
    QVector<QUrl> urls;
    std::function<void()> whileOpen;  // runs while a dialog is open, as the event loop would
    // A preview as shown; `kept` the ticks of a Process shown again to be read (none: to review).
    struct Preview { QString summary; QStringList warnings; std::vector<long long> headers; std::optional<std::vector<bool>> kept; };
    QVector<Preview> previews;
    std::function<std::optional<std::vector<bool>>(const pf::app::ChangeReview&)> review;
    // Dialogs that choose many files or a folder answer from their own queue; a batch's preview
    // is kept, and answered by `batch` (none: cancelled), else saved into a folder whole.
    QList<QStringList> manyAnswers;
    std::optional<pf::app::BatchReview> batchPreview;
    std::function<std::optional<pf::app::BatchDecision>(const pf::app::BatchReview&)> batch;

    QString chooseFile(QWidget*, const pf::app::FileDialogRequest& request, QString* selectedFilter) override {
        requests.push_back(request);
        if (whileOpen) whileOpen();
        if (selectedFilter) *selectedFilter = request.selectedFilter;
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    void errorBox(QWidget*, const QString& title, const QString& text) override { boxes.push_back({"error", title, text}); }
    void infoBox(QWidget*, const QString& title, const QString& text) override { boxes.push_back({"info", title, text}); }
    void openUrl(const QUrl& url) override { urls.push_back(url); }
    QStringList chooseFiles(QWidget*, const pf::app::FileDialogRequest& request) override {
        requests.push_back(request);
        return manyAnswers.isEmpty() ? QStringList() : manyAnswers.takeFirst();
    }
    std::optional<pf::app::BatchDecision> reviewBatch(QWidget*, const pf::app::BatchReview& r) override {
        batchPreview = r;
        if (batch) return batch(r);
        pf::app::BatchDecision d;
        for (const auto& f : r.files) d.write.push_back(!f.failed && !f.nothingToSave);
        d.kept.resize(r.files.size());
        return d;
    }
    std::optional<std::vector<bool>> reviewChanges(QWidget*, const pf::app::ChangeReview& r) override {
        previews.push_back({r.summary, r.warnings, {}, r.kept ? std::optional(*r.kept) : std::nullopt});
        for (const pf::ModuleChanges& m : r.changes.modules()) previews.back().headers.push_back(m.headerLine);
        if (review && !r.kept) return review(r);
        return std::vector<bool>(r.changes.modules().size(), true);
    }
};

}  // namespace pf::test
