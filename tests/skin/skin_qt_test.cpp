#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <random>
#include <tuple>

#include "skin/Language_elementsproperty.h"
#include "skin/Skin_windowshape.h"
#include "skin/qt/image_element.h"
#include "skin/qt/qt_display.h"
#include "skin/qt/qt_ui_toolkit.h"
#include "skin/qt/qt_window_shape.h"
#include "tests/support/qt_test_app.h"
#include "tests/support/temp_dir.h"

namespace {

class SkinQt : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The offscreen screen then reports 96 dpi: factor 1.0.
    qputenv("QT_FONT_DPI", "96");
    TestApplication();
  }
  void TearDown() override { SetDisplayStateSource({}); }

  QString PathOf(const QString& name) const {
    return QString::fromStdString(m_Dir.PathOf(name.toStdString()));
  }

  QString Save(const QImage& image, const QString& name, const char* format) const {
    const QString path = PathOf(name);
    EXPECT_TRUE(image.save(path, format)) << name.toStdString();
    return path;
  }

  // width x height, opaque red, with transparent `corner` x `corner` corners.
  static QImage RoundedPicture(int width, int height, int corner) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 0));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const bool cornerX = x < corner || x >= width - corner;
        const bool cornerY = y < corner || y >= height - corner;
        if (cornerX && cornerY) image.setPixelColor(x, y, Qt::transparent);
      }
    return image;
  }

  TempDir m_Dir;
};

TEST_F(SkinQt, DisplayStateListsTheScreensWithTheirDensity) {
  QWidget window;
  window.setGeometry(10, 10, 100, 80);
  const DisplayState display = QtDisplayState(&window);
  const QList<QScreen*> screens = QGuiApplication::screens();
  ASSERT_EQ(display.monitors.size(), static_cast<size_t>(screens.size()));
  ASSERT_LT(display.primaryIndex, display.monitors.size());
  const QScreen* primary = QGuiApplication::primaryScreen();
  EXPECT_EQ(display.monitors[display.primaryIndex].handle,
            reinterpret_cast<MonitorHandle>(primary));
  EXPECT_EQ(display.nearestMonitor, reinterpret_cast<MonitorHandle>(primary));
  EXPECT_EQ(GetWindowScaleFactor(&window),
            static_cast<float>(qRound(primary->logicalDotsPerInch())) / 96.0f);
}

TEST_F(SkinQt, InstalledSourceFindsTheWindowByItsHandle) {
  InstallQtDisplayStateSource();
  QWidget window;
  const WindowHandle handle = QtWindowHandle(&window);
  ASSERT_NE(handle, 0u);
  const Rect rect{10, 20, 257, 156};
  EXPECT_EQ(ScaleRectForWindow(handle, rect), ScaleRectForWindow(&window, rect));
  // A handle that names no widget falls back to the snapshot without one.
  EXPECT_EQ(ScaleRectForWindow(WindowHandle{0xDEAD0000}, rect),
            ScaleRectForWindow(QtDisplayState(nullptr), 0xDEAD0000, rect));
}

TEST_F(SkinQt, PngIsScaledOverBlackWithAutoSizeOff) {
  const QString path = Save(RoundedPicture(247, 136, 3), "LTKeyHint_Background.png", "PNG");
  QWidget window;
  ImageElement image(&window);
  ASSERT_TRUE(LoadScaledImage(image, path, &window));
  ASSERT_EQ(GetWindowScaleFactor(&window), 1.0f);
  const PixelSize expected{247, 136};
  EXPECT_FALSE(image.AutoSize());
  EXPECT_EQ(image.size(), QSize(expected.width, expected.height));
  EXPECT_EQ(image.Picture().size(), image.size());
  EXPECT_FALSE(image.Picture().hasAlphaChannel());
  EXPECT_EQ(image.Picture().pixelColor(0, 0), QColor(Qt::black));
  EXPECT_EQ(image.Picture().pixelColor(expected.width / 2, expected.height / 2), QColor(255, 0, 0));
}

