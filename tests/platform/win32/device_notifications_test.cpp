// The program's record of a WM_DEVICECHANGE: the interface path read from
// the broadcast, never past the record's own size.
#include "platform/win32/device_notifications.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A broadcast whose name area of `nameCapacity` characters holds `name`,
// terminated or not, and 'X' after it up to the record's end.
std::vector<uint8_t> Broadcast(const std::wstring& name, size_t nameCapacity,
                               bool terminated = true) {
  const size_t size =
      offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) + nameCapacity * sizeof(wchar_t);
  std::vector<uint8_t> bytes(size + 64, 0);
  auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
  record->dbcc_size = static_cast<DWORD>(size);
  record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  wchar_t* text = record->dbcc_name;
  for (size_t i = 0; i < nameCapacity; ++i) text[i] = i < name.size() ? name[i] : L'X';
  if (terminated && name.size() < nameCapacity) text[name.size()] = L'\0';
  // Beyond the record: what must never be read as part of the name.
  for (size_t i = nameCapacity; i < nameCapacity + 16; ++i) text[i] = L'Y';
  return bytes;
}

TEST(DeviceChangeMessage, CarriesThePathAndKeepsItsRecord) {
  std::vector<uint8_t> bytes = Broadcast(L"\\\\?\\hid#vid_1a2c&pid_1a20", 40);
  const std::optional<Message> message =
      DeviceChangeMessage(DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(bytes.data()));
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->msg, static_cast<uint32_t>(WM_DEVICECHANGE));
  EXPECT_EQ(message->wParam, static_cast<uintptr_t>(DBT_DEVICEARRIVAL));
  ASSERT_NE(message->broadcast, nullptr);
  EXPECT_EQ(message->lParam, reinterpret_cast<intptr_t>(message->broadcast.get()));
  EXPECT_EQ(message->broadcast->deviceType, static_cast<uint32_t>(DBT_DEVTYP_DEVICEINTERFACE));
  EXPECT_EQ(message->broadcast->name, "\\\\?\\hid#vid_1a2c&pid_1a20");
}

TEST(DeviceChangeMessage, AnUnterminatedNameEndsWithItsRecord) {
  std::vector<uint8_t> bytes = Broadcast(L"", 8, /*terminated=*/false);
  const std::optional<Message> message =
      DeviceChangeMessage(DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(bytes.data()));
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->broadcast->name, "XXXXXXXX");
}

TEST(DeviceChangeMessage, EventsWithoutABroadcastGiveNone) {
  EXPECT_FALSE(DeviceChangeMessage(DBT_DEVNODES_CHANGED, 0).has_value());
}

}  // namespace
