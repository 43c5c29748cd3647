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

TEST(CommandLine, ProgramNameIsSplitLikeAnyWord)
{
    EXPECT_EQ(param("\"C:\\Program Files\\prog.exe\" a.bin", 1), "a.bin");
    EXPECT_EQ(param("\"\"prog a.bin", 1), "a.bin");
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
