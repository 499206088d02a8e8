// Every English text the program looks up has a row in the shipped
// transl.dat with a text in each of the five languages. The texts are found
// by reading the sources for the lookup calls with a literal first argument.
#include "app/EnglishCorrections.h"
#include "app/Translation.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>

namespace fs = std::filesystem;
using namespace tolvane;

namespace {

const char* const kLanguageNames[] = {"English", "Spanish", "French", "German", "Russian"};

// The calls that look a text up: the windows' texts_(...), the table's
// Translate(...), the sign-up steps' translate(...), and the count lookups,
// whose second argument is the plural.
const std::set<std::string> kLookups = {"texts_", "Translate", "translate"};
const std::string kCountLookup = "TranslateCount";

// Texts the program looks up that the scan cannot see, each with its reason.
const char* const kNotSeenByTheScan[] = {
    // The main window's password prompts pass their keys through a variable.
    "Security Encryption...",
    "Enter Password:",
    "Verify Password...",
    "Re-enter Password:",
    // Its box after two different entries, which must read in the interface
    // language like the prompts before it.
    "Password verification failed.\r\rPlease retry...",
};

struct LookedUp {
    std::string key;
    std::string where; // FILE:LINE
};

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Reads C++ source text for lookups with literal arguments, the way the
// compiler sees the literals: comments skipped, escapes decoded, adjacent
// literals joined.
class LookupScanner {
public:
    LookupScanner(std::string text, std::string file) : s_(std::move(text)), file_(file) {}

    std::vector<LookedUp> Scan() {
        std::vector<LookedUp> found;
        while (i_ < s_.size()) {
            if (SkipCommentOrSpace())
                continue;
            const char c = s_[i_];
            if (c == '"' || c == '\'') {
                if (c == '"')
                    ReadLiteral();
                else
                    SkipCharLiteral();
                continue;
            }
            if (!IsIdentifierChar(c)) {
                ++i_;
                continue;
            }
            const size_t start = i_;
            while (i_ < s_.size() && IsIdentifierChar(s_[i_]))
                ++i_;
            const std::string word = s_.substr(start, i_ - start);
            if (i_ < s_.size() && s_[i_] == '"' && (word == "R" || word == "u8R")) {
                SkipRawLiteral();
                continue;
            }
            const bool count = word == kCountLookup;
            if (!count && !kLookups.count(word))
                continue;
            const size_t line = LineOf(start);
            SkipSpace();
            if (i_ >= s_.size() || s_[i_] != '(')
                continue;
            ++i_;
            std::optional<std::string> key = ReadLiterals();
            if (!key)
                continue;
            if (count) {
                SkipSpace();
                if (i_ >= s_.size() || s_[i_] != ',')
                    continue;
                ++i_;
                const std::optional<std::string> plural = ReadLiterals();
                if (!plural)
                    continue;
                key = app::CountKey(*key, *plural);
            }
            found.push_back({*key, file_ + ":" + std::to_string(line)});
        }
        return found;
    }

private:
    size_t LineOf(size_t at) const {
        return 1 + static_cast<size_t>(std::count(s_.begin(), s_.begin() + at, '\n'));
    }

    bool SkipCommentOrSpace() {
        if (std::isspace(static_cast<unsigned char>(s_[i_]))) {
            ++i_;
            return true;
        }
        if (s_.compare(i_, 2, "//") == 0) {
            i_ = std::min(s_.find('\n', i_), s_.size());
            return true;
        }
        if (s_.compare(i_, 2, "/*") == 0) {
            const size_t end = s_.find("*/", i_ + 2);
            i_ = end == std::string::npos ? s_.size() : end + 2;
            return true;
        }
        return false;
    }

    void SkipSpace() {
        while (i_ < s_.size() && SkipCommentOrSpace()) {
        }
    }

