// The POSIX argument vector joined into one command line must split back into
// the same words, or, where it cannot, into a name that opens no file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params.h"
#include "platform/posix/command_line.h"

namespace {

std::string join(const std::vector<const char*>& words)
{
    std::string line(join_command_line(static_cast<int>(words.size()), words.data(), nullptr), '?');
    join_command_line(static_cast<int>(words.size()), words.data(), line.data());
    return line;
}

TEST(JoinCommandLine, WordsComeBackAsTheyWent)
{
    const std::vector<std::vector<const char*>> cases = {
        {"headcopy", "data.bin"},
        {"/usr/bin/head copy", "my file.bin"},
        {"headcopy", "\ttab\tand\001control", " leading and trailing "},
        {"headcopy", "\xe9t\xe9\xff", "a'b", "back\\slash\\"},
        {"headcopy", "three", "plain", "words"},
    };
    for (const auto& words : cases) {
        std::vector<std::string> expected(words.begin() + 1, words.end());
        EXPECT_EQ(params(join(words)), expected) << join(words);
    }
}

TEST(JoinCommandLine, EmptyWordIsQuotedAndSkipped)
{
    EXPECT_EQ(join({"headcopy", ""}), "headcopy \"\"");
    EXPECT_EQ(params(join({"headcopy", "", "a"})), std::vector<std::string>{"a"});
}

// Whatever the program was called, the parameters start after its name.
TEST(JoinCommandLine, ProgramNameIsAlwaysOneWord)
{
    for (const char* name : {"", "\"\"", "\"", " ", "a b", "\t"})
        EXPECT_EQ(params(join({name, "d", "g"})), (std::vector<std::string>{"d", "g"})) << join({name, "d", "g"});
    EXPECT_EQ(join({}), "");
}

TEST(JoinCommandLine, QuoteNeverTurnsIntoAnotherName)
{
    // a"b would split to ab, another file; it comes back ending in a slash.
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"a\"b", "ab/"}, {"\"", "/"}, {"x \"y\" z", "x y z/"}, {"\"\"", "/"}};
    for (const auto& [word, name] : cases)
        EXPECT_EQ(params(join({"headcopy", word, "next"})), (std::vector<std::string>{name, "next"})) << word;
}

}  // namespace
