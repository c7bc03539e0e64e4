// The conventions scripts rely on: exit statuses and messages of writes that
// fail and of files without samples, the last of a repeated option, the help
// forms, standard input and output, -o, --update, temporary files of dead
// processes, escape sequences only for terminals that know them, and
// the completion and manual page against the --help texts.

#include "support/Support.h"

#include <regex>
#include <set>

#include <sys/stat.h>

namespace {

using namespace qtest;

const std::string kSfu = QUORVA_SOURCE_DIR "/examples/LC20261206_SFU.txt";
const std::string kAdu = QUORVA_SOURCE_DIR "/examples/LC20261207_ADU.txt";
const std::string kFull = "quorva: cannot write to standard output: No space left on device\n";

class Conventions : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(Conventions, EveryCommandGivesItsStatusOutputAndMessage)
{
    writeFile(dir / "junk.txt",
        "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n"
        "bin:x:2:2:bin:/bin:/usr/sbin/nologin\n");
    writeFile(dir / "header.txt", "Tervasol\r\nTime_UT,45.0MHz,150.5MHz,410.0MHz\r\n");
    fs::create_directory(dir / "out");
    const std::string help = runQuorva({"--help"}).out, plotHelp = runQuorva({"plot", "--help"}).out;
    ASSERT_TRUE(help.starts_with("Usage: quorva [COMMAND") && plotHelp.starts_with("Usage: quorva plot")) << help;
    const std::string version = runQuorva({"--version"}).out;
    ASSERT_TRUE(version.starts_with("quorva 1."));
    const std::string statsOut = runQuorva({"stats", kSfu}).out;

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // "*": not compared
        std::string err;
        std::string stdoutFile = {};
    };
    const std::string out = dir / "out/";
    const Case cases[] = {
        // Writes to a full disk, by each command and each kind of output.
        {{"stats", kSfu}, 1, "", kFull, "/dev/full"},
        {{"stats", "--json", "--samples", kSfu}, 1, "", kFull, "/dev/full"},
        {{"--help"}, 1, "", kFull, "/dev/full"},
        {{"plot", "--help"}, 1, "", kFull, "/dev/full"},
        {{"--version"}, 1, "", kFull, "/dev/full"},
        {{"plot", "--output", out, kAdu}, 1, "", kFull, "/dev/full"},
        {{"plot", "-o", "-", kAdu}, 1, "", kFull, "/dev/full"},
        {{"watch", "--count", "1", "--output", out, kAdu}, 1, "", kFull, "/dev/full"},
        // No samples: said, not drawn.
        {{"plot", "--output", out, dir / "junk.txt"}, 2, "", "quorva: no samples in " + dir / "junk.txt\n"},
        {{"plot", "--output", out, dir / "header.txt"}, 2, "", "quorva: no samples in " + dir / "header.txt\n"},
        {{"stats", dir / "junk.txt"}, 2, "", "quorva: no samples in " + dir / "junk.txt\n"},
        {{"stats", "--json", dir / "header.txt"}, 2, "", "quorva: no samples in " + dir / "header.txt\n"},
        // The last of a repeated option wins; short options; -fVALUE.
        {{"plot", "--format", "pdf", "--format=eps", "-o", out + "x", kAdu}, 0, out + "x\n", ""},
        {{"plot", "-f", "pdf", "-feps", "--output", "/nowhere", "--output", out, kAdu}, 0,
            out + "Plot_LC20261207_ADU.txt.EPS\n", ""},
        {{"stats", "-u", "SFU", "--unit=adu", kSfu}, 0, std::regex_replace(statsOut, std::regex(" SFU\n"), " ADU\n"),
            ""},
        {{"watch", "--count", "9", "--count=1", "-u", "ADU", "-o", out + "w.png", kSfu}, 0, "*", ""},
        // Help forms, -V.
        {{"help"}, 0, help, ""},
        {{"-h"}, 0, help, ""},
        {{"help", "plot"}, 0, plotHelp, ""},
        {{"--help", "plot"}, 0, plotHelp, ""},
        {{"plot", "-h", "--format", "gif"}, 0, plotHelp, ""},
        {{"-V"}, 0, version, ""},
        {{"stats", "--help"}, 0, "*", ""},
        {{"watch", "-h"}, 0, "*", ""},
        {{"help", "draw"}, 64, "", "quorva: unknown command 'draw'\nTry 'quorva --help' for more information.\n"},
        // One output file for one input only.
        {{"plot", "-o", out + "two.png", kSfu, kAdu}, 64, "",
            "quorva: -o names one output file, but 2 FILEs are given\nTry 'quorva plot --help' for more "
            "information.\n"},
        {{"plot", "--name", "x.txt", kSfu}, 64, "", "*"},
        {{"watch", "-o", "-", kSfu}, 64, "", "*"},
    };
    for (const Case& c : cases) {
        const RunResult r = runQuorva(c.args, {.workDir = dir.path(), .stdoutFile = c.stdoutFile});
        std::string line;
        for (const std::string& a : c.args) line += " " + a;
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err;
        if (c.out != "*") {
            EXPECT_EQ(r.out, c.out) << line;
        }
        if (c.err != "*") {
            EXPECT_EQ(r.err, c.err) << line;
        }
    }
    // Only what the successful cases wrote; no temporary file anywhere.
    EXPECT_EQ(listFolder(dir / "out"),
        (std::vector<std::string> {"Plot_LC20261207_ADU.txt.EPS", "Plot_LC20261207_ADU.txt.PNG", "w.png", "x"}));
    EXPECT_TRUE(readFile(dir / "out/x").starts_with("%!PS-Adobe"));
    EXPECT_EQ(checkPlot(dir / "out/w.png"), "");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string> {"header.txt", "junk.txt", "out"}));
}