    // One or more adjacent literals ("a" "b", u8"c") as one text; nothing
    // when the argument is not a literal.
    std::optional<std::string> ReadLiterals() {
        std::optional<std::string> text;
        for (;;) {
            SkipSpace();
            if (s_.compare(i_, 3, "u8\"") == 0)
                i_ += 2;
            if (i_ >= s_.size() || s_[i_] != '"')
                return text;
            text = text.value_or("") + ReadLiteral();
        }
    }

    // At an opening quote: the literal's decoded text.
    std::string ReadLiteral() {
        std::string out;
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            if (s_[i_] != '\\') {
                out += s_[i_++];
                continue;
            }
            const char e = i_ + 1 < s_.size() ? s_[i_ + 1] : '\\';
            i_ += 2;
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x':
                out += static_cast<char>(ReadNumber(16, 2));
                break;
            case 'u':
                AppendUtf8(out, ReadNumber(16, 4));
                break;
            case 'U':
                AppendUtf8(out, ReadNumber(16, 8));
                break;
            default:
                if (e >= '0' && e <= '7') {
                    --i_;
                    out += static_cast<char>(ReadNumber(8, 3));
                } else {
                    out += e; // \" \' \\ \?
                }
            }
        }
        ++i_;
        return out;
    }

    uint32_t ReadNumber(int base, size_t most) {
        uint32_t value = 0;
        for (size_t n = 0; n < most && i_ < s_.size(); ++n, ++i_) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s_[i_])));
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : base;
            if (digit >= base)
                break;
            value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
        }
        return value;
    }

    void SkipCharLiteral() {
        // A digit separator (1'000) is no literal.
        if (i_ > 0 && std::isxdigit(static_cast<unsigned char>(s_[i_ - 1]))) {
            ++i_;
            return;
        }
        ++i_;
        while (i_ < s_.size() && s_[i_] != '\'')
            i_ += s_[i_] == '\\' ? 2 : 1;
        ++i_;
    }

    void SkipRawLiteral() {
        const size_t open = s_.find('(', i_);
        const std::string close = ")" + s_.substr(i_ + 1, open - i_ - 1) + "\"";
        const size_t end = s_.find(close, open);
        i_ = end == std::string::npos ? s_.size() : end + close.size();
    }

    std::string s_;
    std::string file_;
    size_t i_ = 0;
};

std::vector<LookedUp> ScanSourceTree(const std::string& root) {
    std::vector<LookedUp> found;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".cpp" || ext == ".h"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::string relative = fs::relative(file, fs::path(root).parent_path()).string();
        for (LookedUp& item : LookupScanner(test::ReadFileText(file.string()), relative).Scan())
            found.push_back(std::move(item));
    }
    return found;
}

// A key as it can be read in a failure message.
std::string Shown(const std::string& key) {
    std::string out;
    for (char c : key)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return "\"" + out + "\"";
}

app::TranslationTable LoadShipped() {
    std::ostringstream warnings;
    app::TranslationTable table = app::TranslationTable::Load(TOLVANE_TRANSL_DAT, 5, warnings);
    EXPECT_EQ(warnings.str(), "");
    EXPECT_EQ(table.Languages(), 5u) << TOLVANE_TRANSL_DAT;
    return table;
}

std::optional<size_t> EntryOf(const app::TranslationTable& table, const std::string& key) {
    for (size_t e = 0; e < table.Entries(); ++e) {
        if (table.At(e, 0) == key)
            return e;
    }
    return std::nullopt;
}

std::vector<std::string> FormsOf(const std::string& text) {
    std::vector<std::string> forms(1);
    for (char c : text) {
        if (c == app::kCountFormSeparator)
            forms.emplace_back();
        else
            forms.back() += c;
    }
    return forms;
}

