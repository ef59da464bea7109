#include "platform/interface_path.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/ascii_text.h"

namespace {

constexpr std::string_view kCollectionSuffix = "&col";
constexpr char kInstanceSeparator = '#';
// Three digits hold the descriptor parser's collection cap.
constexpr size_t kMaxCollectionDigits = 3;

}  // namespace

std::string FormatInterfacePath(std::string_view node, size_t collection,
                                std::string_view instance) {
  std::string path(node);
  if (collection != 0) {
    char suffix[32];  // room for any size_t, so no cut is possible
    std::snprintf(suffix, sizeof suffix, "&col%02zu", collection);
    path += suffix;
  }
  path += kInstanceSeparator;
  path += instance;
  return path;
}

std::optional<InterfacePathParts> SplitInterfacePath(std::string_view path) {
  InterfacePathParts parts;
  const size_t hash = path.find(kInstanceSeparator);
  if (hash != std::string_view::npos) {
    parts.instance = std::string(path.substr(hash + 1));
    if (parts.instance.empty() || parts.instance.find(kInstanceSeparator) != std::string::npos) {
      return std::nullopt;
    }
    path = path.substr(0, hash);
  }
  const size_t amp = path.find('&');
  if (amp != std::string_view::npos) {
    const std::string_view suffix = path.substr(amp);
    if (suffix.size() <= kCollectionSuffix.size() ||
        AsciiLower(suffix.substr(0, kCollectionSuffix.size())) != kCollectionSuffix) {
      return std::nullopt;
    }
    const std::string_view number = suffix.substr(kCollectionSuffix.size());
    if (number.size() > kMaxCollectionDigits ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    parts.collection = std::strtoul(std::string(number).c_str(), nullptr, 10);
    if (parts.collection == 0) return std::nullopt;
    path = path.substr(0, amp);
  }
  if (path.empty()) return std::nullopt;
  parts.node = std::string(path);
  return parts;
}

bool SameInstance(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AsciiLower(a) == AsciiLower(b);
}

std::string DeviceKeyOfPath(std::string_view path) {
  const auto parts = SplitInterfacePath(path);
  if (!parts) return AsciiLower(path);
  return AsciiLower(parts->node) + kInstanceSeparator + AsciiLower(parts->instance);
}
