#include "FolderCounter.h"

#include "UiTexts.h"

namespace tolvane::gui {

FolderCounter::FolderCounter(QObject* parent)
    : QObject(parent), runner_([](const std::string& folder, JobRunnerBase::Worker& worker) {
          return app::CountFolder(folder, worker.Token());
      }) {
    connect(&runner_, &JobRunnerBase::finished, this, &FolderCounter::OnCounted);
}

void FolderCounter::Count(const QString& folder) {
    if (runner_.Running()) {
        runner_.StopAndWait();
        (void)runner_.TakeResult();
    }
    folder_ = folder;
    runner_.Start(ToCore(folder));
}

void FolderCounter::OnCounted() {
    const Tally tally = runner_.TakeResult();
    emit counted(folder_, tally);
}

} // namespace tolvane::gui
