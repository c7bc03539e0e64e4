// The conventions scripts rely on: exit statuses and messages of writes that
// fail, of files that cannot be read or have no samples and of bad usage,
// the last of a repeated option, the help forms, standard input and output,
// --update, escape sequences only for terminals that know them, and the
// completion and manual page against the --help texts.

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

std::string usage(const std::string& reason, const std::string& command = "")
{
    return "quorva: " + reason + "\nTry 'quorva " + command + "--help' for more information.\n";
}

TEST_F(Conventions, EveryCommandGivesItsStatusOutputAndMessage)
{
    writeFile(dir / "junk.txt",
        "root:x:0:0:root:/root:/bin/bash\ndaemon:x:1:1::/usr/sbin:/usr/sbin/nologin\n"
        "bin:x:2:2:bin:/bin:/usr/sbin/nologin\n");
    writeFile(dir / "header.txt", "Tervasol\r\nTime_UT,45.0MHz,150.5MHz,410.0MHz\r\n");
    fs::create_directory(dir / "out");
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0600), 0);
    fs::copy_file(kSfu, dir / "-LC_SFU.txt");
    writeFile(dir / "nonpositive.txt", "title\nTime_UT,45.0MHz,150.5MHz,410.0MHz\n10.0,0,-1,0\n10.1,-2,0,-0.5\n");
    const std::string help = runQuorva({"--help"}).out, plotHelp = runQuorva({"plot", "--help"}).out;
    ASSERT_TRUE(help.starts_with("Usage: quorva [COMMAND") && plotHelp.starts_with("Usage: quorva plot")) << help;
    const std::string version = runQuorva({"--version"}).out;
    ASSERT_TRUE(version.starts_with("quorva 1."));
    const std::string statsOut = runQuorva({"stats", kSfu}).out;

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out; // "*": not compared
        std::string err; // "*": any message of quorva's
        std::string stdoutFile = {};
    };
    const std::string out = dir / "out/", sfuPlot = out + "Plot_LC20261206_SFU.txt.PNG\n";
    const Case cases[] = {
        // Writes to a full disk, by each command and each kind of output.
        {{"stats", kSfu}, 1, "", kFull, "/dev/full"},
        {{"stats", "--json", "--samples", kSfu}, 1, "", kFull, "/dev/full"},
        {{"--help"}, 1, "", kFull, "/dev/full"},
        {{"--version"}, 1, "", kFull, "/dev/full"},
        {{"plot", "--output", out, kAdu}, 1, "", kFull, "/dev/full"},
        {{"plot", "-o", "-", kAdu}, 1, "", kFull, "/dev/full"},
        {{"watch", "--count", "1", "--output", out, kAdu}, 1, "", kFull, "/dev/full"},
        // No samples, or none in the window: said, not drawn.
        {{"plot", "--output", out, dir / "junk.txt"}, 2, "", "quorva: no samples in " + dir / "junk.txt\n"},
        {{"plot", "--output", out, dir / "header.txt"}, 2, "", "quorva: no samples in " + dir / "header.txt\n"},
        {{"stats", dir / "junk.txt"}, 2, "", "quorva: no samples in " + dir / "junk.txt\n"},
        {{"stats", "--json", dir / "header.txt"}, 2, "", "quorva: no samples in " + dir / "header.txt\n"},
        {{"stats", "-"}, 2, "", "quorva: no samples in standard input\n"},
        {{"plot", "--log", "--output", out, "nonpositive.txt"}, 2, "",
            "quorva: no sample above 0 for the logarithmic axis in nonpositive.txt\n"},
        {{"plot", "--from", "13", "--to", "14", "--output", out, kSfu}, 2, "",
            "quorva: no samples between 13:00:00 and 14:00:00 in " + kSfu + "\n"},
        {{"stats", "--json", "--from", "13", "--to", "14", kSfu}, 2, "",
            "quorva: no samples between 13:00:00 and 14:00:00 in " + kSfu + "\n"},
        // Files that cannot be read are told, the others plotted; the same
        // plot name twice would overwrite the first plot.
        {{"plot", "--output", out, dir / "missing.txt", dir / "out", dir / "fifo.txt", kSfu}, 2, sfuPlot,
            "quorva: cannot open " + dir / "missing.txt: No such file or directory\nquorva: cannot open " + dir / "out"
                + ": Is a directory\nquorva: cannot open " + dir / "fifo.txt: not a regular file\n"},
        {{"plot", "--output", out, kSfu, kSfu}, 1, sfuPlot,
            "quorva: cannot write " + out + "Plot_LC20261206_SFU.txt.PNG: written already for " + kSfu + "\n"},
        // The last of a repeated option wins; short options; -fVALUE; the
        // format from -o's extension; after "--" a name that starts with '-'.
        {{"plot", "--format", "pdf", "--format=eps", "-o", out + "x", kAdu}, 0, out + "x\n", ""},
        {{"plot", "-f", "pdf", "-feps", "--output", "/nowhere", "--output", out, kAdu}, 0,
            out + "Plot_LC20261207_ADU.txt.EPS\n", ""},
        {{"plot", "-o", out + "day.pdf", kSfu}, 0, out + "day.pdf\n", ""},
        {{"plot", "--output", out, "--", "-LC_SFU.txt"}, 0, out + "Plot_-LC_SFU.txt.PNG\n", ""},
        {{"stats", "-u", "SFU", "--unit=adu", kSfu}, 0, std::regex_replace(statsOut, std::regex(" SFU\n"), " ADU\n"),
            ""},
        {{"watch", "--count", "9", "--count=1", "-u", "ADU", "-o", out + "w.png", kSfu}, 0, "*", ""},
        // Help forms, -V.
        {{"help"}, 0, help, ""},
        {{"-h"}, 0, help, ""},
        {{"help", "plot"}, 0, plotHelp, ""},
        {{"plot", "-h", "--format", "gif"}, 0, plotHelp, ""},
        {{"-V"}, 0, version, ""},
        // Bad usage: status 64, nothing written, where the help is.
        {{"help", "draw"}, 64, "", usage("unknown command 'draw'")},
        {{"--frobnicate"}, 64, "", usage("unknown option '--frobnicate'")},
        {{"stats"}, 64, "", usage("missing FILE", "stats ")},
        {{"stats", "--json=yes", "f"}, 64, "", usage("--json takes no value", "stats ")},
        {{"plot", "--size", "9", "f"}, 64, "", usage("--size must be 0, 1, 2, 3 or 4, not '9'", "plot ")},
        {{"plot", "--format", "xwin", "f"}, 64, "", "*"},
        {{"plot", "f", "--output"}, 64, "", usage("missing value after '--output'", "plot ")},
        {{"watch", "--count", "1", "--count", "0", "f"}, 64, "", "*"},
        {{"watch", "a", "b"}, 64, "", usage("one FILE or DIR only, not 2", "watch ")},
        {{"plot", "--from", "11", "--to", "10:59", "f"}, 64, "", usage("--from 11 is after --to 10:59", "plot ")},
        {{"plot", "--from", "24:01", "f"}, 64, "",
            usage("--from must be hours UT (10.5) or HH:MM[:SS] from 0 to 24, not '24:01'", "plot ")},
        {{"stats", "--to", "10:7", "f"}, 64, "",
            usage("--to must be hours UT (10.5) or HH:MM[:SS] from 0 to 24, not '10:7'", "stats ")},
        {{"watch", "--last", "0.05", "f"}, 64, "",
            usage("--last must be a number of minutes from 0.1 to 1440, not '0.05'", "watch ")},
        {{"watch", "--from", "1", "f"}, 64, "", usage("unknown option '--from'", "watch ")},
        {{"plot", "--axes", "round", "f"}, 64, "", usage("--axes must be classic or readable, not 'round'", "plot ")},
        {{"plot", "-o", out + "two.png", kSfu, kAdu}, 64, "",
            usage("-o names one output file, but 2 FILEs are given", "plot ")},
        {{"plot", "--axes", "classic", "--log", kSfu}, 64, "", "*"},
        {{"plot", "--format", "gif", kSfu}, 64, "", "*"},
        {{"plot", "--thickness", "0", kSfu}, 64, "", "*"},
        {{"plot", "--desktop", "1920x1080x2", kSfu}, 64, "", "*"},
        {{"plot", "--format", "pdf", "--format=gif", kSfu}, 64, "", "*"},
        {{"plot", "--name", "x.txt", kSfu}, 64, "", "*"},
        {{"stats", kSfu, kSfu}, 64, "", "*"},
        {{"stats", "--unit", "XYZ", kSfu}, 64, "", "*"},
        {{"watch", "-o", "-", kSfu}, 64, "", "*"},
        {{"watch", "--interval", "0.04", "x"}, 64, "", "*"},
        {{"watch", "--format", "svg", "x"}, 64, "", "*"},
    };
    for (const Case& c : cases) {
        const RunResult r = runQuorva(c.args, {.workDir = dir.path(), .stdoutFile = c.stdoutFile});
        const std::string line = ::testing::PrintToString(c.args);
        EXPECT_EQ(r.status, c.status) << line << "\n" << r.err;
        if (c.out != "*") {
            EXPECT_EQ(r.out, c.out) << line;
        }
        if (c.err != "*") {
            EXPECT_EQ(r.err, c.err) << line;
        } else {
            EXPECT_TRUE(r.err.starts_with("quorva: ")) << line << "\n" << r.err;
        }
    }
    // Only what the successful cases wrote; no temporary file anywhere.
    EXPECT_EQ(listFolder(dir / "out"),
        (std::vector<std::string> {"Plot_-LC_SFU.txt.PNG", "Plot_LC20261206_SFU.txt.PNG", "Plot_LC20261207_ADU.txt.EPS",
            "Plot_LC20261207_ADU.txt.PNG", "day.pdf", "w.png", "x"}));
    EXPECT_TRUE(readFile(dir / "out/x").starts_with("%!PS-Adobe"));
    EXPECT_EQ(checkPlot(dir / "out/w.png") + checkPlot(dir / "out/day.pdf"), "");
    EXPECT_EQ(listFolder(dir.path()),
        (std::vector<std::string> {"-LC_SFU.txt", "fifo.txt", "header.txt", "junk.txt", "nonpositive.txt", "out"}));
}

