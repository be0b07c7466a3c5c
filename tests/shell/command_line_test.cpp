#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// One run of the command line with both streams caught.
struct CommandLineRun {
    CommandLineOutcome outcome = CommandLineOutcome::Play;
    std::string out;
    std::string err;
};

std::string ReadBack(std::FILE* stream) {
    std::rewind(stream);
    std::string text;
    char buffer[256];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0) text.append(buffer, count);
    std::fclose(stream);
    return text;
}

CommandLineRun RunCommandLine(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "kestrune");
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    CommandLineRun run;
    if (out == nullptr || err == nullptr) {
        ADD_FAILURE() << "no temporary file";
        return run;
    }
    run.outcome = ReadCommandLine(static_cast<int>(arguments.size()), arguments.data(), out, err);
    run.out = ReadBack(out);
    run.err = ReadBack(err);
    return run;
}

}  // namespace

TEST(CommandLine, VersionPrintsTheProjectsVersionAndEnds) {
    const CommandLineRun run = RunCommandLine({"--version"});
    EXPECT_EQ(run.outcome, CommandLineOutcome::Exit);
    EXPECT_EQ(run.out, std::string("kestrune ") + KESTRUNE_VERSION + "\n");
    EXPECT_EQ(run.err, "");
}

TEST(CommandLine, HelpPrintsTheUsageWithBothOptionsAndEnds) {
    const CommandLineRun run = RunCommandLine({"--help"});
    EXPECT_EQ(run.outcome, CommandLineOutcome::Exit);
    EXPECT_EQ(run.out.rfind("Usage: kestrune [--help | --version]\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\n  --version  "), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST(CommandLine, AnswersTheFirstOfHelpOrVersionWhateverElseIsThere) {
    const CommandLineRun run = RunCommandLine({"save.kvz", "--help", "--version"});
    EXPECT_EQ(run.outcome, CommandLineOutcome::Exit);
    EXPECT_EQ(run.out.rfind("Usage:", 0), 0u);
}

TEST(CommandLine, OtherArgumentsAreNamedOnStandardErrorAndTheGamePlays) {
    const CommandLineRun run = RunCommandLine({"-v", "track.x"});
    EXPECT_EQ(run.outcome, CommandLineOutcome::Play);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
              "kestrune: ignoring \"-v\" (try --help)\n"
              "kestrune: ignoring \"track.x\" (try --help)\n");
}

TEST(CommandLine, NoArgumentsPlaySilently) {
    const CommandLineRun run = RunCommandLine({});
    EXPECT_EQ(run.outcome, CommandLineOutcome::Play);
    EXPECT_EQ(run.out + run.err, "");
}
