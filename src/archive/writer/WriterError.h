// Error codes of the writers' string table, their texts, and the report that
// carries a code with its text, file and context through OnReport.
#pragma once

#include "platform/Report.h"

#include <stdexcept>
#include <string>

namespace tolvane::archive {

inline constexpr int kErrWritingFile = 25136;
inline constexpr int kErrInvalidDirectory = 25158;
inline constexpr int kErrDiskFull = 25160;
inline constexpr int kErrOpeningFile = 25235;
inline constexpr int kErrUnsupportedOperation = 25244;
inline constexpr int kErrNothingToDo = 25268;
inline constexpr int kErrEventNotAssigned = 25270;
inline constexpr int kErrPropertyNotAssigned = 25271;
inline constexpr int kErrUserCanceled = 25443;
inline constexpr int kErrNothingToDoNoArchive = 26859;
// Conditions of this platform that the string table has no message for.
inline constexpr int kErrFileChanged = 25300;    // the file changed while it was read
inline constexpr int kErrDuplicateName = 25301;  // another file has the same stored name
inline constexpr int kErrNameNotUtf8 = 25302;    // the name is stored as its own bytes
inline constexpr int kErrNotRegularFile = 25303; // a pipe, socket, device or link: never opened
inline constexpr int kErrArchiveDamaged = 25304; // the new or old archive failed a check

// The message of the string table under `code` ("" for an unknown code).
const char* ErrorText(int code);

// A writer's report is every job's report: its code's message as its text,
// filled where it is made.
using ReportGrade = platform::ReportGrade;
using WriterReport = platform::Report;

// Raised inside a run after the report was made; Compress catches it.
class WriterException : public std::runtime_error {
public:
    explicit WriterException(int code) : std::runtime_error(ErrorText(code)), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

} // namespace tolvane::archive
