// TResultForm: how a monetize job ended, shown after every job that wrote
// the ZIP, from the window and from the folder menus alike: the ZIP with its
// size and entries, what was packed, whether a password protects it, the
// referral link, the reports if any, and "Show in folder".
#pragma once

#include "UiTexts.h"

#include "app/MonetizeJob.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace tolvane::gui {

class TResultForm : public QDialog {
    Q_OBJECT
public:
    TResultForm(const UiTexts& texts, QWidget* parent = nullptr);

    // Asks the file manager to show the ZIP; RevealInFileManager by default.
    std::function<void(const QString& zipPath)> ShowInFolder;

    // Fills the window with `result` (a job that wrote the ZIP).
    void SetResult(const app::JobResult& result);

public slots:
    void btnShowInFolderClick();

private:
    QLabel* AddRow(const char* name, int row);

    const UiTexts& texts_;
    QString zipPath_;
    QLabel* lblHeading_;
    QLabel* lblZip_;
    QLabel* lblEntries_;
    QLabel* lblFiles_;
    QLabel* lblPassword_;
    QLabel* lblLink_;
    QLabel* lblWarnings_;
    QToolButton* btnDetails_;
    QPlainTextEdit* txtReports_;
    QPushButton* btnShowInFolder_;
    QPushButton* btnClose_;
};

// The job's reports, one line each: the file, what happened and why.
QString ReportLines(const std::vector<app::JobReport>& reports);

} // namespace tolvane::gui
