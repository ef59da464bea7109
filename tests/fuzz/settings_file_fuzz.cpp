// Feeds arbitrary bytes as Settings.ini (and Model.txt, read the same way)
// to ReadString. A value found is never longer than the 2047 units of the
// lookup buffer, letter case of the names never changes the answer, and a
// file in an 8-bit encoding never yields a broken surrogate pair, not even
// where a long value is cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "skin/settings_file.h"
#include "tests/fuzz/memory_file.h"

namespace {

struct Lookup {
  std::u16string_view section;
  std::u16string_view key;
};

// One lookup of each shape the program makes: a language section, the
// texts of "Default", the model lists of Model.txt, and a short pair for
// small inputs. Which names match does not change the reader's path; the
// dictionary holds the rest of the program's names.
constexpr Lookup kLookups[] = {
    {u"English", u"PopMenu1"},
    {u"Default", u"LT1"},
    {u"Cafe", u"Keyboard"},
    {u"E", u"K"},
};

constexpr size_t kMaxValueLength = 2047;

void Require(bool condition) {
  if (!condition) std::abort();
}

std::u16string FlipAsciiCase(std::u16string_view text) {
  std::u16string flipped(text);
  for (char16_t& c : flipped) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<char16_t>(c - u'a' + u'A');
    else if (c >= u'A' && c <= u'Z')
      c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return flipped;
}

bool IsWellFormedUtf16(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c >= 0xDC00 && c <= 0xDFFF) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    }
  }
  return true;
}

bool HasUtf16ByteOrderMark(const uint8_t* data, size_t size) {
  return size >= 2 &&
         ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryFile file;
  file.Write(data, size);
  const SettingsFile settings(file.Path());

  // Lines end at line feeds, so no value holds one: this default tells a
  // missing key from any value.
  static const std::u16string missing = u"\n";
  const bool eightBit = !HasUtf16ByteOrderMark(data, size);

  for (const Lookup& lookup : kLookups) {
    const std::u16string value = settings.ReadString(lookup.section, lookup.key, missing);
    if (value != missing) {
      Require(value.size() <= kMaxValueLength);
      if (eightBit) Require(IsWellFormedUtf16(value));
    }
    // Every lookup reads the whole file again, so letter case is checked on
    // two of them only; the names take the same path in all.
    if (&lookup == &kLookups[0] || &lookup == &kLookups[3]) {
      Require(settings.ReadString(FlipAsciiCase(lookup.section), FlipAsciiCase(lookup.key),
                                  missing) == value);
    }
  }
  return 0;
}
