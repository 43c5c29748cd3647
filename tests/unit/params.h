// A command line's parameters as strings, for the tests to compare.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "services/process/command_line.h"

// Parameter index of line; the empty string past the last one.
inline std::string param(const std::string& line, std::int32_t index)
{
    String word = param_from(line.c_str(), index);
    std::string text(word.view());
    release_string(word);
    return text;
}

// The parameters from 1 to the count.
inline std::vector<std::string> params(const std::string& line)
{
    std::vector<std::string> words;
    for (std::int32_t i = 1; i <= count_params(line.c_str()); ++i)
        words.push_back(param(line, i));
    return words;
}