TEST(TranslationCoverageTest, TheScanReadsLookupsAsTheCompilerReadsTheirLiterals) {
    const std::string source = R"cpp(
        Label1_->setText(texts_("Before " "and"
                                // a comment between the parts
                                " after"));
        box.setText(texts_("%1 is not a folder.", folder));
        result.message = translate("Line one.\r\rLine two: \"quoted\" \\ done");
        table.Translate ( "Esp\u00f1a \x41" , 3);
        bar->setText(texts_.TranslateCount("%1 file", /* one */ "%1 files", n));
        // texts_("in a comment")
        const char* s = "texts_(\"in a string\")";
        texts_(caption); TranslateCaptions(); mytexts_("not a lookup");
        std::string Translate(const std::string& text, int language) const;
        out += R"(texts_("in a raw string"))"; int million = 1'000'000;
        Label2_->setText(texts_("Last"));
    )cpp";
    std::vector<std::string> keys;
    std::vector<std::string> where;
    for (const LookedUp& item : LookupScanner(source, "x.cpp").Scan()) {
        keys.push_back(item.key);
        where.push_back(item.where);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"Before and after", "%1 is not a folder.",
                                              "Line one.\r\rLine two: \"quoted\" \\ done",
                                              "Esp\xc3\xb1"
                                              "a A",
                                              "%1 file|%1 files", "Last"}));
    EXPECT_EQ(where.front(), "x.cpp:2");
    EXPECT_EQ(where.back(), "x.cpp:14");
}

TEST(TranslationCoverageTest, EveryTextThatIsLookedUpHasARowInFiveLanguages) {
    const app::TranslationTable table = LoadShipped();
    ASSERT_EQ(table.Languages(), 5u);
    std::vector<LookedUp> lookedUp = ScanSourceTree(TOLVANE_SOURCE_TREE);
    // The scan must see the windows' texts, or this test would prove nothing.
    const auto seen = [&lookedUp](const std::string& key) {
        return std::any_of(lookedUp.begin(), lookedUp.end(),
                           [&key](const LookedUp& item) { return item.key == key; });
    };
    EXPECT_TRUE(seen("Progrgess"));
    EXPECT_TRUE(seen("Select a folder in the tree. On the right list you will see the files "
                     "ready for monetization."));
    EXPECT_TRUE(seen("Could not send entered information."));
    for (const char* key : kNotSeenByTheScan)
        lookedUp.push_back({key, "a key the scan cannot see"});

    for (const LookedUp& item : lookedUp) {
        const std::optional<size_t> entry = EntryOf(table, item.key);
        if (!entry) {
            ADD_FAILURE() << Shown(item.key) << " has no row in data/transl.dat (looked up in "
                          << item.where << ")";
            continue;
        }
        for (size_t language = 0; language < 5; ++language) {
            const std::string text = table.At(*entry, language);
            if (text.empty())
                ADD_FAILURE() << Shown(item.key) << " has no " << kLanguageNames[language]
                              << " text in data/transl.dat (looked up in " << item.where << ")";
        }
    }
}

TEST(TranslationCoverageTest, CountTextsHaveTheFormsOfEachLanguage) {
    const app::TranslationTable table = LoadShipped();
    size_t counts = 0;
    for (size_t e = 0; e < table.Entries(); ++e) {
        const std::string key = table.At(e, 0);
        if (key.find(app::kCountFormSeparator) == std::string::npos)
            continue;
        ++counts;
        for (size_t language = 0; language < table.Languages(); ++language) {
            const std::vector<std::string> forms = FormsOf(table.At(e, language));
            EXPECT_EQ(forms.size(), app::PluralForms(static_cast<int>(language)))
                << Shown(key) << " in " << kLanguageNames[language];
            for (const std::string& form : forms)
                EXPECT_FALSE(form.empty()) << Shown(key) << " in " << kLanguageNames[language];
        }
    }
    EXPECT_GT(counts, 0u);
}

TEST(TranslationCoverageTest, CorrectedEnglishTextsAreKeysOfTheShippedFile) {
    const app::TranslationTable table = LoadShipped();
    for (const app::EnglishCorrection& correction : app::EnglishCorrections()) {
        EXPECT_TRUE(EntryOf(table, correction.key).has_value())
            << Shown(correction.key) << " is corrected but is no key of data/transl.dat";
    }
}

} // namespace
