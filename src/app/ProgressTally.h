// Counts the files of a writer run from its scan and progress events, for a
// progress display that shows "files done / total".
#pragma once

#include "archive/writer/ZipCommon.h"

#include <cstdint>
#include <string>

namespace tolvane::app {

class ProgressTally {
public:
    // From OnFileScanStatus: the files found so far.
    void Scanned(int32_t filesFound) { filesTotal_ = filesFound; }
    // From OnProgressDetail. @return true when this event finished an entry.
    bool Progressed(const archive::ProgressDetail& detail);

    int32_t FilesDone() const { return filesDone_; }
    int32_t FilesTotal() const { return filesTotal_; }

private:
    int32_t filesDone_ = 0;
    int32_t filesTotal_ = 0;
    // An entry is reported done several times once its last byte is read.
    std::string lastFinished_;
    bool finishedAny_ = false;
};

} // namespace tolvane::app
