#include "tests/popups/popup_fixture.h"

#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <filesystem>

#include "popups/popup_trace.h"
#include "popups/qt/popup_fonts.h"
#include "skin/Utils_logpixels.h"
#include "skin/qt/qt_display.h"
#include "tests/support/qt_test_app.h"

void PopupTest::SetUpTestSuite() {
  TestApplication();
  static const bool fontsLoaded = [] {
    LoadPopupFonts();
    return true;
  }();
  (void)fontsLoaded;
}

void PopupTest::SetUp() {
  InstallQtDisplayStateSource();
  SetPopupTrace([this](const std::string& line) { m_Trace.push_back(line); });
}

void PopupTest::TearDown() {
  SetPopupTrace({});
  SetDisplayStateSource({});
}

std::string PopupTest::Folder(const std::string& name) const {
  const std::string path = m_Dir.PathOf(name);
  std::filesystem::create_directories(path);
  return path + "/";
}

void PopupTest::WriteUiFile(const std::string& folder, const std::string& text) const {
  QFile file(QString::fromStdString(folder + "UI.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text.data(), static_cast<qint64>(text.size()));
}

void PopupTest::WritePicture(const std::string& folder, const std::string& language,
                             const std::string& fileName, const QImage& picture) const {
  const QString dir = QString::fromStdString(folder + language);
  QDir().mkpath(dir);
  ASSERT_TRUE(picture.save(dir + "/" + QString::fromStdString(fileName)));
}

QImage PopupTest::RoundedPicture(int width, int height, int corner) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(QColor(40, 44, 52));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool cornerX = x < corner || x >= width - corner;
      const bool cornerY = y < corner || y >= height - corner;
      if (cornerX && cornerY) image.setPixelColor(x, y, Qt::transparent);
    }
  }
  return image;
}

void PopupTest::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents, 50); }

bool PopupTest::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  return true;
}
