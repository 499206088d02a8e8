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
    case kErrFileChanged:
        return "File changed while it was read";
    case kErrDuplicateName:
        return "Duplicate name in the archive";
    case kErrNameNotUtf8:
        return "File name is not valid UTF-8";
    case kErrNotRegularFile:
        return "Not a regular file";
    case kErrArchiveDamaged:
        return "Archive is damaged";
    default:
        return "";
    }
}

} // namespace tolvane::archive