TEST_F(Conventions, StandardInputAndOutputGiveTheBytesOfTheNamedFiles)
{
    for (const char* sub : {"named", "stdin", "tmp"}) fs::create_directory(dir / sub);
    const std::string tmp = "TMPDIR=" + dir / "tmp";
    for (const char* format : {"pdf", "png"}) {
        ASSERT_EQ(runQuorva({"plot", "-f", format, "--output", dir / "named", kSfu}).status, 0);
        // stdin named as the file: the same title and file name, so the same bytes.
        const RunResult in
            = runQuorva({"plot", "--format", format, "--output", dir / "stdin", "--name", "LC20261206_SFU.txt", "-"},
                {.env = {tmp}, .stdinFile = kSfu});
        const std::string ext = format == std::string("pdf") ? "PDF" : "PNG";
        const std::string name = "/Plot_LC20261206_SFU.txt." + ext;
        ASSERT_TRUE(in.status == 0 && in.out == dir / "stdin" + name + "\n") << in.err << in.out;
        EXPECT_TRUE(readFile(dir / "named" + name) == readFile(dir / "stdin" + name)) << format;
        // The plot into a pipe: the same bytes again, whole to its reader.
        const RunResult piped = run({"sh", "-c",
            tmp + " '" QUORVA_BINARY "' plot -o - -f " + std::string(format) + " --name LC20261206_SFU.txt - <'" + kSfu
                + "' | "
                + (ext == "PDF" ? "tee '" + dir / "piped" + "' >/dev/null && qpdf --check '" + dir / "piped" + "'"
                                : "tee '" + dir / "piped" + "' | pngcheck")});
        EXPECT_EQ(piped.status, 0) << piped.out << piped.err;
        EXPECT_TRUE(readFile(dir / "piped") == readFile(dir / "named" + name)) << format;
    }
    // Without --name the input is "stdin"; stats reads it as the file.
    const RunResult plain = runQuorva({"plot", "--output", dir / "stdin", "-"}, {.env = {tmp}, .stdinFile = kAdu});
    EXPECT_EQ(plain.out, dir / "stdin/Plot_stdin.PNG\n") << plain.err;
    const RunResult stats
        = runQuorva({"stats", "--name", "LC20261207_ADU.txt", "-"}, {.env = {tmp}, .stdinFile = kAdu});
    EXPECT_TRUE(stats.status == 0 && stats.out == runQuorva({"stats", kAdu}).out) << stats.err;
    const RunResult empty = runQuorva({"stats", "-"}, {.env = {tmp}});
    EXPECT_TRUE(empty.status == 2 && empty.err == "quorva: no samples in standard input\n") << empty.err;
    EXPECT_TRUE(listFolder(dir / "tmp").empty()) << "no scratch folder stays behind";
}

