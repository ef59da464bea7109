#include "popups/qt/hint_popup_frame.h"

#include <xcb/xcb.h>

#include <QBackingStore>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <vector>

#include "platform/linux/session/x11_compositing.h"
#include "platform/linux/wayland/layer_popup_surface.h"
#include "platform/linux/wayland/wayland_connection.h"
#include "platform/linux/wayland/wayland_session.h"
#include "platform/session/executable_folder.h"
#include "popups/popup_placement.h"
#include "popups/popup_trace.h"
#include "popups/qt/label_text_metrics.h"
#include "popups/qt/popup_announcement.h"
#include "popups/qt/popup_log.h"
#include "popups/qt/popup_outline.h"
#include "skin/Language_elementsproperty.h"
#include "skin/Language_subroutines.h"
#include "skin/Ui_releaseelements.h"
#include "skin/qt/image_element.h"
#include "skin/qt/qt_display.h"
#include "skin/qt/qt_ui_toolkit.h"
#include "skin/qt/qt_window_shape.h"

namespace {

// The layer surfaces' name for compositor rules.
constexpr const char* kLayerScope = "corvane-notification";

// The X11 platform itself: the offscreen one may offer an X11 interface too.
bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

bool X11WindowsAreBlended() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr && X11CompositingManagerRuns(x11->connection(), 0);
}

// The characters of the popups' Latin texts, drawn once at start-up so the
// first show finds the labels' font loaded and its glyphs cached.
constexpr const char* kWarmUpText =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789 .-";

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Every popup frame of the program, so a popup being shown can find the
// others on screen (there are two; they live on the user-interface thread).
std::vector<HintPopupFrame*>& AllPopupFrames() {
  static std::vector<HintPopupFrame*> frames;
  return frames;
}

QRect ToQRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

Rect FromQRect(const QRect& rect) {
  return Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

void SetUpLabel(QLabel* label, const Rect& bounds) {
  label->setGeometry(ToQRect(bounds));
  // Notification texts come from a settings file: never read them as markup.
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignCenter);
  label->setWordWrap(false);
  label->setAutoFillBackground(false);
  label->setContentsMargins(0, 0, 0, 0);
  label->setMargin(0);
  label->setIndent(0);
  QFont font(ToQString(hint_popup_layout::kLabelFace));
  font.setPointSizeF(hint_popup_layout::kLabelPointSize);
  font.setBold(true);
  label->setFont(font);
}

// A text label as the show rules see it.
class QtHintTextLabel final : public HintTextLabel {
 public:
  explicit QtHintTextLabel(QLabel& label) : m_Label(label) {}

  int32_t Width() const override { return m_Label.width(); }
  int32_t Height() const override { return m_Label.height(); }
  int32_t TextWidth(std::u16string_view text) const override {
    return LabelTextWidth(m_Label, ToQString(text));
  }
  int32_t LineHeight(std::u16string_view text) const override {
    return LabelLineHeight(m_Label, ToQString(text));
  }
  void SetText(std::u16string text) override { m_Label.setText(QString::fromStdU16String(text)); }
  void SetPointSize(double points) override {
    QFont font = m_Label.font();
    font.setPointSizeF(points);
    m_Label.setFont(font);
  }
  void SetAlignment(PopupTextAlignment alignment) override {
    m_Label.setAlignment(alignment == PopupTextAlignment::Left ? Qt::AlignLeft | Qt::AlignVCenter
                                                               : Qt::AlignCenter);
  }
  void WriteDiagnostic(const char* name, int32_t value) const override {
    qCDebug(lcPopup, "%s=%i", name, static_cast<int>(value));
  }

 private:
  QLabel& m_Label;
};

}  // namespace

