// Counts what a job on the selected folder will take, on a thread of its
// own, so that a large tree never holds up the window. A new folder stops
// the count of the one before.
#pragma once

#include "app/FolderTally.h"
#include "platform/CancelToken.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

namespace tolvane::gui {

class FolderCounter : public QObject {
    Q_OBJECT
public:
    explicit FolderCounter(QObject* parent = nullptr);
    // Stops a running count and waits for it.
    ~FolderCounter() override;
    FolderCounter(const FolderCounter&) = delete;
    FolderCounter& operator=(const FolderCounter&) = delete;

    // Starts counting `folder`; the count of an earlier folder is dropped.
    void Count(const QString& folder);

signals:
    // Received on the GUI thread: the folder and its tally (none when it
    // could not be read).
    void counted(const QString& folder, std::optional<app::FolderTally> tally);

private:
    void Stop();

    std::thread thread_;
    std::unique_ptr<platform::CancelToken> cancel_;
    uint64_t generation_ = 0; // GUI thread only
};

} // namespace tolvane::gui
