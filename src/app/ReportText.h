// What the windows and the command line say of a writer's report.
#pragma once

#include "archive/writer/WriterError.h"

#include <string>

namespace tolvane::app {

// One line for `report`: "FILE: what happened – reason". FILE is the file
// the report names, else the run's archive; what happened is "left out" for
// a file the archive does not hold and the message of the report's code
// otherwise ("Disk full", "File changed while it was read"); the reason is
// the report's cause ("a link to nothing", "Permission denied"), left out
// with its dash when there is none. A full disk with a cause is said in the
// cause's words alone ("No space left on device"). The writers word each cause so that it
// says nothing the rest of the line already says.
std::string ReportLine(const archive::WriterReport& report);

} // namespace tolvane::app