HintPopupFrame::HintPopupFrame(const HintPopupConstants& constants, std::string dataFolder)
    : QWidget(nullptr), m_Constants(constants) {
  setObjectName(QString::fromUtf16(m_Constants.formName));
  // No taskbar entry, no frame, above other windows, and never the focus:
  // a notification must not take the keyboard from a game.
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  MarkAsAlert(this);
  WaylandSession* wayland = SharedWaylandSession();
  if (wayland != nullptr && wayland->LayerShell() != nullptr) {
    m_LayerSurface = std::make_unique<LayerPopupSurface>(*wayland, kLayerScope);
    setAttribute(Qt::WA_DontShowOnScreen);
  } else if (OnX11()) {
    // Override-redirect: the X server maps the window at once, with no round
    // trip through the window manager, and no window manager can move it,
    // give it the focus or keep it below others; it is placed by the
    // program and raised at every show.
    setWindowFlag(Qt::BypassWindowManagerHint);
    // No window manager reads the stacking state of such a window, and the
    // toolkit answers every change of it with a round trip to the server at
    // each show.
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (X11WindowsAreBlended()) {
      // Before the native window exists: the alpha channel is chosen with it.
      m_Translucent = true;
      setAttribute(Qt::WA_TranslucentBackground);
    }
  }

  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);

  m_DrawnScale = GetWindowScaleFactor(this);
  m_Geometry = ScaledHintPopupGeometry(m_DrawnScale);
  const QRect client = ToQRect(m_Geometry.client);
  setFixedSize(client.size());

  im_BackgroundImage = new ImageElement(this);
  im_BackgroundImage->setObjectName(QStringLiteral("im_BackgroundImage"));
  im_BackgroundImage->setGeometry(client);
  im_BackgroundImage->SetAutoSize(true);

  m_TitleLabel = new QLabel(this);
  m_TitleLabel->setObjectName(QString::fromUtf16(m_Constants.titleLabelName));
  SetUpLabel(m_TitleLabel, m_Geometry.titleLabel);

  lb_Text = new QLabel(this);
  lb_Text->setObjectName(QStringLiteral("lb_Text"));
  SetUpLabel(lb_Text, m_Geometry.textLabel);
  m_TextLabelView = std::make_unique<QtHintTextLabel>(*lb_Text);

  tm_FireKetHint = new QTimer(this);
  tm_FireKetHint->setObjectName(QStringLiteral("tm_FireKetHint"));
  tm_FireKetHint->setInterval(hint_popup_layout::kHideAfterMs);
  tm_FireKetHint->setTimerType(Qt::PreciseTimer);
  connect(tm_FireKetHint, &QTimer::timeout, this, [this] { tm_FireKetHintTimer(); });

  m_DataFolder = HintPopupDataFolder(m_Constants, ExecutableFolder(), std::move(dataFolder));
  AllPopupFrames().push_back(this);
}

HintPopupFrame::~HintPopupFrame() {
  std::erase(AllPopupFrames(), this);
  ReleaseUiDescription(m_UiFile);
}

void HintPopupFrame::FormCreate() {
  const HintPopupLanguage language = PopupResourceLanguage();
  m_LanguageId = language.id;
  m_LanguageName = language.name;

  const std::string uiPath = m_DataFolder + "UI.txt";
  if (QFileInfo(QString::fromStdString(uiPath)).isFile())
    m_UiFile = UiDescription::LoadFile(uiPath);

  const std::string background = BackgroundPath();
  std::optional<Rect> loaded;
  if (!background.empty()) {
    im_BackgroundImage->move(0, 0);
    if (LoadScaledImage(*im_BackgroundImage, QString::fromStdString(background), this))
      loaded = FromQRect(im_BackgroundImage->geometry());
  }
  const PopupSize size = SkinnedPopupSize(m_Geometry.client, loaded);
  setFixedSize(size.width, size.height);

  QtUiWindow window(this);
  window.AddWidget(QStringLiteral("TImage"), im_BackgroundImage);
  window.AddWidget(QStringLiteral("TLabel"), m_TitleLabel);
  window.AddWidget(QStringLiteral("TLabel"), lb_Text);
  AddOwnElements(window);
  window.AddObject(QStringLiteral("TTimer"), tm_FireKetHint);
  TlanguageElementsProperty record;
  ApplyUiDescription(record, window, uiPath, m_LanguageId, u"", u"");
  PrepareFirstShow();
}

