#include <gtest/gtest.h>

#include <string>

#include "services/process/termination.h"

namespace {

struct ReportCase {
    std::uint32_t number;
    std::uint32_t offset;
    const char* line;
};

const ReportCase report_cases[] = {
    // columns: "Runtime error" 0-12, number 13-16, blank 17, "at" 18-19, hex 21-28
    {103, 0x1A2B, "Runtime error 103 at 00001A2B"},
    {5, 0xFFFFFFFF, "Runtime error   5 at FFFFFFFF"},
    {28, 0, "Runtime error  28 at 00000000"},
    {1234, 0xABCDEF, "Runtime error1234 at 00ABCDEF"},
    {0, 0x10, "Runtime error   0 at 00000010"},
    // more than four digits widen the line rather than overwrite "error"
    {12345, 0x99, "Runtime error 12345 at 00000099"},
    {4294967295u, 0x1000, "Runtime error 4294967295 at 00001000"},
};

TEST(Report, FillsTheTemplateColumns)
{
    for (const ReportCase& c : report_cases) {
        char line[report_capacity];
        std::size_t length = format_report(line, c.number, c.offset);
        EXPECT_EQ(std::string(line, length), c.line);
        EXPECT_EQ(line[length], '\0');
    }
}

}  // namespace
