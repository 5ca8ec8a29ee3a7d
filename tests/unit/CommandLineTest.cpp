#include "TempDir.h"

#include "core/CommandLine.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <vector>

namespace {

CommandLine parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "kelvaro19");
    return parseCommandLine(int(arguments.size()), arguments.data());
}

using Action = CommandLine::Action;

TEST(CommandLine, ReadsWhatToDo) {
    struct Row {
        std::vector<const char*> arguments;
        Action action;
        const char* level;
        const char* problem;
    };
    const Row rows[] = {
        {{}, Action::Play, "", ""},
        {{"tracks/a.dae"}, Action::Play, "tracks/a.dae", ""},
        {{"/abs/b.dae"}, Action::Play, "/abs/b.dae", ""},
        {{"--check", "a.dae"}, Action::Check, "a.dae", ""},
        {{"a.dae", "--check"}, Action::Check, "a.dae", ""},
        {{"--help"}, Action::Help, "", ""},
        {{"--tracks"}, Action::Tracks, "", ""},
        {{"--tracks", "a.dae"}, Action::Usage, "", "--tracks takes no other argument."},
        {{"a.dae", "-h"}, Action::Help, "", ""},
        {{"-"}, Action::Play, "-", ""},
        {{"--check"}, Action::Usage, "", "--check needs the level file to check."},
        {{"--fly"}, Action::Usage, "", "unknown option --fly."},
        {{"a.dae", "b.dae"},
         Action::Usage,
         "",
         "one level at a time, but both a.dae and b.dae were given."},
        {{""}, Action::Usage, "", "the level file name is empty."},
    };
    for (const Row& row : rows) {
        const CommandLine line = parse(row.arguments);
        SCOPED_TRACE(row.problem);
        EXPECT_EQ(line.action, row.action);
        EXPECT_EQ(line.level, row.level);
        EXPECT_EQ(line.problem, row.problem);
    }
}

TEST(CommandLine, TheUsageNamesEveryForm) {
    const std::string usage = usageText();
    EXPECT_EQ(usage.rfind("Usage: kelvaro19 [LEVEL]\n", 0), 0u);
    EXPECT_NE(usage.find("kelvaro19 --check LEVEL"), std::string::npos);
    EXPECT_NE(usage.find("kelvaro19 --help"), std::string::npos);
    EXPECT_NE(usage.find("glTF 2.0"), std::string::npos);
    EXPECT_NE(usage.find("your own Kelvaro.ini"), std::string::npos);
    EXPECT_EQ(usage.find("Keys"), std::string::npos);
    EXPECT_NE(usageText("  P    pause\n").find("F1, shows your own"), std::string::npos);
}

TEST(CommandLine, OnlyARegularFileIsALevelFileToOpen) {
    TempDir dir;
    const std::string file = dir.write("level.dae", "<COLLADA/>").string();
    const std::string pipe = (dir.path() / "pipe.dae").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(levelPathProblem(file), std::nullopt);
    EXPECT_EQ(levelPathProblem(dir.path().string() + "/none.dae"),
              "Level " + dir.path().string() + "/none.dae cannot be read: no such file.");
    EXPECT_EQ(levelPathProblem(dir.path().string()),
              "Level " + dir.path().string() + " cannot be read: it is a folder, not a file.");
    EXPECT_EQ(levelPathProblem(pipe),
              "Level " + pipe + " cannot be read: it is a named pipe, not a regular file.");
}

} // namespace
