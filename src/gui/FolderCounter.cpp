#include "FolderCounter.h"

#include "UiTexts.h"

#include <QMetaObject>

namespace tolvane::gui {

FolderCounter::FolderCounter(QObject* parent) : QObject(parent) {}

FolderCounter::~FolderCounter() {
    Stop();
}

void FolderCounter::Stop() {
    if (cancel_)
        cancel_->Request();
    if (thread_.joinable())
        thread_.join();
    cancel_.reset();
}

void FolderCounter::Count(const QString& folder) {
    Stop();
    cancel_ = std::make_unique<platform::CancelToken>();
    const uint64_t generation = ++generation_;
    // The thread reads its own token and posts its answer; a stopped count
    // posts nothing, so only the latest folder's tally arrives.
    thread_ = std::thread([this, folder, generation, cancel = cancel_.get()] {
        const std::optional<app::FolderTally> tally = app::CountFolder(ToCore(folder), *cancel);
        if (cancel->Requested())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, folder, tally, generation] {
                // Queued: a later Count may have replaced this one meanwhile.
                if (generation_ == generation)
                    emit counted(folder, tally);
            },
            Qt::QueuedConnection);
    });
}

} // namespace tolvane::gui
