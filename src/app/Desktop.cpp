#include "app/Desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

#include "app/BatchPreview.h"
#include "app/PreviewDialog.h"

namespace pf::app {

QString QtDesktop::chooseFile(QWidget* parent, const FileDialogRequest& request, QString* selectedFilter) {
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setNameFilters(request.nameFilters);
    if (!request.selectedFilter.isEmpty()) dialog.selectNameFilter(request.selectedFilter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The overwrite question is the dialog's own (on by default).
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!request.selectedFile.isEmpty()) dialog.selectFile(request.selectedFile);
    const bool accepted = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
    return accepted ? dialog.selectedFiles().constFirst() : QString();
}

QStringList QtDesktop::chooseFiles(QWidget* parent, const FileDialogRequest& request) {
    QFileDialog dialog(parent, request.title, request.directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setNameFilters(request.nameFilters);
        dialog.setFileMode(QFileDialog::ExistingFiles);
    }
    dialog.setSizeGripEnabled(true);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

void QtDesktop::errorBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

void QtDesktop::infoBox(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void QtDesktop::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);  // the result does not matter: no browser, no page
}

}  // namespace pf::app

namespace pf::app {

std::optional<std::vector<bool>> QtDesktop::reviewChanges(QWidget* parent, const ChangeReview& review) {
    PreviewDialog dialog(review, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.kept();
}

}  // namespace pf::app

namespace pf::app {

std::optional<BatchDecision> QtDesktop::reviewBatch(QWidget* parent, const BatchReview& review) {
    BatchPreviewDialog dialog(review, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.decision();
}

}  // namespace pf::app
