#include "platform/TempFileNames.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <random>

namespace tolvane::platform {

namespace {

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

std::string TempFileLead(const std::string& prefix, uint64_t pid, uint64_t start) {
    return prefix + "-" + std::to_string(pid) + "-" + std::to_string(start) + "-";
}

std::string TempFileRandom() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
    std::string random(kTempFileRandomLength, 'X');
    for (char& c : random)
        c = kLetters[pick(generator)];
    return random;
}

std::optional<TempFileMaker> TempFileMakerOf(const std::string& name, const std::string& prefix) {
    constexpr size_t kExtensionLength = sizeof kTempFileExtension - 1;
    const std::string lead = prefix + "-";
    const size_t tail = kTempFileRandomLength + kExtensionLength;
    if (name.size() < lead.size() + tail + 4 || name.compare(0, lead.size(), lead) != 0 ||
        name.compare(name.size() - kExtensionLength, std::string::npos, kTempFileExtension) != 0)
        return std::nullopt;
    const std::string stamp = name.substr(lead.size(), name.size() - lead.size() - tail);
    const size_t dash = stamp.find('-');
    if (dash == std::string::npos || stamp.back() != '-')
        return std::nullopt;
    const std::string pidText = stamp.substr(0, dash);
    const std::string startText = stamp.substr(dash + 1, stamp.size() - dash - 2);
    if (!AllDigits(pidText) || !AllDigits(startText))
        return std::nullopt;
    // Too many digits give the largest value, which no process has.
    TempFileMaker maker{std::strtoull(pidText.c_str(), nullptr, 10),
                        std::strtoull(startText.c_str(), nullptr, 10)};
    if (maker.pid == 0)
        return std::nullopt;
    return maker;
}

std::vector<std::string> StaleTempFiles(const std::string& folder, const std::string& prefix,
                                        const ProcessStartTime& startOf) {
    std::vector<std::string> stale;
    const auto entries = ListDirectory(folder);
    if (!entries)
        return stale;
    for (const DirEntry& entry : *entries) {
        if (entry.kind != EntryKind::File)
            continue;
        const std::optional<TempFileMaker> maker = TempFileMakerOf(entry.name, prefix);
        if (!maker)
            continue;
        const std::optional<uint64_t> running = startOf(maker->pid);
        // A start time of 0 means the maker could not read its own: the ID alone decides.
        if (running && (*running == maker->start || maker->start == 0))
            continue; // still in use
        stale.push_back(folder + entry.name);
    }
    return stale;
}

} // namespace tolvane::platform