TEST_F(SkinQt, OtherExtensionsKeepTheirStoredSize) {
  const QImage picture = RoundedPicture(30, 20, 2);
  for (const auto& [name, format] :
       {std::pair{"Background.PNG", "PNG"}, std::pair{"Background.bmp", "BMP"}}) {
    const QString path = Save(picture, name, format);
    QWidget window;
    ImageElement image(&window);
    image.resize(5, 5);
    ASSERT_TRUE(LoadScaledImage(image, path, &window)) << name;
    EXPECT_TRUE(image.AutoSize()) << name;
    EXPECT_EQ(image.size(), QSize(30, 20)) << name;
  }
}

TEST_F(SkinQt, ShapingGivesBackTheDecodedPngOnlyForAPng) {
  const QImage picture = RoundedPicture(8, 6, 2);
  for (const auto& [name, format, isPng] :
       {std::tuple{"shape.png", "PNG", true}, std::tuple{"shape.PNG", "PNG", false},
        std::tuple{"shape.bmp", "BMP", false}}) {
    const QString path = Save(picture, name, format);
    QWidget window;
    ImageElement image(&window);
    const QImage png = SetWindowShapeFromImage(&window, image, path);
    EXPECT_EQ(png.isNull(), !isPng) << name;
    if (!isPng) continue;
    EXPECT_EQ(png.size(), picture.size()) << "at its stored size, not enlarged";
    EXPECT_EQ(qAlpha(png.pixel(0, 0)), 0);
    EXPECT_EQ(png.pixel(3, 3), picture.pixel(3, 3));
  }
}

TEST_F(SkinQt, MissingOrUndecodableFileChangesNothing) {
  QFile garbage(PathOf("broken.png"));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("not a picture at all");
  garbage.close();
  for (const QString& path :
       {PathOf("absent.png"), PathOf("broken.png"), QString::fromStdString(m_Dir.Folder())}) {
    QWidget window;
    window.resize(50, 40);
    ImageElement image(&window);
    image.resize(7, 9);
    EXPECT_FALSE(LoadScaledImage(image, path, &window)) << path.toStdString();
    EXPECT_TRUE(SetWindowShapeFromImage(&window, image, path).isNull());
    EXPECT_EQ(image.size(), QSize(7, 9));
    EXPECT_TRUE(image.Picture().isNull());
    EXPECT_TRUE(window.mask().isEmpty()) << path.toStdString();
  }
}

TEST_F(SkinQt, MaskCutsTransparentCornersAndBlackPixels) {
  QImage picture = RoundedPicture(8, 6, 2);
  picture.setPixelColor(4, 3, QColor(0, 0, 0));  // opaque black: the key colour after the fill
  const QString path = Save(picture, "shape.png", "PNG");
  QWidget window;
  ImageElement image(&window);
  SetWindowShapeFromImage(&window, image, path);
  const QRegion mask = window.mask();
  const struct {
    QPoint pixel;
    bool inside;
  } cases[] = {{{0, 0}, false}, {{7, 0}, false}, {{0, 5}, false}, {{7, 5}, false}, {{1, 1}, false},
               {{2, 0}, true},  {{0, 2}, true},  {{7, 2}, true},  {{3, 3}, true},  {{4, 3}, false},
               {{5, 5}, true},  {{6, 5}, false}, {{8, 2}, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(mask.contains(c.pixel), c.inside) << c.pixel.x() << "," << c.pixel.y();
  }
}

TEST_F(SkinQt, PictureOfOneColourHidesTheWholeWindow) {
  QImage picture(6, 4, QImage::Format_RGB32);
  picture.fill(QColor(0, 128, 0));
  const QString path = Save(picture, "flat.png", "PNG");
  QWidget window;
  ImageElement image(&window);
  SetWindowShapeFromImage(&window, image, path);
  EXPECT_FALSE(window.mask().isEmpty());  // an empty mask would show everything
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_FALSE(window.mask().contains(QPoint(x, y)));
}

TEST_F(SkinQt, OnePassRegionEqualsJoiningRunsOneByOne) {
  std::mt19937 random(7);
  for (int width : {1, 3, 5, 17, 64}) {
    QImage picture(width, 23, QImage::Format_RGB888);
    picture.fill(Qt::white);
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < width; ++x)
        if (random() % 4 == 0 ||
            (y > 0 && random() % 2 == 0 && picture.pixelColor(x, y - 1) != Qt::white))
          picture.setPixelColor(x, y, Qt::darkBlue);
    picture.setPixelColor(0, 0, Qt::white);
    QRegion joined;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    const PixelView view{rgb.constBits(), rgb.width(), rgb.height(),
                         static_cast<size_t>(rgb.bytesPerLine()), 3};
    // The scan template compiled here, among Qt's headers and macros.
    ForEachWindowShapeRun(
        view, [&joined](const Rect& r) { joined += QRect(r.left, r.top, r.right - r.left, 1); });
    ASSERT_FALSE(joined.isEmpty()) << width;
    const QRegion built = WindowShapeRegion(picture);
    EXPECT_EQ(built.boundingRect(), joined.boundingRect()) << width;
    for (int y = -1; y <= picture.height(); ++y)
      for (int x = -1; x <= width; ++x)
        ASSERT_EQ(built.contains(QPoint(x, y)), joined.contains(QPoint(x, y)))
            << width << ": " << x << "," << y;
  }
}