TEST_F(Conventions, StandardInputAndOutputGiveTheBytesOfTheNamedFiles)
{
    for (const char* sub : {"named", "stdin", "tmp"}) fs::create_directory(dir / sub);
    const std::string tmp = "TMPDIR=" + dir / "tmp";
    for (const std::string format : {"pdf", "png"}) {
        ASSERT_EQ(runQuorva({"plot", "-f", format, "--output", dir / "named", kSfu}).status, 0);
        // stdin named as the file: the same title and file name, so the same bytes.
        const RunResult in
            = runQuorva({"plot", "--format", format, "--output", dir / "stdin", "--name", "LC20261206_SFU.txt", "-"},
                {.env = {tmp}, .stdinFile = kSfu});
        const std::string name = "/Plot_LC20261206_SFU.txt." + std::string(format == "pdf" ? "PDF" : "PNG");
        ASSERT_TRUE(in.status == 0 && in.out == dir / "stdin" + name + "\n") << in.err << in.out;
        EXPECT_TRUE(readFile(dir / "named" + name) == readFile(dir / "stdin" + name)) << format;
        // The plot into a pipe: the same bytes again, whole to its reader.
        const std::string piped = dir / "piped";
        const RunResult r = run({"sh", "-c",
            tmp + " '" QUORVA_BINARY "' plot -o - -f " + format + " --name LC20261206_SFU.txt - <'" + kSfu + "' | tee '"
                + piped + (format == "pdf" ? "' >/dev/null && qpdf --check '" + piped + "'" : "' | pngcheck")});
        EXPECT_EQ(r.status, 0) << r.out << r.err;
        EXPECT_TRUE(readFile(piped) == readFile(dir / "named" + name)) << format;
    }
    EXPECT_TRUE(listFolder(dir / "tmp").empty()) << "no scratch folder stays behind";
}

