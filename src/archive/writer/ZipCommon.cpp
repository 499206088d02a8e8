#include "ZipCommon.h"

#include <chrono>

namespace tolvane::archive {

TZipCommon::TZipCommon() : codePage_(platform::CodePage::FromEnvironment()) {}

void TZipCommon::ReportError(const std::string& fileName, const std::string& extendedMsg,
                             const std::string& volumeId, int32_t eCode, ReportGrade grade) {
    if (!OnError && !OnReport)
        return;
    if (Cancelled()) {
        eCode = kErrUserCanceled;
        grade = ReportGrade::Cancelled;
    }
    auto start = std::chrono::steady_clock::now();
    if (OnError)
        OnError(*this, fileName, extendedMsg, volumeId, eCode);
    if (OnReport)
        OnReport(*this,
                 WriterReport{eCode, ErrorText(eCode), fileName, extendedMsg, volumeId, grade});
    pausedMs_ +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void TZipCommon::RaiseError(const std::string& fileName, const std::string& extendedMsg,
                            const std::string& volumeId, int32_t eCode) {
    ReportError(fileName, extendedMsg, volumeId, eCode, ReportGrade::Failed);
    // A cancelled run ends here too: nothing after a failed step may continue.
    throw WriterException(Cancelled() ? kErrUserCanceled : eCode);
}

} // namespace tolvane::archive