TEST_F(SkinQt, AdapterAppliesADescriptionToWidgets) {
  QFile file(PathOf("UI.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "[English]\n"
      "formTest->lb_Text->Position=rectp,0,100,247,132\n"
      "FontName=DejaVu Serif\n"
      "[Default]\n"
      "lb_Text->Color=rgb,255,0,0\n"
      "lb_Text->Font->Size=14\n"
      "lb_Text->Font->Color=rgb,0,0,255\n"
      "lb_Text->FontStyle->Bold=1\n"
      "le_Name->Font->Color=rgb,0,128,0\n"
      "tm_Hide->Position=rectp,1,1,2,2\n");
  file.close();

  QWidget form;
  form.setObjectName("formTest");
  auto* label = new QLabel(&form);
  label->setObjectName("lb_Text");
  QFont italic = label->font();
  italic.setItalic(true);
  label->setFont(italic);
  auto* edit = new QLineEdit(&form);
  edit->setObjectName("le_Name");
  auto* caption = new QLabel(&form);
  auto* timer = new QTimer(&form);
  timer->setObjectName("tm_Hide");

  QtUiWindow window(&form);
  window.AddWidget("TLabel", label);
  window.AddLabeledEdit("TLabeledEdit", edit, caption);
  window.AddObject("TTimer", timer);

  SetDisplayStateSource([](WindowHandle) {
    DisplayState display;
    display.monitors = {{1, 96}};
    return display;
  });
  TlanguageElementsProperty record;
  ASSERT_TRUE(ApplyUiDescription(record, window, PathOf("UI.txt").toStdString(), 1033, u"", u""));

  EXPECT_EQ(label->geometry(), QRect(0, 100, 247, 32));
  EXPECT_TRUE(label->autoFillBackground());
  EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(label->font().family(), "DejaVu Serif");
  EXPECT_EQ(label->font().pointSize(), 14);
  EXPECT_TRUE(label->font().bold());
  EXPECT_FALSE(label->font().italic());

  EXPECT_EQ(caption->font().family(), "DejaVu Serif");
  EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(0, 128, 0));
  EXPECT_NE(edit->font().family(), "DejaVu Serif");
}

// Darkness of the middle row of `picture` (255 - green) summed per line of
// a picture whose lines repeat every `period` source pixels.
std::vector<int> DarknessPerLine(const QImage& picture, int sourceWidth, int period) {
  std::vector<int> lines(static_cast<size_t>(sourceWidth / period), 0);
  const int y = picture.height() / 2;
  for (int x = 0; x < picture.width(); ++x) {
    const int source = NearestSourceIndex(x, picture.width(), sourceWidth);
    lines[static_cast<size_t>(source / period)] += 255 - picture.pixelColor(x, y).green();
  }
  return lines;
}