TEST_F(Conventions, UpdateSkipsPlotsNewerThanTheirFileAndTellsProgressOnlyToTerminals)
{
    for (const std::string& f : {kSfu, kAdu}) fs::copy_file(f, dir / fs::path(f).filename());
    const std::string sfu = dir / "LC20261206_SFU.txt", adu = dir / "LC20261207_ADU.txt";
    const std::vector<std::string> args = {"plot", "--update", "--output", dir.path(), sfu, adu};
    RunResult r = runQuorva(args);
    EXPECT_TRUE(r.status == 0 && r.err == "quorva: 2 plotted, 0 up to date\n") << r.err;
    const std::string plot = dir / "Plot_LC20261206_SFU.txt.PNG";
    const auto before = fs::last_write_time(plot);
    r = runQuorva(args);
    EXPECT_TRUE(r.status == 0 && r.out.empty() && r.err == "quorva: 0 plotted, 2 up to date\n") << r.err;
    EXPECT_EQ(fs::last_write_time(plot), before);
    // A light curve that changed after its plot is plotted again.
    fs::last_write_time(sfu, before + std::chrono::seconds(5));
    r = runQuorva(args);
    EXPECT_TRUE(r.status == 0 && r.out == plot + "\n" && r.err == "quorva: 1 plotted, 1 up to date\n") << r.err;
    // `script` gives the program a terminal: a progress line per file there,
    // with escape sequences only when the terminal knows them (none into a
    // pipe: the table above compares standard error whole).
    fs::last_write_time(sfu, fs::file_time_type::clock::now() + std::chrono::seconds(60));
    for (const std::string term : {"TERM=xterm", "TERM=dumb"}) {
        const RunResult t
            = run({"script", "-qec",
                      "'" QUORVA_BINARY "' plot --update --output '" + dir.path() + "' '" + sfu + "' '" + adu + "'",
                      "/dev/null"},
                {.env = {term}});
        ASSERT_EQ(t.status, 0) << t.out;
        const bool xterm = term == "TERM=xterm";
        EXPECT_EQ(t.out.find('\033') != std::string::npos, xterm) << term << ": " << t.out;
        EXPECT_TRUE(!xterm
            || (t.out.find("\rquorva: plotting 1/2: " + sfu) != std::string::npos
                && t.out.find("\rquorva: up to date 2/2: " + adu + "\033[K") != std::string::npos))
            << t.out;
        EXPECT_NE(t.out.find(plot), std::string::npos) << t.out;
    }
}

