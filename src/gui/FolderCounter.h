// Counts what a job on the selected folder will take, on the job runner, so
// that a large tree never holds up the window. A new folder stops the count
// of the one before.
#pragma once

#include "JobRunner.h"

#include "app/FolderTally.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>

namespace tolvane::gui {

class FolderCounter : public QObject {
    Q_OBJECT
public:
    explicit FolderCounter(QObject* parent = nullptr);
    FolderCounter(const FolderCounter&) = delete;
    FolderCounter& operator=(const FolderCounter&) = delete;

    // Starts counting `folder`; the count of an earlier folder is stopped
    // and dropped.
    void Count(const QString& folder);

signals:
    // On the GUI thread: the folder and its tally (none when it could not be
    // read).
    void counted(const QString& folder, std::optional<app::FolderTally> tally);

private:
    using Tally = std::optional<app::FolderTally>;
    void OnCounted();

    QString folder_; // the folder being counted
    JobRunner<std::string, Tally> runner_;
};

} // namespace tolvane::gui
