#include "support/TempDir.h"
#include "text/InputText.h"

#include <gtest/gtest.h>

using namespace tavrix;
using namespace testing_support;

namespace {
// "[row][row]", each with its whole length after a slash when only its start was kept.
std::string Rows(const InputText& input)
{
    std::string rows;
    for (std::size_t i = 0; i < input.RowCount(); ++i)
    {
        const TextRow row = input.Row(i);
        rows += "[" + std::string(row.text, std::min(row.length, InputText::kKeep)) +
                (row.length > InputText::kKeep ? "/" + std::to_string(row.length) : "") + "]";
    }
    return rows;
}

std::string Utf16(const std::string& ascii, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xfe\xff" : "\xff\xfe";
    for (const char c : ascii)
        bytes += bigEndian ? std::string(1, '\0') + c : std::string(1, c) + '\0';
    return bytes;
}
} // namespace

TEST(InputText, RowsAsTheReaderKeepsThem)
{
    const std::string longRow(700, 'x');
    const struct
    {
        std::string bytes;
        std::string rows;
        std::string encoding;
    } cases[] = {
        {"a\r\nb\nc", "[a][b][c]", ""},
        {"a\rb\r\r\n\r\n\nx\n", "[a][b][][][][x]", ""},
        {"", "", ""},
        {"\n", "[]", ""},
        {"\xef\xbb\xbf"
         "Date\n1",
         "[Date][1]", ""},
        {"x\xef\xbb\xbf", "[x\xef\xbb\xbf]", ""},
        {longRow + "\nend", "[" + std::string(300, 'x') + "/700][end]", ""},
        {Utf16("Date\r\n1\xe4", false), "[Date][1\xc3\xa4]", "UTF-16LE"},
        {Utf16("Date\n1", true), "[Date][1]", "UTF-16BE"},
        // A pair of surrogates is one character; an unpaired one and an odd last byte are replaced.
        {std::string("\xff\xfe\x3d\xd8\x00\xde\x00\xd8\x41\x00\x42", 11),
         "[\xf0\x9f\x98\x80\xef\xbf\xbd"
         "A\xef\xbf\xbd]",
         "UTF-16LE"},
    };
    for (const auto& c : cases)
    {
        const InputText input = InputTextFromBytes(c.bytes);
        EXPECT_EQ(Rows(input), c.rows) << c.bytes;
        EXPECT_EQ(input.Encoding(), c.encoding) << c.bytes;
    }

    // From a file the chunks fall anywhere: a CR last in one, its LF first in the next.
    TempDir dir;
    WriteText(dir / "in", std::string(65535, 'y') + "\r\nlast\n");
    std::FILE* file = std::fopen((dir / "in").c_str(), "rb");
    const InputText input = ReadInputText(file);
    std::fclose(file);
    EXPECT_EQ(input.RowCount(), 2u);
    EXPECT_EQ(input.Row(0).length, 65535u);
    EXPECT_FALSE(input.Failed());
    // A pipe cannot tell its size beforehand.
    std::FILE* pipe = ::popen("printf 'a\\r\\nb'", "r");
    EXPECT_EQ(Rows(ReadInputText(pipe)), "[a][b]");
    ::pclose(pipe);
}
