#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/process/command_line.h"

namespace {

struct Split {
    std::int32_t count;
    std::vector<std::string> words;  // parameters from 1 on
};

Split split(const std::string& line)
{
    Split result{count_params(line.c_str()), {}};
    for (std::int32_t i = 1; i <= result.count + 1; ++i) {
        String word = param_from(line.c_str(), i);
        result.words.emplace_back(word.view());
        release_string(word);
    }
    return result;
}

struct SplitCase {
    const char* rest;  // what follows the program's name
    std::int32_t count;
    std::vector<std::string> words;
};

const SplitCase split_cases[] = {
    {"a.bin", 1, {"a.bin"}},
    {" \t\x01 a.bin \x1f\t ", 1, {"a.bin"}},
    {"\"my file.bin\"", 1, {"my file.bin"}},
    {"\"\" a.bin", 1, {"a.bin"}},
    {"\"\"", 0, {}},
    {"a.bin \"", 1, {"a.bin"}},
    {"\"a b", 1, {"a b"}},
    {"a\"\" b", 2, {"a", "b"}},
    {"ab\"c d\"e", 1, {"abc de"}},
    {"ab\"\"cd", 1, {"abcd"}},
    {"one two", 2, {"one", "two"}},
    {"a!b !", 2, {"a!b", "!"}},
    {"\x7f\x80\xff \xe9t\xe9", 2, {"\x7f\x80\xff", "\xe9t\xe9"}},
    {"", 0, {}},
};

TEST(CommandLine, SplitsByTheRules)
{
    for (const SplitCase& c : split_cases) {
        Split got = split(std::string("prog ") + c.rest);
        EXPECT_EQ(got.count, c.count) << c.rest;
        std::vector<std::string> expected = c.words;
        expected.emplace_back();  // one past the last parameter is empty
        EXPECT_EQ(got.words, expected) << c.rest;
    }
}

TEST(CommandLine, ProgramNameIsSplitLikeAnyWord)
{
    EXPECT_EQ(split("\"C:\\Program Files\\prog.exe\" a.bin").words.at(0), "a.bin");
    EXPECT_EQ(split("\"\"prog a.bin").words.at(0), "a.bin");
}

TEST(CommandLine, NegativeIndexIsEmpty)
{
    String word = param_from("prog one two", -1);
    EXPECT_EQ(word.length, 0u);
    release_string(word);
}

TEST(CommandLine, LongWordsAreNotCut)
{
    std::string name(300, 'x');
    name += ".bin";
    Split got = split("prog " + name + " \"" + name + " y\"");
    EXPECT_EQ(got.words.at(0), name);
    EXPECT_EQ(got.words.at(1), name + " y");
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