// Thin lines one pixel wide, one every three pixels: enlarged pixel by
// pixel at 150 %, they would come out one and two pixels wide in turn.
TEST_F(SkinQt, EnlargedBackgroundKeepsThinLinesEvenlyWide) {
  constexpr int kWidth = 24, kPeriod = 3;
  QImage picture(kWidth, 6, QImage::Format_ARGB32);
  picture.fill(QColor(255, 255, 255));
  for (int x = 1; x < kWidth; x += kPeriod)
    for (int y = 0; y < picture.height(); ++y) picture.setPixelColor(x, y, QColor(60, 60, 60));

  for (const float factor : {1.25f, 1.5f, 1.75f}) {
    SCOPED_TRACE(factor);
    const ScaledBackground scaled = ScalePngBackground(picture, factor);
    ASSERT_EQ(scaled.shown.size(),
              QSize(static_cast<int>(kWidth * factor), static_cast<int>(6 * factor)));
    const std::vector<int> lines = DarknessPerLine(scaled.shown, kWidth, kPeriod);
    const auto [least, most] = std::minmax_element(lines.begin(), lines.end());
    // Each line carries the ink of factor x one pixel, within a tenth.
    const double ink = factor * (255 - 60);
    EXPECT_GT(*least, ink * 0.9) << ::testing::PrintToString(lines);
    EXPECT_LT(*most, ink * 1.1) << ::testing::PrintToString(lines);
  }
}

// The outline is cut from the picture enlarged pixel-exactly: every window
// pixel belongs to the shape exactly when the source pixel under its centre
// does, whatever the smoothing spreads into the transparent pixels around.
TEST_F(SkinQt, EnlargedOutlineIsThePicturesOwnOutlineAtTheNewSize) {
  QImage picture = RoundedPicture(20, 12, 3);
  for (int y = 0; y < 12; ++y) picture.setPixelColor(9, y, Qt::transparent);  // a one-pixel slit
  picture.setPixelColor(14, 5, QColor(0, 0, 0));        // opaque black: cut out
  picture.setPixelColor(4, 6, QColor(255, 0, 0, 128));  // half transparent: kept
  const auto keptAt = [&picture](int x, int y) {
    const QColor c = picture.pixelColor(x, y);
    return c.alpha() == 255 ? (c.rgb() & 0xFFFFFF) != 0 : c.alpha() > 0;
  };

  for (const float factor : {1.0f, 1.25f, 1.5f, 2.0f}) {
    SCOPED_TRACE(factor);
    const ScaledBackground scaled = ScalePngBackground(picture, factor);
    ASSERT_FALSE(scaled.outline.isNull());
    ASSERT_EQ(scaled.outline.size(), scaled.shown.size());
    const QRegion shape = WindowShapeRegion(scaled.outline);
    const int width = scaled.outline.width(), height = scaled.outline.height();
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool kept =
            keptAt(NearestSourceIndex(x, width, 20), NearestSourceIndex(y, height, 12));
        ASSERT_EQ(shape.contains(QPoint(x, y)), kept) << x << "," << y;
      }
    }
  }
}

TEST_F(SkinQt, WindowTakesTheOutlineOfTheLoadedBackground) {
  QImage picture = RoundedPicture(20, 12, 3);
  picture.setPixelColor(10, 6, Qt::transparent);
  const QString path = Save(picture, "shape.png", "PNG");
  QWidget window;
  ImageElement image(&window);
  SetWindowShapeFromImage(&window, image, path);
  const float factor = GetWindowScaleFactor(&window);
  const ScaledBackground scaled = ScalePngBackground(picture, factor);
  EXPECT_EQ(image.Picture(), scaled.shown);
  EXPECT_EQ(window.mask(), WindowShapeRegion(scaled.outline));
}

}  // namespace
