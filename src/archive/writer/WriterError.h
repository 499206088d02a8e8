// Error codes of the writers' string table, their texts, and the report that
// carries a code with its file and context through OnError.
#pragma once

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

// What a report means for the run, so that hosts need not work it out from
// the codes.
enum class ReportGrade {
    Notice,    // nothing is wrong ("Nothing to do")
    Warning,   // the entry was written, but the user should know something
    LeftOut,   // a file is not in the archive; the run goes on
    Failed,    // the run stopped; the archive is as it was
    Cancelled, // the run was stopped on request; the archive is as it was
};

struct WriterReport {
    int code = 0;
    std::string fileName;
    std::string extendedMsg; // the cause, often the system's message
    std::string volumeId;    // the run's archive
    ReportGrade grade = ReportGrade::Failed;
};

// Raised inside a run after the report was made; Compress catches it.
class WriterException : public std::runtime_error {
public:
    explicit WriterException(int code) : std::runtime_error(ErrorText(code)), code_(code) {}
    int Code() const { return code_; }

private:
    int code_;
};

} // namespace tolvane::archive
