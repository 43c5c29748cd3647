// The strings that hold names: NUL-terminated bytes on the heap, owned by
// whoever holds the String. They are moved, never copied, and released by hand:
// a String needs no destructor, so the static records holding one need no
// code at start or exit.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

struct String {
    char* text = nullptr;  // null for the empty string
    std::size_t length = 0;

    constexpr String() = default;
    String(const String&) = delete;
    String& operator=(const String&) = delete;
    String(String&& other) noexcept : text(other.text), length(other.length)
    {
        other.text = nullptr;
        other.length = 0;
    }
    // Swaps, so nothing is lost: the old contents come back in other.
    String& operator=(String&& other) noexcept
    {
        std::swap(text, other.text);
        std::swap(length, other.length);
        return *this;
    }

    const char* c_str() const { return text ? text : ""; }
    std::string_view view() const { return {c_str(), length}; }
};

// A string of length bytes, NUL-terminated, contents unset. A failed
// allocation ends the run with runtime error 203.
String new_string(std::size_t length);
void append_string(String& string, std::string_view tail);
void release_string(String& string);
