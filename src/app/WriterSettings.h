// The writer settings of the monetize job, shared by every command that
// packs the way the job does.
#pragma once

#include "archive/writer/CustomCClass.h"

#include <string>
#include <vector>

namespace tolvane::app {

// The 23 archive extensions stored without compression (".TAR" is deflated).
std::vector<std::string> JobStoreFilesOfType();

// TOLVANE_JOBS: the threads that code entries (1 to 256), or 0 (as many as
// the machine has cores) when it is not set or not such a number.
int CodingThreadsFromEnvironment();

// All attributes but fsVolumeID, relative names in the OEM code page, file
// dates, a temporary file, empty folders kept, subfolders and hidden folders
// walked, the coding threads of TOLVANE_JOBS.
void ApplyCommonWriterSettings(archive::TCustomCClass& writer);

} // namespace tolvane::app
