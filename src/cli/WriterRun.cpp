#include "WriterRun.h"

#include "ErrorReport.h"
#include "ProgressBar.h"

#include <memory>

namespace tolvane::cli {

using namespace archive;

int RunWriter(TCustomCClass& writer, const std::string& command, const std::string& progressLabel,
              std::ostream& out, std::ostream& err, const PackOptions& options) {
    const std::string prefix = "tolvane-cli " + command + ": ";
    std::unique_ptr<ProgressBar> bar;
    if (options.showProgress) {
        bar = std::make_unique<ProgressBar>(err, progressLabel);
        writer.OnProgress = [&bar](TZipCommon&, uint8_t, uint8_t byArchive) {
            bar->Update(byArchive);
        };
    }
    int reports = 0;
    bool nothingToDo = false;
    writer.OnError = [&](TZipCommon&, const std::string& fileName, const std::string& extendedMsg,
                         const std::string&, int32_t code) {
        if (code == kErrNothingToDo) {
            nothingToDo = true;
            return;
        }
        if (code == kErrUserCanceled)
            return;
        ++reports;
        if (bar)
            bar->Clear();
        err << prefix << FormatWriterError(code, fileName, extendedMsg) << "\n";
    };
    writer.OnNonWriteableArchive = [&](TZipCommon&, const std::string& file, bool& writeToFile) {
        ++reports;
        if (bar)
            bar->Clear();
        err << prefix << file << ": the archive is read-only; it was left as it is\n";
        writeToFile = false;
    };
    if (options.interrupt) {
        writer.ProcessMessages = [&writer, flag = options.interrupt] {
            if (flag->load() && !writer.Cancelled())
                writer.SetCancel(true);
        };
    }

    const int32_t packed = writer.Compress();
    bar.reset();
    const std::string& written = writer.ArchiveFile();
    if (options.interrupt && options.interrupt->load()) {
        err << prefix << "interrupted; " << written << " was left as it was\n";
        return 130;
    }
    if (packed == 0) {
        if (nothingToDo && reports == 0) {
            out << written << ": up to date, nothing to add\n";
            return 0;
        }
        err << prefix << "nothing was written to " << written << "\n";
        return 2;
    }
    out << written << ": " << packed << (packed == 1 ? " entry" : " entries") << " written\n";
    if (reports > 0) {
        err << prefix << reports << (reports == 1 ? " problem" : " problems")
            << " reported; the files named above are not in the archive\n";
        return 1;
    }
    return 0;
}

} // namespace tolvane::cli
