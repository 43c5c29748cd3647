// The splitter against a model of its rules written as a state machine over
// the bytes: the count, every word and where each word ends.
#include <cstdlib>
#include <string>
#include <vector>

#include "services/process/command_line.h"

namespace {

struct Word {
    std::string text;
    std::size_t end;
};

std::vector<Word> model(const std::string& line)
{
    // The program's name starts at the first byte, and is one word even when
    // empty: the line starts with a separator, or with empty pairs of quotes
    // and then a separator or its end.
    enum { between, in_word, quoted } state = in_word;
    std::vector<Word> words;
    std::string word;
    std::size_t i = 0;
    auto separator = [](unsigned char c) { return c >= 1 && c <= 32; };
    for (; i < line.size(); ++i) {
        unsigned char c = line[i];
        if (state == between) {
            if (separator(c))
                continue;
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                ++i;  // an empty pair before a word counts as a separator
                continue;
            }
            state = in_word;
        }
        if (state == in_word) {
            if (separator(c)) {
                words.push_back({word, i});
                word.clear();
                state = between;
            } else if (c == '"') {
                state = quoted;
            } else {
                word += static_cast<char>(c);
            }
        } else if (state == quoted) {
            if (c == '"')
                state = in_word;
            else
                word += static_cast<char>(c);
        }
    }
    // An empty last word (a lone quote at the end) is what ends the count.
    if (state != between && (!word.empty() || words.empty()))
        words.push_back({word, i});
    return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.c_str();  // a command line ends at its first NUL
    std::vector<Word> expected = model(line);

    // Word 0 is the program's name; the count is of the words after it.
    std::int32_t count = expected.empty() ? 0 : static_cast<std::int32_t>(expected.size()) - 1;
    if (count_params(line.c_str()) != count)
        std::abort();

    // Past the last word every word is empty and ends at the end of the line.
    expected.resize(static_cast<std::size_t>(count) + 2, {"", line.size()});
    const char* pos = line.c_str();
    for (std::int32_t i = 0; i <= count + 1; ++i) {
        std::size_t length;
        const char* end = (i == 0 ? split_program_name : split_next_param)(pos, nullptr, &length);
        String word = param_from(line.c_str(), i);
        const Word& want = expected[static_cast<std::size_t>(i)];
        if (word.view() != want.text || length != want.text.size() || end != line.c_str() + want.end)
            std::abort();
        release_string(word);
        pos = end;
    }
    String none = param_from(line.c_str(), -1);
    if (none.length != 0)
        std::abort();
    return 0;
}
