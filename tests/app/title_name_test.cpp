// A file name that is not ASCII reaches the title as the engine's own
// character codes, so that the page reads the name as it is written.
#include "app/Latin1Text.h"
#include "support/Support.h"

TEST(TitleName, Utf8NamesBecomeEngineCodesAndTheTitleReadsThem)
{
    using quorva::engineTextFromUtf8;
    EXPECT_EQ(engineTextFromUtf8("LC_\xC3\x84_\xC3\xA9\xC3\xBF.txt"), "LC_\x7F_\x9A\xB8.txt"); // Ä é ÿ
    EXPECT_EQ(engineTextFromUtf8("\xCE\xA9\xC2\xA9\x7F-\xF0\x9F\x99\x82"), "??" "?-?"); // Ω © DEL, an emoji
    for (const char* bad : {"LC_\xC4_SFU.txt", "\xC3", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
        EXPECT_EQ(engineTextFromUtf8(bad), bad) << "not UTF-8: the bytes stay";
    qtest::TempDir dir;
    qtest::writeFile(dir / "LC_\xC3\x84_SFU.txt", "Tervasol\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n10.25,3.0,20.0,30.0\n10.50,52.0,25.0,35.0\n");
    ASSERT_EQ(qtest::runQuorva({"plot", "--format", "pdf", "--output", dir.path(), dir / "LC_\xC3\x84_SFU.txt"}).status, 0);
    const std::string text = qtest::run({"pdftotext", dir / "Plot_LC_\xC3\x84_SFU.txt.PDF", "-"}).out;
    EXPECT_NE(text.find("LC_\xC3\x84_SFU.txt:r="), std::string::npos) << text;
}
