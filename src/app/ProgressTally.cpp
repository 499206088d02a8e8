// Counts the files of a writer run from its scan and progress events.
#include "app/ProgressTally.h"

namespace tolvane::app {

bool ProgressTally::Progressed(const archive::ProgressDetail& detail) {
    if (detail.entryDone < detail.entrySize)
        return false;
    if (finishedAny_ && detail.entryName == lastFinished_)
        return false;
    finishedAny_ = true;
    lastFinished_ = detail.entryName;
    ++filesDone_;
    // An update run scans files it then finds up to date; never show more
    // done than found.
    if (filesDone_ > filesTotal_)
        filesTotal_ = filesDone_;
    return true;
}

} // namespace tolvane::app
