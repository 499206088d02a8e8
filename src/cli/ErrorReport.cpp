#include "ErrorReport.h"

namespace tolvane::cli {

std::string FormatWriterError(const archive::WriterReport& report) {
    std::string line = (report.grade == archive::ReportGrade::Warning ? "warning " : "error ") +
                       std::to_string(report.code) + ": " + archive::ErrorText(report.code);
    if (!report.fileName.empty())
        line += ": " + report.fileName;
    if (!report.extendedMsg.empty())
        line += " (" + report.extendedMsg + ")";
    return line;
}

} // namespace tolvane::cli
