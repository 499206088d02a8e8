#include "MonetizeWorker.h"

#include <chrono>

namespace tolvane::gui {

MonetizeWorker::MonetizeWorker(app::VendorConfig vendor, QObject* parent)
    : QObject(parent), vendor_(std::move(vendor)) {}

MonetizeWorker::~MonetizeWorker() {
    if (thread_.joinable())
        thread_.join();
}

void MonetizeWorker::Start(app::JobInput input, std::string zipPath,
                           const platform::CancelToken& cancel) {
    if (thread_.joinable())
        thread_.join();
    running_ = true;
    thread_ = std::thread([this, input = std::move(input), zipPath = std::move(zipPath), &cancel] {
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
            emit progressed(progress.stage, progress.byArchive,
                            QString::fromUtf8(progress.file.data(),
                                              static_cast<qsizetype>(progress.file.size())),
                            progress.done, progress.total);
        };
        result_ = job.Run(input, zipPath, cancel);
        emit finished();
    });
}

app::JobResult MonetizeWorker::TakeResult() {
    if (thread_.joinable())
        thread_.join();
    running_ = false;
    return std::move(result_);
}

} // namespace tolvane::gui
