// TUpdateTagInfo: the NAMEs of the META tags the update page carries.
#pragma once

#include <string>

namespace tolvane::update {

struct TUpdateTagInfo {
    std::string Author = "upAuthor";
    std::string Email = "upEmail";
    std::string ClientFileName = "upClientSideName";
    std::string Download = "upDownload";
    std::string ProductName = "upProduct";
    std::string Redirection = "upRedirection";
    std::string RunParameters = "upRunParameters";
    std::string Version = "upVersion";
};

} // namespace tolvane::update
