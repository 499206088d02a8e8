#include "WriterError.h"

namespace tolvane::archive {

const char* ErrorText(int code) {
    switch (code) {
    case kErrWritingFile:
        return "Error writing to file";
    case kErrInvalidDirectory:
        return "Invalid directory";
    case kErrDiskFull:
        return "Disk full";
    case kErrOpeningFile:
        return "Error opening file";
    case kErrUnsupportedOperation:
        return "Invalid or unsupported archive type for this operation";
    case kErrNothingToDo:
    case kErrNothingToDoNoArchive:
        return "Nothing to do";
    case kErrEventNotAssigned:
        return "Required event not assigned";
    case kErrPropertyNotAssigned:
        return "Required property not assigned";
    case kErrUserCanceled:
        return "User canceled";
    default:
        return "";
    }
}

} // namespace tolvane::archive
