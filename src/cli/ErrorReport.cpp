#include "ErrorReport.h"

#include "archive/framework/WriterError.h"

namespace tolvane::cli {

std::string FormatWriterError(int code, const std::string& fileName,
                              const std::string& extendedMsg) {
    std::string line = "error " + std::to_string(code) + ": " + archive::ErrorText(code);
    if (!fileName.empty())
        line += ": " + fileName;
    if (!extendedMsg.empty())
        line += " (" + extendedMsg + ")";
    return line;
}

} // namespace tolvane::cli