TEST_F(Conventions, OutputFileIsReplacedWholeAndUpdateSkipsPlotsNewerThanTheirFile)
{
    // -o over an existing file: replaced by a rename, so a reader holding the
    // old file keeps it whole.
    writeFile(dir / "day.pdf", "old");
    const int held = ::open((dir / "day.pdf").c_str(), O_RDONLY);
    ASSERT_EQ(runQuorva({"plot", "-o", dir / "day.pdf", kSfu}).status, 0);
    char old[8] = {};
    EXPECT_EQ(::read(held, old, sizeof old), 3);
    ::close(held);
    EXPECT_EQ(checkPlot(dir / "day.pdf"), "") << "the extension chose PDF";

    fs::create_directory(dir / "archive");
    for (const std::string& f : {kSfu, kAdu}) fs::copy_file(f, dir / "archive" / fs::path(f).filename());
    const std::vector<std::string> args = {"plot", "--update", "--output", dir / "archive",
        dir / "archive/LC20261206_SFU.txt", dir / "archive/LC20261207_ADU.txt"};
    RunResult r = runQuorva(args);
    EXPECT_TRUE(r.status == 0 && r.err == "quorva: 2 plotted, 0 up to date\n") << r.err;
    const std::string plot = dir / "archive/Plot_LC20261206_SFU.txt.PNG";
    const auto before = fs::last_write_time(plot);
    r = runQuorva(args);
    EXPECT_TRUE(r.status == 0 && r.out.empty() && r.err == "quorva: 0 plotted, 2 up to date\n") << r.err;
    EXPECT_EQ(fs::last_write_time(plot), before);
    // A light curve that changed after its plot is plotted again.
    fs::last_write_time(dir / "archive/LC20261206_SFU.txt", before + std::chrono::seconds(5));
    r = runQuorva(args);
    EXPECT_TRUE(r.status == 0 && r.out == plot + "\n" && r.err == "quorva: 1 plotted, 1 up to date\n") << r.err;
    // `script` gives the program a terminal: a progress line per file there,
    // with escape sequences only when the terminal knows them (none into a
    // pipe: the table above compares standard error whole).
    fs::last_write_time(
        dir / "archive/LC20261206_SFU.txt", fs::file_time_type::clock::now() + std::chrono::seconds(60));
    for (const char* term : {"TERM=xterm", "TERM=dumb"}) {
        const RunResult t = run({"script", "-qec",
                                    "'" QUORVA_BINARY "' plot --update --output '" + dir / "archive" + "' '"
                                        + dir / "archive/LC20261206_SFU.txt' '" + dir / "archive/LC20261207_ADU.txt'",
                                    "/dev/null"},
            {.env = {term}});
        ASSERT_EQ(t.status, 0) << t.out;
        const bool escapes = t.out.find('\033') != std::string::npos;
        EXPECT_EQ(escapes, term == std::string("TERM=xterm")) << term << ": " << t.out;
        EXPECT_TRUE(!escapes
            || (t.out.find("\rquorva: plotting 1/2: " + dir / "archive/LC20261206_SFU.txt") != std::string::npos
                && t.out.find("\rquorva: up to date 2/2: " + dir / "archive/LC20261207_ADU.txt\033[K")
                    != std::string::npos))
            << t.out;
        EXPECT_NE(t.out.find(plot), std::string::npos) << t.out;
    }
}

