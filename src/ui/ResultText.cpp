#include "ResultText.h"

#include "app/ReportText.h"

#include <array>
#include <cstdio>

namespace tolvane::ui {

namespace {

// Lines of the writers' reports shown in a box: a box does not scroll.
constexpr size_t kMaxReportLines = 12;

std::string WindowsLineBreaks(std::string text) {
    // The program's messages use "\r\n" and "\r"; a box takes "\n".
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void AppendReports(std::string& out, const std::vector<app::JobReport>& reports) {
    size_t shown = 0;
    for (const app::JobReport& entry : reports) {
        if (shown == kMaxReportLines) {
            out += "\n...";
            break;
        }
        out += "\n" + app::ReportLine(entry.report);
        ++shown;
    }
}

} // namespace

std::string SizeText(uint64_t bytes, int language) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B"; // the unit reads the same in every language
    static constexpr std::array<const char*, 5> kUnits{"KiB", "MiB", "GiB", "TiB", "PiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < kUnits.size()) {
        value /= 1024.0;
        ++unit;
    }
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", value);
    std::string text = number;
    // Trailing zeros go, as "1.50" reads "1.5" and "2.00" reads "2".
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
    if (language != 0) {
        if (const size_t dot = text.find('.'); dot != std::string::npos)
            text[dot] = ',';
    }
    return text + " " + kUnits[unit];
}

std::string WithArgument(std::string text, const std::string& marker, const std::string& argument) {
    for (size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + argument.size()))
        text.replace(at, marker.size(), argument);
    return text;
}

std::string ResultText(const app::JobResult& result, std::optional<uint64_t> zipSize,
                       const app::TranslationTable& texts, int language) {
    const bool clean = result.outcome == app::JobResult::Outcome::Done;
    std::string out = clean ? texts.Translate("The archive is ready.", language)
                            : texts.Translate("The archive is ready, with warnings.", language);
    out += "\n\n" + texts.Translate("Archive:", language) + "\n" + result.zipPath;
    if (zipSize)
        out += " (" + SizeText(*zipSize, language) + ")";
    out += "\n\n" + texts.Translate("Entries:", language);
    bool protectedZip = !result.zipEntries.empty();
    for (const app::JobZipEntry& entry : result.zipEntries) {
        out += "\n" + entry.name + " (" + SizeText(entry.size, language) + ")";
        protectedZip = protectedZip && (entry.encrypted || entry.size == 0);
    }
    out += "\n\n" + texts.Translate("Files packed:", language) + " " +
           texts.TranslateCount("%1 file", "%1 files", result.filesPacked, language) + ", " +
           WithArgument(texts.Translate("%1 in all", language), "%1",
                        SizeText(static_cast<uint64_t>(result.bytesPacked), language));
    out += "\n" + texts.Translate("Password:", language) + " " +
           (protectedZip ? texts.Translate("Protected with a password", language)
                         : texts.Translate("Not protected", language));
    out += "\n" + texts.Translate("Referral link:", language) + " " + result.url;

    if (!clean) {
        out += "\n\n";
        if (result.filesLeftOut > 0)
            out += texts.TranslateCount("%1 file was left out of the archive.",
                                        "%1 files were left out of the archive.",
                                        result.filesLeftOut, language);
        else
            out += texts.Translate("Some files changed while they were packed.", language);
        if (!result.message.empty())
            out += "\n" + WindowsLineBreaks(result.message);
        AppendReports(out, result.reports);
    }
    return out;
}

std::string FailureText(const app::JobResult& result) {
    std::string out = WindowsLineBreaks(result.message);
    if (!result.reports.empty())
        out += "\n";
    AppendReports(out, result.reports);
    return out;
}

} // namespace tolvane::ui
