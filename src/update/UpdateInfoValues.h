// The values read from the update page's META tags.
#pragma once

#include <string>

namespace tolvane::update {

struct TUpdateInfoValues {
    std::string Product;
    std::string ClientFileName;
    std::string Version;
    std::string Author;
    std::string Email;
    std::string Download;
    std::string Redirection;
    std::string RunParameters;
};

} // namespace tolvane::update
