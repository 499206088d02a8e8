#include "ProgressMailbox.h"

namespace tolvane::win {

bool ProgressMailbox::Put(const app::JobProgress& progress) {
    std::lock_guard lock(mutex_);
    const bool wake = !latest_.has_value();
    if (!latest_)
        latest_.emplace();
    latest_->stage = progress.stage;
    latest_->byArchive = progress.byArchive;
    latest_->file.assign(progress.file);
    return wake;
}

std::optional<ProgressSnapshot> ProgressMailbox::Take() {
    std::lock_guard lock(mutex_);
    std::optional<ProgressSnapshot> taken = std::move(latest_);
    latest_.reset();
    return taken;
}

} // namespace tolvane::win