TEST_F(Conventions, TheOutputFolderNamesItsSourceAndStaleTemporaryFilesGo)
{
    writeFile(dir / "Quorva.cfg", "[output]=out/\n");
    RunResult r = runQuorva({"plot", kSfu}, {.workDir = dir.path()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.starts_with("quorva: cannot write out/Plot_LC20261206_SFU.txt.PNG: ")
        && r.err.ends_with(": No such file or directory (output folder \"out/\" from ./Quorva.cfg)\n"))
        << r.err;
    // A process that is gone, and one that runs (this test).
    const pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    fs::create_directory(dir / "out");
    const std::string stale = ".zedozo-" + std::to_string(gone) + "-3.tmp";
    const std::string live = ".zedozo-" + std::to_string(::getpid()) + "-0.tmp";
    for (const std::string& name : {stale, live, std::string(".zedozo-x-1.tmp")}) writeFile(dir / ("out/" + name), "x");
    r = runQuorva({"plot", kSfu}, {.workDir = dir.path()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        listFolder(dir / "out"), (std::vector<std::string> {live, ".zedozo-x-1.tmp", "Plot_LC20261206_SFU.txt.PNG"}));
}

// The options a --help lists, and those the completion offers after "-".
std::set<std::string> helpOptions(const std::string& help)
{
    std::set<std::string> names;
    static const std::regex option(R"((?:^  |, )(--?[a-zA-Z][a-z-]*))");
    std::istringstream in(help);
    for (std::string line; std::getline(in, line);)
        for (std::sregex_iterator m(line.begin(), line.end(), option), end; m != end; ++m) names.insert((*m)[1]);
    return names;
}

TEST_F(Conventions, CompletionOffersEveryOptionOfEveryHelp)
{
    // The completion's helpers from the bash-completion package, reduced to
    // what it uses.
    const std::string stubs = "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};"
                              " words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; }; _filedir() { :; };";
    const std::string help = runQuorva({"--help"}).out;
    std::vector<std::string> commands {""};
    for (const std::string c : {"stats", "plot", "watch", "help"}) {
        ASSERT_NE(help.find("\n  " + c + " "), std::string::npos) << c;
        commands.push_back(c);
    }
    for (const std::string& c : commands) {
        const std::set<std::string> listed = helpOptions(
            runQuorva(c.empty() ? std::vector<std::string> {"--help"} : std::vector<std::string> {c, "--help"}).out);
        const std::string words = c.empty() ? "quorva -" : "quorva " + c + " -";
        const RunResult r = run({"bash", "-c",
            stubs + " source '" QUORVA_SOURCE_DIR "/packaging/quorva.bash-completion'; COMP_WORDS=(" + words
                + "); COMP_CWORD=$((${#COMP_WORDS[@]}-1));"
                  " _quorva; printf '%s\\n' \"${COMPREPLY[@]}\""});
        std::set<std::string> offered;
        std::istringstream in(r.out);
        for (std::string o; std::getline(in, o);)
            if (!o.empty()) offered.insert(o);
        EXPECT_EQ(offered, listed) << "quorva " << c << r.err;
    }
    // The help's options are read at all: an empty reading would match an empty completion.
    const std::set<std::string> plotHelp = helpOptions(runQuorva({"plot", "--help"}).out);
    for (const char* o : {"-f", "--format", "-o", "--output", "--thickness", "--from", "--update"})
        EXPECT_TRUE(plotHelp.count(o)) << o;
}

TEST_F(Conventions, TheManualPageRendersCleanlyAt80Columns)
{
    const RunResult made = run({"sh", QUORVA_SOURCE_DIR "/packaging/manpage.sh", QUORVA_BINARY,
        QUORVA_SOURCE_DIR "/packaging/quorva.h2m", dir / "quorva.1"});
    ASSERT_EQ(made.status, 0) << made.err;
    const RunResult warnings = run({"sh", "-c", "MANWIDTH=80 man -l --warnings '" + dir / "quorva.1" + "' >/dev/null"});
    EXPECT_TRUE(warnings.status == 0 && warnings.err.empty()) << warnings.err;
    const RunResult text = run({"sh", "-c", "MANWIDTH=80 man -l '" + dir / "quorva.1" + "' 2>/dev/null | col -bx"});
    std::istringstream in(text.out);
    std::size_t lines = 0;
    for (std::string line; std::getline(in, line); ++lines) EXPECT_LE(line.size(), 80u) << line;
    EXPECT_GT(lines, 100u);
    const std::size_t exit = text.out.find("EXIT STATUS");
    ASSERT_NE(exit, std::string::npos);
    EXPECT_TRUE(std::regex_search(text.out.substr(exit), std::regex(R"(\n +69 +The desktop program is not installed)")))
        << text.out.substr(exit, 1200);
    // Each command's usage lines stay whole lines of the page.
    for (const char* usage : {"\n   quorva help\n       quorva help [COMMAND]\n\n",
             "\n       quorva plot [OPTIONS] [-o FILE|-] [--update] [--name NAME]\n              FILE...|-\n\n",
             "\n       quorva watch [--interval SECONDS] [--always] [--count N]\n              [--last MINUTES]"})
        EXPECT_NE(text.out.find(usage), std::string::npos) << usage;
}

} // namespace