// The options a --help lists, and those the completion offers after "-".
std::set<std::string> options(const std::string& text, const std::regex& option)
{
    std::set<std::string> names;
    for (std::sregex_iterator m(text.begin(), text.end(), option), end; m != end; ++m) names.insert((*m)[1]);
    return names;
}

TEST_F(Conventions, CompletionOffersEveryOptionOfEveryHelp)
{
    // The completion's helpers from the bash-completion package, reduced to
    // what it uses.
    const std::string stubs = "_init_completion() { cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]};"
                              " words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; }; _filedir() { :; };";
    for (const std::string c : {"", "stats ", "plot ", "watch ", "help "}) {
        const std::string help = run({"sh", "-c", "'" QUORVA_BINARY "' help " + c}).out;
        const std::set<std::string> listed = options(help, std::regex(R"((?:\n  |, )(--?[a-zA-Z][a-z-]*))"));
        const RunResult r = run({"bash", "-c",
            stubs + " source '" QUORVA_SOURCE_DIR "/packaging/quorva.bash-completion'; COMP_WORDS=(quorva " + c
                + "-); COMP_CWORD=$((${#COMP_WORDS[@]}-1)); _quorva; printf '%s\\n' \"${COMPREPLY[@]}\""});
        EXPECT_EQ(options(r.out, std::regex("(\\S+)")), listed) << "quorva " << c << r.err;
        // The help's options are read at all: an empty reading would match an empty completion.
        EXPECT_TRUE(c != "plot " || (listed.count("-f") && listed.count("--update") && listed.count("--from")));
    }
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
    for (std::string line; std::getline(in, line);) EXPECT_LE(line.size(), 80u) << line;
    EXPECT_NE(text.out.find("EXIT STATUS"), std::string::npos) << text.out;
}

} // namespace