// What a first show would do besides mapping the window is done at
// start-up, so the first popup comes up as fast as the next ones: the place,
// the shape and outline from the picture, the X11 window with its backing
// store, and the labels' font with its glyphs.
void HintPopupFrame::PrepareFirstShow() {
  PlaceAtWorkAreaCorner();
  BuildShapeOnce();
  if (!m_LayerSurface && OnX11()) {
    winId();
    // The window's shared-memory picture and the frame it sits in are
    // otherwise asked of the X server, with round trips, at the first paint.
    if (QBackingStore* store = backingStore()) store->resize(size());
    if (QWindow* window = windowHandle()) {
      // The toolkit gives a new window its widget's place at the first show
      // and then asks for the window's frame; both are done now.
      if (window->geometry() != geometry()) window->setGeometry(geometry());
      window->frameMargins();
    }
  }
  QImage scratch(size(), QImage::Format_ARGB32_Premultiplied);
  render(&scratch, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  QPainter painter(&scratch);
  painter.setFont(m_TitleLabel->font());
  painter.drawText(scratch.rect(), QString::fromLatin1(kWarmUpText));
}

void HintPopupFrame::AddOwnElements(QtUiWindow&) {}

std::string HintPopupFrame::BackgroundPath() const {
  return FindLocalizedFile(m_DataFolder, m_LanguageName, m_Constants.backgroundFileName);
}

void HintPopupFrame::ShowAgain(const QString& title, const QString& text) {
  SetAlertText(this, title, text);
  // A popup already on screen is placed anew and its countdown restarted in
  // place: unmapping and mapping a window again within a few milliseconds
  // can leave it unmapped under a window manager (seen with openbox).
  if (isVisible()) {
    FormShow();
    AnnounceAlertAgain(this);
  } else {
    show();
  }
  ComeAboveOtherPopups();
}

// Both popups share one corner: the newest notification must not stay
// hidden under the other popup, whether this one was visible already or the
// window system mapped it below its sibling.
void HintPopupFrame::ComeAboveOtherPopups() {
  if (!m_LayerSurface) {
    ReturnToX11();
    raise();
    // mutter keeps the older of two override-redirect windows above a
    // raised newer one: a popup this one covers wholly is unmapped instead.
    for (HintPopupFrame* other : AllPopupFrames()) {
      if (other != this && other->isVisible() && geometry().contains(other->geometry()))
        other->WithdrawFromX11();
    }
    return;
  }
  // Compositors keep a reused layer surface where it was and stack new ones
  // each in an order of its own (sway puts the newest below, KWin above), so
  // a raise does nothing. A popup that this one covers wholly is taken off
  // the screen instead, which shows what the user would see anyway; one
  // that shows around it makes this one map again, which brings it on top
  // where the compositor stacks the newest above.
  bool remap = false;
  for (HintPopupFrame* other : AllPopupFrames()) {
    if (other == this || !other->isVisible() || !other->m_LayerSurface ||
        !other->m_LayerSurface->IsShown())
      continue;
    if (geometry().contains(other->geometry()))
      other->WithdrawFromLayer();
    else
      remap = true;
  }
  if (remap) {
    m_LayerSurface->Hide();
    PresentOnLayer();
  }
}

void HintPopupFrame::WithdrawFromLayer() {
  if (m_LayerSurface) m_LayerSurface->Hide();
}

void HintPopupFrame::WithdrawFromX11() {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || !OnX11() || m_X11Withdrawn) return;
  m_X11Withdrawn = true;
  xcb_unmap_window(x11->connection(), static_cast<xcb_window_t>(winId()));
  xcb_flush(x11->connection());
}

void HintPopupFrame::ReturnToX11() {
  if (!m_X11Withdrawn) return;
  m_X11Withdrawn = false;
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr) return;
  xcb_map_window(x11->connection(), static_cast<xcb_window_t>(winId()));
  xcb_flush(x11->connection());
}

void HintPopupFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // A window manager mapping the window again is no new notification.
  if (event->spontaneous()) return;
  FormShow();
}

