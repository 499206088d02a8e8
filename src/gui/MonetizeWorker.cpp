#include "MonetizeWorker.h"

#include "UiTexts.h"

#include <chrono>

namespace tolvane::gui {

MonetizeWorker::MonetizeWorker(app::VendorConfig vendor, QObject* parent)
    : QObject(parent), vendor_(std::move(vendor)),
      runner_([this](const Request& request, JobRunnerBase::Worker& worker) {
          return Run(request, worker);
      }) {
    connect(&runner_, &JobRunnerBase::finished, this, &MonetizeWorker::finished);
}

void MonetizeWorker::Start(app::JobInput input, std::string zipPath) {
    runner_.Start({std::move(input), std::move(zipPath)});
}

// On the worker thread.
app::JobResult MonetizeWorker::Run(const Request& request, JobRunnerBase::Worker& worker) {
    app::MonetizeJob job(vendor_);
    int lastStage = 0, lastPercent = -1;
    auto lastSent = std::chrono::steady_clock::now();
    std::string lastFile;
    job.OnProgress = [&](const app::JobProgress& progress) {
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
    return job.Run(request.input, request.zipPath, worker.Token());
}

} // namespace tolvane::gui
