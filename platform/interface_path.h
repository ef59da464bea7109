// The interface paths both HID backends hand out:
//
//   <node>[&colNN]#<instance>
//
// <node> is the device node ("/dev/hidraw3"), "&colNN" names one top-level
// collection (from 01) of a node with several, and <instance> is the HID
// device the node belonged to when the path was made ("0003:1A2C:1A20.0007",
// new at every connection). Node numbers are handed out again, so the
// instance is what keeps a stored path from ever naming another device.
// Callers may keep paths lower-cased: the suffixes and the instance compare
// without letter case.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct InterfacePathParts {
  std::string node;       // as written in the path
  size_t collection = 0;  // 1-based; 0 for a node with one collection
  std::string instance;   // as written in the path; empty when absent
};

std::string FormatInterfacePath(std::string_view node, size_t collection,
                                std::string_view instance);

// nullopt for text that is not an interface path; `node` is then not split
// any further (the backends check it against their own node names).
std::optional<InterfacePathParts> SplitInterfacePath(std::string_view path);

bool SameInstance(std::string_view a, std::string_view b);

// What every collection path of one connected HID device has in common:
// the node and the instance, lower-cased.
std::string DeviceKeyOfPath(std::string_view path);
