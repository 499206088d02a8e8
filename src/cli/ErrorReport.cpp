#include "ErrorReport.h"

#include "app/ReportText.h"

namespace tolvane::cli {

std::string FormatWriterError(const archive::WriterReport& report) {
    return (report.grade == archive::ReportGrade::Warning ? "warning " : "error ") +
           std::to_string(report.code) + ": " + app::ReportLine(report);
}

} // namespace tolvane::cli
