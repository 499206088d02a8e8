// Runs the monetize job on a thread of its own and reports to the windows
// through queued signals, so that the GUI thread never waits for the writers.
#pragma once

#include "app/MonetizeJob.h"
#include "app/VendorConfig.h"
#include "platform/CancelToken.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <string>
#include <thread>

namespace tolvane::gui {

class MonetizeWorker : public QObject {
    Q_OBJECT
public:
    explicit MonetizeWorker(app::VendorConfig vendor, QObject* parent = nullptr);
    // Waits for a running job; the owner requests the stop on its token first.
    ~MonetizeWorker() override;
    MonetizeWorker(const MonetizeWorker&) = delete;
    MonetizeWorker& operator=(const MonetizeWorker&) = delete;

    // Starts the job on `input` into `zipPath`. `cancel` is the caller's and
    // must outlive the run. @pre !Running()
    void Start(app::JobInput input, std::string zipPath, const platform::CancelToken& cancel);
    // From Start until the GUI thread has taken the result.
    bool Running() const { return running_; }
    // Waits for the thread to end and hands over its result. Called on the
    // GUI thread, normally from the finished() handler, where it returns at once.
    app::JobResult TakeResult();

signals:
    // Emitted on the worker thread, received queued on the GUI thread: the
    // stage (1 BH, 2 ZIP), its per cent, the entry being written and the
    // stage's bytes. Sent when the per cent or the stage changes, and at most
    // every 100 ms for a new file, so that the queue never floods.
    void progressed(int stage, int byArchive, const QString& file, qint64 done, qint64 total);
    // Emitted on the worker thread as its last act.
    void finished();

private:
    app::VendorConfig vendor_;
    std::thread thread_;
    app::JobResult result_;
    bool running_ = false; // GUI thread only
};

} // namespace tolvane::gui
