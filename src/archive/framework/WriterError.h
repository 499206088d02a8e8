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

// The message of the string table under `code` ("" for an unknown code).
const char* ErrorText(int code);

struct WriterReport {
    int code = 0;
    std::string fileName;
    std::string extendedMsg;
    std::string volumeId;
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
