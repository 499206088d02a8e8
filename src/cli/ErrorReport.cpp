#include "ErrorReport.h"

#include "app/ReportText.h"

namespace tolvane::cli {

std::string FormatWriterError(const archive::WriterReport& report, bool withCode,
                              const std::string& writer) {
    const bool warning = report.grade == archive::ReportGrade::Warning;
    if (!withCode)
        return (warning ? "warning: " : "") + app::ReportLine(report);
    return (writer.empty() ? "" : writer + " ") + (warning ? "warning " : "error ") +
           std::to_string(report.code) + ": " + app::ReportLine(report);
}

} // namespace tolvane::cli
