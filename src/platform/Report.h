// The report a job hands back when something went wrong or should be known:
// what happened, in words for the user, the file or address it is about, the
// cause in the system's or the peer's words, and what it means for the work.
// The same shape as the writers' reports, so that the windows and the command
// line present every job's reports one way.
#pragma once

#include <string>

namespace tolvane::platform {

enum class ReportGrade {
    Notice,    // nothing is wrong; the user is told something
    Warning,   // the work went on, but the user should know
    LeftOut,   // a part of the work was skipped; the rest went on
    Failed,    // the work stopped
    Cancelled, // the work was stopped on request: nothing to show
};

struct Report {
    int code = 0;            // a code of a string table, where the report has one
    std::string text;        // what happened, as shown; empty where the cause says it all
    std::string fileName;    // the file, folder or address the report is about
    std::string extendedMsg; // the cause
    std::string volumeId;    // the run's archive, where there is one
    ReportGrade grade = ReportGrade::Failed;

    bool Cancelled() const { return grade == ReportGrade::Cancelled; }
};

// A failure about `fileName` (empty when it is about nothing in particular),
// for `cause`.
inline Report Failure(std::string fileName, std::string cause) {
    Report report;
    report.fileName = std::move(fileName);
    report.extendedMsg = std::move(cause);
    return report;
}

// A stop on request: it has no cause and nothing to show.
inline Report Cancellation() {
    Report report;
    report.grade = ReportGrade::Cancelled;
    return report;
}

// "FILE: cause", or the one of the two that is there.
inline std::string CauseLine(const Report& report) {
    if (report.fileName.empty() || report.extendedMsg.empty())
        return report.fileName + report.extendedMsg;
    return report.fileName + ": " + report.extendedMsg;
}

// "text (FILE: cause)", or the text alone when there is no cause.
inline std::string TextWithCause(const Report& report) {
    const std::string cause = CauseLine(report);
    if (cause.empty() || report.text.empty())
        return report.text + cause;
    return report.text + " (" + cause + ")";
}

} // namespace tolvane::platform
