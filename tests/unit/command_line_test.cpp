#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params.h"
#include "services/process/command_line.h"

namespace {

struct SplitCase {
    const char* rest;  // what follows the program's name
    std::vector<std::string> words;
};

const SplitCase split_cases[] = {
    {"a.bin", {"a.bin"}},
    {" \t\x01 a.bin \x1f\t ", {"a.bin"}},
    {"\"my file.bin\"", {"my file.bin"}},
    {"\"\" a.bin", {"a.bin"}},
    {"\"\"", {}},
    {"a.bin \"", {"a.bin"}},
    {"\"a b", {"a b"}},
    {"a\"\" b", {"a", "b"}},
    {"ab\"c d\"e", {"abc de"}},
    {"a\\\"b", {"a\\b"}},  // a backslash is no escape
    {"ab\"\"cd", {"abcd"}},
    {"one two", {"one", "two"}},
    {"a!b !", {"a!b", "!"}},
    {"\x7f\x80\xff \xe9t\xe9", {"\x7f\x80\xff", "\xe9t\xe9"}},
    {"", {}},
};

TEST(CommandLine, SplitsByTheRules)
{
    for (const SplitCase& c : split_cases) {
        std::string line = std::string("prog ") + c.rest;
        EXPECT_EQ(params(line), c.words) << c.rest;
        // one past the last parameter is empty
        EXPECT_EQ(param(line, static_cast<std::int32_t>(c.words.size()) + 1), "") << c.rest;
    }
}

// The program's name is word 0, split like any word from the line's first
// byte, and one word even when empty: a line that starts with a separator,
// or with empty pairs of quotes and then a separator or its end, as a caller
// who names the program apart writes it.
struct ProgramCase {
    const char* line;
    std::string program;
    std::vector<std::string> words;
};

const ProgramCase program_cases[] = {
    {"\"C:\\Program Files\\prog.exe\" a.bin", "C:\\Program Files\\prog.exe", {"a.bin"}},
    {"\"\"prog a.bin", "prog", {"a.bin"}},
    {"\"\" a.bin b.bin", "", {"a.bin", "b.bin"}},
    {" a.bin b.bin", "", {"a.bin", "b.bin"}},
    {"\"\" a.bin", "", {"a.bin"}},
    {"\"\"\001a.bin", "", {"a.bin"}},
    {"\t\"\" a.bin", "", {"a.bin"}},
    {"\"\"", "", {}},
    {"\"\"\"\" a.bin b.bin", "", {"a.bin", "b.bin"}},
    {"\"\"\"\"\"\" a.bin", "", {"a.bin"}},
    {"\"\" \"\" a.bin", "", {"a.bin"}},
    {"\"\"\" \"\"\" a.bin", " ", {"a.bin"}},
    {"\"\"\"\"x a.bin", "x", {"a.bin"}},
};

TEST(CommandLine, ProgramNameIsOneWordEvenWhenEmpty)
{
    for (const ProgramCase& c : program_cases) {
        EXPECT_EQ(param(c.line, 0), c.program) << c.line;
        EXPECT_EQ(params(c.line), c.words) << c.line;
    }
}

TEST(CommandLine, NegativeIndexIsEmpty) { EXPECT_EQ(param("prog one two", -1), ""); }

TEST(CommandLine, LongWordsAreNotCut)
{
    std::string name(300, 'x');
    name += ".bin";
    EXPECT_EQ(params("prog " + name + " \"" + name + " y\""), (std::vector<std::string>{name, name + " y"}));
}

TEST(CommandLine, WordEndsAtTheSeparatorAfterIt)
{
    const char* line = "ab\"c d\"e  next";
    std::size_t length;
    const char* end = split_next_param(line, nullptr, &length);
    EXPECT_EQ(end - line, 8);
    EXPECT_EQ(length, 6u);
    end = split_next_param(end, nullptr, &length);
    EXPECT_EQ(*end, '\0');
    EXPECT_EQ(length, 4u);
}

TEST(CommandLine, ProgramPathIsTheFullPathOfTheRunningFile)
{
    String path = param_str(0);
    ASSERT_GT(path.length, 0u);
    EXPECT_EQ(path.text[0], '/');
    EXPECT_NE(path.view().find("unit_tests"), std::string_view::npos);
    release_string(path);
}

}  // namespace
