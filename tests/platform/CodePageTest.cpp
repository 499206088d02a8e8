// OEM code page choice by locale and the conversions of entry names.
#include "platform/CodePage.h"

#include "support/EnvironmentGuard.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace tolvane::platform {
namespace {

using tolvane::test::EnvironmentGuard;

TEST(OemCodePageForLocaleTest, Table) {
    const std::pair<const char*, int> cases[] = {
        {"C", 437},
        {"POSIX", 437},
        {"C.UTF-8", 437},
        {"", 437},
        {"en_US.UTF-8", 437},
        {"en_AU.UTF-8", 437},
        {"en", 437},
        {"en_GB.UTF-8", 850},
        {"en_GB", 850},
        {"de_DE.UTF-8", 850},
        {"de_AT@euro", 850},
        {"fr_FR.ISO-8859-1", 850},
        {"fr_CA.UTF-8", 850},
        {"es_ES.UTF-8", 850},
        {"it_IT", 850},
        {"nl_NL", 850},
        {"pt_BR.UTF-8", 850},
        {"da_DK", 850},
        {"sv_SE", 850},
        {"nb_NO", 850},
        {"nn_NO", 850},
        {"no_NO", 850},
        {"fi_FI", 850},
        {"is_IS", 850},
        {"ca_ES", 850},
        {"ru_RU.UTF-8", 866},
        {"ru_RU.KOI8-R", 866},
        {"uk_UA", 866},
        {"be_BY", 866},
        {"bg_BG", 866},
        {"cs_CZ.UTF-8", 852},
        {"pl_PL", 852},
        {"hu_HU", 852},
        {"sk_SK", 852},
        {"sl_SI", 852},
        {"hr_HR", 852},
        {"ro_RO", 852},
        {"bs_BA", 852},
        {"sr_RS@latin", 852},
        {"sr_RS", 855},
        {"el_GR.UTF-8", 737},
        {"tr_TR.UTF-8", 857},
        {"he_IL", 862},
        {"ar_EG", 720},
        {"lt_LT", 775},
        {"lv_LV", 775},
        {"et_EE", 775},
        {"ja_JP.UTF-8", 932},
        {"zh_CN.UTF-8", 936},
        {"zh_SG", 936},
        {"zh_TW.UTF-8", 950},
        {"zh_HK", 950},
        {"ko_KR.EUC-KR", 949},
        {"th_TH", 874},
        {"vi_VN", 1258},
        {"DE_de", 850},
        {"xx_YY", 437},
        {"tlh", 437},
    };
    for (const auto& [locale, expected] : cases)
        EXPECT_EQ(OemCodePageForLocale(locale), expected) << locale;
}

TEST(CodePageTest, WesternEuropeanRoundTrip) {
    const CodePage cp(850, "UTF-8");
    const auto oem = cp.ToOem("Grüße.txt");
    ASSERT_TRUE(oem);
    EXPECT_EQ(*oem, "Gr\x81\xE1"
                    "e.txt");
    EXPECT_EQ(cp.ToAnsi(*oem), "Grüße.txt");
    EXPECT_EQ(cp.ToAnsi("caf\x82"), "café");
    EXPECT_EQ(cp.ToOem("Ø"), std::optional<std::string>("\x9D"));
}

TEST(CodePageTest, OtherPagesRoundTrip) {
    struct Case {
        int codePage;
        const char* text;
        const char* oem;
    };
    const Case cases[] = {
        {866, "Привет.doc", "\x8F\xE0\xA8\xA2\xA5\xE2.doc"},
        {852, "Łódź",
         "\x9D\xA2"
         "d\xAB"},
        {437, "Grüße",
         "Gr\x81\xE1"
         "e"},
        {737, "Ελλάδα", "\x84\xA2\xA2\xE1\x9B\x98"},
        {862, "שלום", "\x99\x8C\x85\x8D"},
        {857, "İstanbul", "\x98stanbul"},
        {775, "Ąžuolas", "\xB5\xD8uolas"},
        {932, "日本.txt", "\x93\xFA\x96{.txt"},
    };
    for (const auto& c : cases) {
        const CodePage cp(c.codePage, "UTF-8");
        const auto oem = cp.ToOem(c.text);
        ASSERT_TRUE(oem) << c.codePage << " " << c.text;
        EXPECT_EQ(*oem, c.oem) << c.codePage;
        EXPECT_EQ(cp.ToAnsi(*oem), c.text) << c.codePage;
    }
}

TEST(CodePageTest, AsciiPassesThroughUnchanged) {
    const std::string ascii = "dir/Read Me (1).txt~";
    for (int page : {437, 850, 866, 932}) {
        const CodePage cp(page, "UTF-8");
        EXPECT_EQ(cp.ToOem(ascii), std::optional<std::string>(ascii)) << page;
        EXPECT_EQ(cp.ToAnsi(ascii), ascii) << page;
    }
    // Even when the OEM page is unknown to iconv.
    const CodePage unknown(99999, "UTF-8");
    EXPECT_EQ(unknown.ToOem(ascii), std::optional<std::string>(ascii));
}

TEST(CodePageTest, UnrepresentableNamesAreNotSubstituted) {
    const CodePage western(850, "UTF-8");
    EXPECT_FALSE(western.ToOem("漢字.txt"));
    EXPECT_FALSE(western.ToOem("price€.txt"));
    EXPECT_FALSE(western.ToOem("Привет"));
    EXPECT_FALSE(CodePage(437, "UTF-8").ToOem("Ø"));
    EXPECT_FALSE(CodePage(866, "UTF-8").ToOem("Grüße"));
    // A page iconv does not know cannot hold anything beyond ASCII.
    EXPECT_FALSE(CodePage(99999, "UTF-8").ToOem("é"));
}

TEST(CodePageTest, InvalidAnsiInputHasNoOemForm) {
    EXPECT_FALSE(CodePage(850, "UTF-8").ToOem("bad\xFF.txt"));
    EXPECT_FALSE(CodePage(850, "UTF-8").ToOem("cut\xC3"));
    EXPECT_FALSE(CodePage(850, "ANSI_X3.4-1968")
                     .ToOem("Gr\xC3\xBC"
                            "e"));
}

TEST(CodePageTest, NamesKeptAsUtf8ComeBackUnchanged) {
    const CodePage cp(850, "UTF-8");
    EXPECT_EQ(cp.ToAnsi("漢字.txt"), "漢字.txt");
    EXPECT_EQ(cp.ToAnsi("Привет"), "Привет");
    // Mixed: one character without an OEM form keeps the whole name as UTF-8.
    EXPECT_EQ(cp.ToAnsi("über€"), "über€");
}

TEST(CodePageTest, OemBytesThatLookLikeUtf8AreReadAsOem) {
    // 0xC3 0xA9 is "é" in UTF-8, which CP850 can hold, so a writer would have
    // stored 0x82 for it; these bytes must be CP850 text ("├®").
    const CodePage cp(850, "UTF-8");
    EXPECT_EQ(cp.ToAnsi("\xC3\xA9"), "├®");
}

TEST(CodePageTest, OtherAnsiCharsets) {
    const CodePage latin1(850, "ISO-8859-1");
    EXPECT_EQ(latin1.ToOem("\xFC"), std::optional<std::string>("\x81"));
    // 0xB0 (a shade block) has no Latin-1 form and stays as it is.
    EXPECT_EQ(latin1.ToAnsi("\xB0\xE1"), "\xB0\xDF");

    const CodePage ascii(850, "ANSI_X3.4-1968");
    EXPECT_EQ(ascii.ToAnsi("caf\x82"), "caf\x82");
}

TEST(CodePageTest, UnconvertibleOemBytesAreKept) {
    // CP874 leaves 0xDB undefined; the input is not UTF-8 (0xA1 cannot lead).
    const CodePage thai(874, "UTF-8");
    EXPECT_EQ(thai.ToAnsi("\xA1\xDBz"), "ก\xDBz");
    // A cut-off double-byte character at the end of a CP932 name.
    const CodePage japanese(932, "UTF-8");
    EXPECT_EQ(japanese.ToAnsi("\x93\xFA\x96"), "日\x96");
}

TEST(CodePageTest, FromEnvironmentPicksLocaleAndOverride) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows takes the OEM code page from GetOEMCP(), not from the locale "
                    "variables (tests/platform/windows)";
#endif
    {
        EnvironmentGuard env({{"LC_ALL", "de_DE.UTF-8"},
                              {"LC_CTYPE", "ru_RU.UTF-8"},
                              {"LANG", "ja_JP.UTF-8"},
                              {"TOLVANE_OEM_CODEPAGE", nullptr}});
        EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), 850);
    }
    {
        EnvironmentGuard env({{"LC_ALL", ""},
                              {"LC_CTYPE", "ru_RU.UTF-8"},
                              {"LANG", "ja_JP.UTF-8"},
                              {"TOLVANE_OEM_CODEPAGE", nullptr}});
        EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), 866);
    }
    {
        EnvironmentGuard env({{"LC_ALL", nullptr},
                              {"LC_CTYPE", nullptr},
                              {"LANG", "en_GB.UTF-8"},
                              {"TOLVANE_OEM_CODEPAGE", nullptr}});
        EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), 850);
    }
    {
        EnvironmentGuard env({{"LC_ALL", nullptr},
                              {"LC_CTYPE", nullptr},
                              {"LANG", nullptr},
                              {"TOLVANE_OEM_CODEPAGE", nullptr}});
        EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), 437);
    }
    const std::pair<const char*, int> overrides[] = {
        {"866", 866}, {"1258", 1258}, {"", 850},    {"abc", 850},
        {"-5", 850},  {"0", 850},     {"12x", 850}, {"99999999999", 850},
    };
    for (const auto& [value, expected] : overrides) {
        EnvironmentGuard env({{"LC_ALL", "fr_FR.UTF-8"}, {"TOLVANE_OEM_CODEPAGE", value}});
        EXPECT_EQ(CodePage::FromEnvironment().OemCodePage(), expected) << value;
    }
}

TEST(CodePageTest, FromEnvironmentTakesTheLocaleCharset) {
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    if (!std::setlocale(LC_CTYPE, "C.UTF-8"))
        GTEST_SKIP() << "C.UTF-8 locale not installed";
    EXPECT_EQ(CodePage::FromEnvironment().AnsiCharset(), "UTF-8");
    std::setlocale(LC_CTYPE, "C");
    EXPECT_EQ(CodePage::FromEnvironment().AnsiCharset(), "ANSI_X3.4-1968");
    std::setlocale(LC_CTYPE, saved.c_str());
}

} // namespace
} // namespace tolvane::platform
