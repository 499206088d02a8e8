// Arbitrary bytes as the update page: its lines, the META values, version
// comparisons over pairs of its lines, and address splitting.
#include "update/ParseInfo.h"
#include "update/SplitURL.h"
#include "update/VersionCompare.h"

#include "FuzzSupport.h"

using namespace tolvane;
using namespace tolvane::update;

namespace {

void CheckVersions(const std::string& a, const std::string& b) {
    for (TVersionFormat format : {vfStandard, vfString, vfNumber}) {
        FUZZ_CHECK(!OfferedIsNewer(format, a, a));
        FUZZ_CHECK(!(OfferedIsNewer(format, a, b) && OfferedIsNewer(format, b, a)));
    }
}

void CheckAddress(const std::string& address) {
    const UrlParts parts = SplitURL(address);
    FUZZ_CHECK(parts.host.find('/') == std::string::npos);
    FUZZ_CHECK(parts.host.empty() || parts.path.front() == '/');
    const std::string joined = parts.host + parts.path;
    // Only a leading scheme may be dropped: seven characters, or "https://".
    const size_t dropped = parts.scheme == "https" ? 8 : 7;
    FUZZ_CHECK(joined == address ||
               (address.size() >= dropped && joined == address.substr(dropped)));
    const HostPort hostPort = SplitHostPort(parts.host, 80);
    FUZZ_CHECK(hostPort.port != 0 && hostPort.name.size() <= parts.host.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = SplitLines(text);
    for (const std::string& line : lines)
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);

    const TUpdateInfoValues values = ParseInfo(lines, TUpdateTagInfo{});
    for (const std::string* value :
         {&values.Product, &values.ClientFileName, &values.Version, &values.Author, &values.Email,
          &values.Download, &values.Redirection, &values.RunParameters})
        FUZZ_CHECK(value->size() < 255 && value->find('"') == std::string::npos);

    for (const char* installed : {"1.0", "1.21", "2", ""})
        CheckVersions(installed, values.Version);
    for (size_t i = 0; i + 1 < lines.size() && i < 64; ++i)
        CheckVersions(lines[i], lines[i + 1]);
    CheckAddress(values.Download);
    CheckAddress(values.Redirection);
    CheckAddress(text);
    return 0;
}
