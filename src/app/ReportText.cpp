#include "ReportText.h"

namespace tolvane::app {

std::string ReportLine(const archive::WriterReport& report) {
    // The grade already says that the file is not in the archive; the code's
    // message would only name the cause a second time.
    // A full disk is said once: in the system's words where they are given.
    const bool diskFullSaid = report.code == archive::kErrDiskFull && !report.extendedMsg.empty();
    const std::string what = report.grade == archive::ReportGrade::LeftOut ? std::string("left out")
                             : diskFullSaid                                ? std::string()
                                                                           : report.text;
    std::string told = what;
    if (!report.extendedMsg.empty())
        told += (what.empty() ? "" : " \u2013 ") + report.extendedMsg;
    const std::string& subject = report.fileName.empty() ? report.volumeId : report.fileName;
    if (subject.empty())
        return told;
    return told.empty() ? subject : subject + ": " + told;
}

} // namespace tolvane::app
