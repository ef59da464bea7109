#include "skin/text_file_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/text_helpers.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::u16string> LinesOf(std::string_view bytes) {
  TextLineReader reader(bytes);
  std::vector<std::u16string> lines;
  std::u16string line;
  while (reader.Next(line)) lines.push_back(line);
  return lines;
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string Utf16Be(std::u16string_view text) {
  std::string bytes = "\xFE\xFF";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit >> 8);
    bytes += static_cast<char>(unit & 0xFF);
  }
  return bytes;
}

struct EncodingCase {
  const char* name;
  std::string bytes;
  TextEncoding encoding;
  std::vector<std::u16string> lines;
};

TEST(TextLineReader, DecodesByByteOrderMarkOrContent) {
  const EncodingCase cases[] = {
      {"UTF-8 without mark", "a\xC3\xA9\nb", TextEncoding::Utf8, {u"a\u00E9", u"b"}},
      {"UTF-8 with mark", "\xEF\xBB\xBF\xE5\x85\xB3\n", TextEncoding::Utf8, {u"\u5173"}},
      // A declared UTF-8 file keeps its good sequences next to a bad byte.
      {"UTF-8 mark, bad byte", "\xEF\xBB\xBF\xC3\xA9\xE9", TextEncoding::Utf8, {u"\u00E9\u00E9"}},
      // Without a mark one bad byte makes the whole file Latin-1, so a
      // legacy file's "\xC3\xA9" stays two characters.
      {"Latin-1", "\xC3\xA9\n\xE9", TextEncoding::Latin1, {u"\u00C3\u00A9", u"\u00E9"}},
      {"UTF-16LE",
       Utf16Le(u"[\u8BED]\r\nk=\U0001F600"),
       TextEncoding::Utf16LE,
       {u"[\u8BED]", u"k=\U0001F600"}},
      {"UTF-16BE", Utf16Be(u"x\ny"), TextEncoding::Utf16BE, {u"x", u"y"}},
      {"UTF-16LE odd byte dropped", Utf16Le(u"ab") + "c", TextEncoding::Utf16LE, {u"ab"}},
      {"mark only", "\xFF\xFE", TextEncoding::Utf16LE, {}},
      {"empty", "", TextEncoding::Utf8, {}},
  };
  for (const EncodingCase& c : cases) {
    EXPECT_EQ(TextLineReader(c.bytes).Encoding(), c.encoding) << c.name;
    EXPECT_EQ(LinesOf(c.bytes), c.lines) << c.name;
  }
}

TEST(TextLineReader, SplitsAtEveryKindOfLineEnd) {
  struct Case {
    std::string bytes;
    std::vector<std::u16string> lines;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {u"a", u"b"}},
      {"a\nb", {u"a", u"b"}},
      {"a\rb\r", {u"a", u"b"}},
      {"a\n\nb", {u"a", u"", u"b"}},
      {"a\r\n\r\nb", {u"a", u"", u"b"}},
      {"a\n\rb", {u"a", u"", u"b"}},
      {"\n", {u""}},
      {std::string("a\0b\n", 4), {std::u16string(u"a\0b", 3)}},
  };
  for (const Case& c : cases) EXPECT_EQ(LinesOf(c.bytes), c.lines) << c.bytes;
  EXPECT_EQ(LinesOf(Utf16Le(u"a\r\nb\rc\n\nd")),
            (std::vector<std::u16string>{u"a", u"b", u"c", u"", u"d"}));
}

class ReadTextFile : public TempDirTest {};

TEST_F(ReadTextFile, ReadsRegularFilesOnly) {
  std::string bytes = "stale";
  const std::string path = WriteFile("a.txt", std::string("x\0y", 3));
  ASSERT_TRUE(ReadTextFileBytes(path, bytes));
  EXPECT_EQ(bytes, std::string("x\0y", 3));

  EXPECT_FALSE(ReadTextFileBytes(PathOf("missing.txt"), bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadTextFileBytes(m_Dir.string(), bytes));
  EXPECT_FALSE(ReadTextFileBytes("", bytes));

  std::error_code linkError;
  std::filesystem::create_symlink(path, PathOf("link.txt"), linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links on this system: " << linkError.message();
  EXPECT_TRUE(ReadTextFileBytes(PathOf("link.txt"), bytes));
  EXPECT_EQ(bytes.size(), 3u);
}

}  // namespace
