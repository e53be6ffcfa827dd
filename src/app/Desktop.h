#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace pf {
class ChangeList;
class Document;
struct ProcessReport;
}  // namespace pf

namespace pf::app {

// What the window asks of a file dialog.
struct FileDialogRequest {
    QString title;             // empty: the platform's default title
    QString directory;         // folder to open in
    QString selectedFile;      // name offered in the name box (empty: an empty box)
    QStringList nameFilters;   // in Qt's form: "G5 Patch Groups (*.g5a)"
    QString selectedFilter;    // one of nameFilters, or empty
    QString defaultSuffix;     // without the dot; added to a name typed without extension
    bool save = false;         // a save dialog asks before overwriting; an open dialog needs an existing file
    bool many = false;         // an open dialog takes several files (chooseFiles)
    bool folder = false;       // an open dialog asks for a folder (chooseFiles gives it alone)
};

// What the preview after a Process shows: the report, the changes by module, a one-line
// summary and warnings (types found nowhere, nothing changing).
struct ChangeReview {
    const pf::ProcessReport& report;
    const pf::ChangeList& changes;
    QString summary;
    QStringList warnings;
    const pf::Document* document = nullptr;  // as Process left it: the patch names shown come from it
    // A Process kept earlier, shown again to be read: the modules it kept, one flag per module
    // of `changes`. None: a Process to review, its modules to be ticked.
    const std::vector<bool>* kept = nullptr;
};

// One file of a batch as its preview shows it.
struct BatchFileReview {
    QString path;
    bool failed = false;          // not processed: `summary` is the reason, `warnings` the messages
    bool nothingToSave = false;
    QString summary;              // "44 lines changed", then as the preview of one file says it: "... in 12 modules"
    QStringList warnings;
    const pf::ChangeList* changes = nullptr;   // with a Process to review
    const pf::Document* document = nullptr;    // as Process left it
};

// What the preview of a batch shows: the totals and every file. A file's changes are made when
// it is first shown: `detail` fills them in, with its whole summary (or, should the file fail
// now, why).
struct BatchReview {
    QString totals;
    std::vector<BatchFileReview> files;
    std::function<void(size_t file, BatchFileReview& review)> detail;
};

// What the user chose in the preview of a batch.
struct BatchDecision {
    std::vector<bool> write;               // one per file of the review
    std::vector<std::vector<bool>> kept;   // per file, its modules kept (empty: all)
    bool inPlace = false;                  // else into a folder, asked for next
};

// Everything the window shows outside itself: file dialogs, message boxes and the web page.
// The program uses QtDesktop; tests put a scripted stand-in in its place.
class Desktop {
public:
    virtual ~Desktop() = default;
    // The chosen path, or an empty text when the user cancels. `selectedFilter` receives the
    // filter in force when the dialog closed.
    virtual QString chooseFile(QWidget* parent, const FileDialogRequest& request, QString* selectedFilter) = 0;
    virtual void errorBox(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void infoBox(QWidget* parent, const QString& title, const QString& text) = 0;
    virtual void openUrl(const QUrl& url) = 0;
    // Shows the changes of a Process for review. The modules to keep, one flag per module of
    // review.changes, or nothing when the user cancels (or closes a review that is only read).
    virtual std::optional<std::vector<bool>> reviewChanges(QWidget* parent, const ChangeReview& review) = 0;
    // The files or the folder chosen (request.many or request.folder); none when cancelled.
    virtual QStringList chooseFiles(QWidget* parent, const FileDialogRequest& request) = 0;
    // Shows the preview of a batch; nothing when the user cancels.
    virtual std::optional<BatchDecision> reviewBatch(QWidget* parent, const BatchReview& review) = 0;
};

class QtDesktop final : public Desktop {
public:
    QString chooseFile(QWidget* parent, const FileDialogRequest& request, QString* selectedFilter) override;
    void errorBox(QWidget* parent, const QString& title, const QString& text) override;
    void infoBox(QWidget* parent, const QString& title, const QString& text) override;
    void openUrl(const QUrl& url) override;
    std::optional<std::vector<bool>> reviewChanges(QWidget* parent, const ChangeReview& review) override;
    QStringList chooseFiles(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<BatchDecision> reviewBatch(QWidget* parent, const BatchReview& review) override;
};

}  // namespace pf::app
