// Feeds arbitrary text to the text and number helpers, the UTF-8/UTF-16
// conversions, the UI integer syntax and the data files' line reader, and
// checks what each promises: conversions round-trip, fields and sub-texts
// are the pieces of the text they name, numbers written as text read back,
// and the line reader loses no text and agrees with its fast path.
//
// Input: the text; its last bytes also give the field number, the sub-text's
// index and count, the separator and a number to write.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "skin/Utils_mathcarry.h"
#include "skin/Utils_splitstring.h"
#include "skin/text_file_reader.h"
#include "skin/text_helpers.h"
#include "skin/ui_integer.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsLineEnd(char16_t c) { return c == u'\r' || c == u'\n'; }

// `text` with every unpaired surrogate replaced by U+FFFD.
std::u16string WithUnpairedReplaced(std::u16string_view text) {
  std::u16string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
      out += text.substr(i, 2);
      ++i;
    } else {
      out += (IsHigh(text[i]) || IsLow(text[i])) ? u'\uFFFD' : text[i];
    }
  }
  return out;
}

bool IsWellFormedUtf16(std::u16string_view text) { return WithUnpairedReplaced(text) == text; }

bool IsTrimmed(std::u16string_view text) {
  return text.empty() || (text.front() > u' ' && text.back() > u' ');
}

void CheckConversions(std::string_view bytes, std::u16string_view units) {
  const std::u16string decoded = Utf8ToUtf16(bytes);
  Require(decoded.size() <= bytes.size());
  Require(IsWellFormedUtf16(decoded));
  if (IsValidUtf8(bytes)) Require(Utf16ToUtf8(decoded) == bytes);

  std::u16string appended = u"prefix";
  AppendUtf8AsUtf16(bytes, appended);
  Require(appended == u"prefix" + decoded);

  const std::string encoded = Utf16ToUtf8(units);
  Require(IsValidUtf8(encoded));
  Require(Utf8ToUtf16(encoded) == WithUnpairedReplaced(units));
}

void CheckLetterCase(std::string_view bytes, std::u16string_view text) {
  const std::u16string lower = AsciiLower(text);
  Require(lower.size() == text.size() && AsciiLower(lower) == lower);
  Require(EqualsIgnoringAsciiCase(text, lower) && EqualsIgnoringAsciiCase(lower, text));
  // Both forms lower the same letters.
  const std::string narrowLower = AsciiLower(bytes);
  std::u16string widened;
  for (char byte : bytes) widened += static_cast<unsigned char>(byte);
  const std::u16string widenedLower = AsciiLower(widened);
  Require(narrowLower.size() == bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    Require(static_cast<unsigned char>(narrowLower[i]) == widenedLower[i]);
  }

  const std::u16string_view trimmed = TrimControlAndBlanks(text);
  Require(IsTrimmed(trimmed));
  Require(trimmed.data() >= text.data() &&
          trimmed.data() + trimmed.size() <= text.data() + text.size());
}

void CheckFields(std::u16string_view text, char16_t separator, int32_t n) {
  // A separator in the last place stays in the last field.
  size_t fieldCount = 0;
  if (!text.empty()) {
    fieldCount = 1;
    for (size_t i = 0; i + 1 < text.size(); ++i) fieldCount += text[i] == separator;
  }
  for (int32_t k :
       {n, -1, static_cast<int32_t>(fieldCount), static_cast<int32_t>(fieldCount) - 1}) {
    const std::u16string field = GetDelimitedField(text, separator, k);
    if (k < 0 || static_cast<size_t>(k) >= fieldCount) {
      Require(field.empty());
      continue;
    }
    Require(IsTrimmed(field));
    Require(text.find(field) != std::u16string_view::npos);
    // Only the last field may hold the separator.
    if (static_cast<size_t>(k) + 1 < fieldCount)
      Require(field.find(separator) == std::u16string::npos);
  }
}

void CheckSubText(std::u16string_view text, int32_t index, int32_t count) {
  const std::u16string sub = SubText(text, index, count);
  const int64_t length = static_cast<int64_t>(text.size());
  if (length < index || count < 1) {
    Require(sub.empty());
    return;
  }
  const size_t start = static_cast<size_t>(index < 1 ? 0 : index - 1);
  Require(sub == text.substr(start, static_cast<size_t>(count)));
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

void CheckHex(std::u16string_view text) {
  // Arithmetic modulo 2^32 keeps exactly the last eight digits read.
  uint32_t expected = 0;
  for (char16_t c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) break;
    expected = expected * 16 + static_cast<uint32_t>(digit);
  }
  Require(HexTextToValue(text) == expected);
}