void HintPopupFrame::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (event->spontaneous()) return;
  if (m_LayerSurface) m_LayerSurface->Hide();
  // The toolkit unmapped it too; its next show maps it again.
  m_X11Withdrawn = false;
  if (IsPopupTraceOn()) WritePopupTrace(FormatPopupHideLine(m_Constants.traceName));
}

void HintPopupFrame::FormShow() {
  tm_FireKetHint->stop();
  tm_FireKetHint->setInterval(hint_popup_layout::kHideAfterMs);
  tm_FireKetHint->start();

  PlaceAtWorkAreaCorner();
  BuildShapeOnce();
  if (m_LayerSurface) PresentOnLayer();
  TraceShow();
}

void HintPopupFrame::PlaceAtWorkAreaCorner() {
  const float factor = GetWindowScaleFactor(this);
  if (const QScreen* primary = QGuiApplication::primaryScreen()) {
    const QRect available = primary->availableGeometry();
    const WorkArea work{available.x(), available.y(), available.width(), available.height()};
    const PopupPosition at = BottomRightPopupPosition(work, width(), height(), factor);
    move(at.left, at.top);
  }
}

void HintPopupFrame::PresentOnLayer() {
  QImage rendered(size(), QImage::Format_RGB32);
  render(&rendered, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  // A popup without a background picture keeps its rectangle.
  if (m_OutlineAlpha.size() != size()) {
    m_OutlineAlpha = QImage(size(), QImage::Format_Alpha8);
    m_OutlineAlpha.fill(255);
  }
  const QImage pixels = ApplyOutline(rendered, m_OutlineAlpha);
  const int margin = 1;  // one pixel of the output's own scale
  m_LayerSurface->Show(pixels.constBits(), pixels.width(), pixels.height(),
                       static_cast<int32_t>(pixels.bytesPerLine()), m_DrawnScale, margin);
}

// The shape follows the picture at the density of the monitor the popup
// was created for (and placed on at start-up); it is never rebuilt, not even
// when the popup is hidden and shown again later.
void HintPopupFrame::BuildShapeOnce() {
  if (!m_ShapePending) return;
  m_ShapePending = false;
  const std::string background = BackgroundPath();
  if (background.empty()) return;
  const QString path = QString::fromStdString(background);
  const QImage png = SetWindowShapeFromImage(this, *im_BackgroundImage, path);
  // A picture that could not be decoded cut no shape (a cut one is never an
  // empty mask): the popup stays an opaque rectangle.
  if (mask().isEmpty()) return;
  if (m_LayerSurface || m_Translucent) UseOutlineAlpha(png);
}

// The shape stays as the input region; what shows is the picture's own
// transparency, smooth at the rounded corners.
void HintPopupFrame::UseOutlineAlpha(const QImage& backgroundPng) {
  m_OutlineAlpha = PopupOutlineAlpha(backgroundPng, size(), mask());
  if (!m_Translucent) return;
  // The window's own background would fill the cut-away corners.
  setAutoFillBackground(false);
  const QImage opaque = im_BackgroundImage->RenderPixels();
  const QImage alpha = m_OutlineAlpha.copy(im_BackgroundImage->geometry());
  im_BackgroundImage->SetPicture(ApplyOutline(opaque, alpha));
}

void HintPopupFrame::tm_FireKetHintTimer() {
  tm_FireKetHint->stop();
  hide();
}

void HintPopupFrame::TraceShow() const {
  if (!IsPopupTraceOn()) return;
  PopupShowRecord record;
  record.popupName = m_Constants.traceName;
  record.title = m_TitleLabel->text().toStdU16String();
  record.text = lb_Text->text().toStdU16String();
  record.x = x();
  record.y = y();
  record.width = width();
  record.height = height();
  record.alignment = (lb_Text->alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignLeft
                         ? PopupTextAlignment::Left
                         : PopupTextAlignment::Center;
  record.pointSize = lb_Text->font().pointSize();
  WritePopupTrace(FormatPopupShowLine(record));
}
