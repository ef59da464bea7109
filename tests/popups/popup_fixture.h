// A Qt application for the popup tests (offscreen), the popups' fonts, and a
// fresh data folder per test with helpers to write UI.txt files and
// background pictures into it.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

class PopupTest : public testing::Test {
 protected:
  static void SetUpTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A sub-folder of the test's folder, created, with a trailing '/'.
  std::string Folder(const std::string& name) const;
  void WriteUiFile(const std::string& folder, const std::string& text) const;
  void WritePicture(const std::string& folder, const std::string& language,
                    const std::string& fileName, const QImage& picture) const;

  // width x height, opaque dark grey, with fully transparent corners of
  // `corner` x `corner` pixels.
  static QImage RoundedPicture(int width, int height, int corner);

  static void ProcessEvents();
  // Runs the event loop until `done` holds or `timeoutMs` has passed.
  static bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

  std::vector<std::string> m_Trace;

 private:
  TempDir m_Dir;
};