bool IsPlainDecimal(std::u16string_view text) {
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) text.remove_prefix(1);
  if (text.empty() || text.size() > 15) return false;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
  }
  return true;
}

void CheckIntegers(std::u16string_view text, int32_t number, uint16_t small) {
  Require(IntToText(number) == Utf8ToUtf16(std::to_string(number)));
  Require(UInt16ToText(small) == Utf8ToUtf16(std::to_string(small)));
  Require(UiTextToInt(IntToText(number)) == number);
  Require(UiTextToInt(UInt16ToText(small)) == small);

  // The only way to fail is the conversion error; anything else escapes
  // and is reported as a crash.
  for (std::u16string_view candidate : {text, TrimControlAndBlanks(text)}) {
    const bool decimal = IsPlainDecimal(candidate);
    const long long reference = decimal ? std::stoll(Utf16ToUtf8(candidate)) : 0;
    const bool inRange = reference >= INT32_MIN && reference <= INT32_MAX;
    try {
      const int32_t value = UiTextToInt(candidate);
      Require(!decimal || (inRange && value == reference));
      Require(UiTextToInt(IntToText(value)) == value);
    } catch (const EConvertError&) {
      Require(!decimal || !inRange);
    }
  }
}

void CheckLineReader(std::string_view bytes) {
  std::vector<std::u16string> lines;
  std::u16string joined;
  {
    TextLineReader reader(bytes);
    std::u16string line;
    while (reader.Next(line)) {
      for (char16_t c : line) Require(!IsLineEnd(c));
      joined += line;
      lines.push_back(line);
    }
  }
  // The fast path finds the same header lines as reading every line.
  {
    TextLineReader reader(bytes);
    std::u16string line;
    size_t next = 0;
    while (reader.NextStartingWith(u'[', line)) {
      while (next < lines.size() && TrimControlAndBlanks(lines[next]).substr(0, 1) != u"[") ++next;
      Require(next < lines.size() && lines[next] == line);
      ++next;
    }
    while (next < lines.size()) Require(TrimControlAndBlanks(lines[next++]).substr(0, 1) != u"[");
  }

  // No text is lost or repeated: the lines are the whole file's text
  // without its line ends.
  const TextLayout layout = DetectTextEncoding(bytes);
  const std::string_view body = bytes.substr(layout.textStart);
  std::u16string whole;
  switch (layout.encoding) {
    case TextEncoding::Utf8:
      whole = Utf8ToUtf16(body);
      break;
    case TextEncoding::Latin1:
      for (char byte : body) whole += static_cast<char16_t>(static_cast<unsigned char>(byte));
      break;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
      for (size_t i = 0; i + 1 < body.size(); i += 2) {
        const auto first = static_cast<unsigned char>(body[i]);
        const auto second = static_cast<unsigned char>(body[i + 1]);
        whole += layout.encoding == TextEncoding::Utf16LE
                     ? static_cast<char16_t>(first | second << 8)
                     : static_cast<char16_t>(first << 8 | second);
      }
      break;
  }
  std::erase_if(whole, IsLineEnd);
  Require(joined == whole);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int32_t n = in.ConsumeIntegralInRange<int32_t>(-2, 40);
  const auto index = static_cast<int32_t>(in.ConsumeIntegral<int16_t>());
  const auto count = static_cast<int32_t>(in.ConsumeIntegral<int16_t>());
  const char16_t separator = in.PickValueInArray({u',', u';', u'=', u' ', u'\u3001'});
  const auto number = in.ConsumeIntegral<int32_t>();
  const std::string bytes = in.ConsumeRemainingBytesAsString();

  // The same bytes as UTF-16 code units, unpaired surrogates and all.
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                   static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  const std::u16string text = Utf8ToUtf16(bytes);

  CheckConversions(bytes, units);
  CheckLetterCase(bytes, text);
  CheckFields(text, separator, n);
  CheckSubText(text, index, count);
  CheckSubText(text, 3, 4);  // the model list's items
  CheckHex(text);
  CheckHex(SubText(text, 3, 4));
  CheckIntegers(text, number, static_cast<uint16_t>(number));
  CheckLineReader(bytes);
  return 0;
}
