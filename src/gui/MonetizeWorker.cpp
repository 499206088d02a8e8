#include "MonetizeWorker.h"

#include "UiTexts.h"

#include <chrono>

namespace tolvane::gui {

MonetizeWorker::MonetizeWorker(QObject* parent)
    : QObject(parent), runner_([this](const Request& request, JobRunnerBase::Worker& worker) {
          return Run(request, worker);
      }) {
    connect(&runner_, &JobRunnerBase::finished, this, &MonetizeWorker::finished);
}

void MonetizeWorker::Start(ui::JobBody job) {
    runner_.Start({std::move(job)});
}

// On the worker thread.
app::JobResult MonetizeWorker::Run(const Request& request, JobRunnerBase::Worker& worker) {
    int lastStage = 0, lastPercent = -1;
    auto lastSent = std::chrono::steady_clock::now();
    std::string lastFile;
    const auto onProgress = [&](const app::JobProgress& progress) {
        const auto now = std::chrono::steady_clock::now();
        const bool newFile =
            progress.file != lastFile && now - lastSent >= std::chrono::milliseconds(100);
        if (progress.stage == lastStage && progress.byArchive == lastPercent && !newFile)
            return;
        lastStage = progress.stage;
        lastPercent = progress.byArchive;
        lastSent = now;
        lastFile = progress.file;
        worker.Post([this, stage = progress.stage, percent = progress.byArchive, file = lastFile,
                     done = progress.done, total = progress.total] {
            emit progressed(stage, percent, FromCore(file), done, total);
        });
    };
    return request.job(worker.Token(), onProgress);
}

} // namespace tolvane::gui
