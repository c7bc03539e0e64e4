// A file name that is not ASCII reaches the title as the engine's own
// character codes, so that the page reads the name as it is written.
#include "app/Latin1Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

TEST(TitleName, Utf8NamesBecomeEngineCodesAndTheTitleReadsThem)
{
    using quorva::engineTextFromUtf8;
    EXPECT_EQ(engineTextFromUtf8("LC_\xC3\x84_\xC3\xA9\xC3\xBF.txt"), "LC_\x7F_\x9A\xB8.txt"); // Ä é ÿ
    EXPECT_EQ(engineTextFromUtf8("\xCE\xA9\xC2\xA9\x7F-\xF0\x9F\x99\x82"), "??" "?-?"); // Ω © DEL, an emoji
    for (const char* bad : {"LC_\xC4_SFU.txt", "\xC3", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_EQ(engineTextFromUtf8(bad), bad) << "not UTF-8: the bytes stay";

    char templ[] = "/tmp/quorva-title-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    const fs::path dir = templ;
    std::ofstream(dir / "LC_\xC3\x84_SFU.txt") << "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n"
                                                  "10.25,3.0,20.0,30.0\n10.50,52.0,25.0,35.0\n";
    const std::string cmd = "cd '" + dir.string() + "' && SOURCE_DATE_EPOCH=1700000000 " QUORVA_BINARY
                            " plot --format pdf LC_\xC3\x84_SFU.txt >/dev/null && pdftotext Plot_LC_\xC3\x84_SFU.txt.PDF -";
    std::FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string text;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    EXPECT_EQ(::pclose(p), 0);
    EXPECT_NE(text.find("LC_\xC3\x84_SFU.txt:r="), std::string::npos) << text;
    fs::remove_all(dir);
}
