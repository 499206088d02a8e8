// Runs the monetize job the window logic hands over on the job runner and
// reports its progress to the windows, so that the GUI thread never waits
// for the writers.
#pragma once

#include "JobRunner.h"

#include "app/MonetizeJob.h"
#include "ui/ViewRequests.h"

#include <QObject>
#include <QString>

#include <string>

namespace tolvane::gui {

class MonetizeWorker : public QObject {
    Q_OBJECT
public:
    explicit MonetizeWorker(QObject* parent = nullptr);
    MonetizeWorker(const MonetizeWorker&) = delete;
    MonetizeWorker& operator=(const MonetizeWorker&) = delete;

    // Starts `job` on the worker thread. @pre !Running()
    void Start(ui::JobBody job);
    // From Start until the GUI thread has taken the result.
    bool Running() const { return runner_.Running(); }
    // Abort, or the window closing: the job stops where it next reads the
    // token, and `finished` follows.
    void RequestStop() { runner_.RequestStop(); }
    // Hands over the job's result. Called on the GUI thread from the
    // finished() handler, where it returns at once.
    app::JobResult TakeResult() { return runner_.TakeResult(); }

signals:
    // On the GUI thread: the stage (1 BH, 2 ZIP), its per cent, the entry
    // being written and the stage's bytes. Sent when the per cent or the
    // stage changes, and at most every 100 ms for a new file, so that the
    // queue never floods.
    void progressed(int stage, int byArchive, const QString& file, qint64 done, qint64 total);
    // On the GUI thread, once the job has ended and its progress was shown.
    void finished();

private:
    struct Request {
        ui::JobBody job;
    };
    app::JobResult Run(const Request& request, JobRunnerBase::Worker& worker);

    // Last: it stops and waits for the job before the rest goes.
    JobRunner<Request, app::JobResult> runner_;
};

} // namespace tolvane::gui
