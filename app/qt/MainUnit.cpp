#include "app/qt/MainUnit.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <array>
#include <cstdio>

#include "app/exception_report.h"
#include "app/qt/device_log.h"
#include "app/qt/fullscreen_watcher.h"
#include "app/qt/termination_signal.h"
#include "app/qt/tray_icon_image.h"
#include "hid/IO_HID.h"
#include "platform/interface_path.h"
#include "platform/program_name.h"
#include "platform/session/executable_folder.h"

namespace {

QString ToQString(const std::u16string& text) { return QString::fromStdU16String(text); }

QLabel* MakeDiagnosticLabel(QWidget* parent, const QString& caption, int top) {
  auto* label = new QLabel(caption, parent);
  label->setGeometry(8, top, 480, 40);
  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(32);
  label->setFont(font);
  return label;
}

}  // namespace

TMainForm::TMainForm(QWidget* owner, std::string dataFolder)
    : QWidget(owner),
      m_DataFolder(dataFolder.empty() ? ExecutableFolder() + "Data/" : std::move(dataFolder)) {
  setWindowTitle(QStringLiteral("MainForm"));
  resize(495, 247);
  setWindowState(Qt::WindowMinimized);
  // Showing the window runs its show handler but never maps it: the main
  // window exists for its messages, the tray icon and its menu.
  setAttribute(Qt::WA_DontShowOnScreen);
  lb_Device = MakeDiagnosticLabel(this, QString(), 8);
  Label1 = MakeDiagnosticLabel(this, QStringLiteral("Foreground"), 56);
  Label2 = MakeDiagnosticLabel(this, QStringLiteral("Active"), 104);
  Label3 = MakeDiagnosticLabel(this, QStringLiteral("ThisWindow"), 152);
  Label4 = MakeDiagnosticLabel(this, QStringLiteral("Top"), 200);
  FormCreate();
}

TMainForm::~TMainForm() {
  HidSetAccessDeniedHandler({});
  m_Discovery.reset();
  m_Poster.Detach();
  if (CTrayIcon1 != nullptr) {
    CTrayIcon1->hide();
  }
}

void TMainForm::FormCreate() {
  m_Discovery =
      std::make_unique<DeviceDiscovery>(*this, m_Poster, m_DataFolder + "Product/Model.txt");
  m_Discovery->SetLog([](const std::string& line) { qCDebug(lcDevice, "%s", line.c_str()); });
  // A pass holds the event loop; a SIGTERM that arrives meanwhile ends it.
  m_Discovery->SetStopRequest([] { return TerminationPending(); });
  // Any thread that finds a device it may not open tells the window.
  HidSetAccessDeniedHandler([poster = &m_Poster](const std::string& path) {
    Message message = PostedMessage(UM_DEVICE_ACCESS_DENIED, 0, 0);
    message.broadcast =
        std::make_shared<const DeviceBroadcast>(DeviceBroadcast{DBT_DEVTYP_DEVICEINTERFACE, path});
    poster->Post(std::move(message));
  });

  m_OldWindowProc = [this](Message& message) { DefaultWindowProc(message); };
  m_WindowProc = [this](Message& message) { MainWindowProc(message); };

  // Full-screen applications are reported by the X11 watcher and the
  // compositor's toplevels; without either nothing is ever reported, as when
  // the shell refuses the registration.
  m_FullScreenWatcher = FullScreenWatcher::Create(m_Poster);

  CreateMenu();
  m_Rules.FormCreate();

  RegisterDeviceArrival();
}

void TMainForm::CreateMenu() {
  ImageList1 = ProgramIcon();
  setWindowIcon(ImageList1);

  PopupMenu1 = new QMenu(this);
  N3 = PopupMenu1->addMenu(QStringLiteral("语言"));
  N6 = N3->addAction(QStringLiteral("English"));
  N4 = N3->addAction(QStringLiteral("简体中文"));
  N5 = N3->addAction(QStringLiteral("繁體中文"));
  N2 = PopupMenu1->addAction(QStringLiteral("开机启动"));
  N1 = PopupMenu1->addAction(QStringLiteral("关闭"));
  int tag = 0;
  for (QAction* item : {N6, N4, N5}) {
    item->setCheckable(true);
    item->setData(tag++);
    connect(item, &QAction::triggered, this,
            [this, item] { RunReportingExceptions([&] { LanguageClick(item); }); });
  }
  N2->setCheckable(true);
  connect(N2, &QAction::triggered, this, [this] {
    // Qt has already toggled the mark; it follows the entry, not the click.
    N2->setChecked(m_Rules.IsAutostartChecked());
    RunReportingExceptions([&] { N2Click(); });
  });
  connect(N1, &QAction::triggered, this, [this] { RunReportingExceptions([&] { N1Click(); }); });

  CTrayIcon1 = new QSystemTrayIcon(ImageList1, this);
  // The menu is the icon's only answer: a click or double-click shows no
  // window, which would flash on screen and could take the focus from a game.
  CTrayIcon1->setContextMenu(PopupMenu1);
  connect(qApp, &QCoreApplication::aboutToQuit, CTrayIcon1, &QSystemTrayIcon::hide);
  CTrayIcon1->show();
}

QAction* TMainForm::MenuItem(MainMenuItem item) const {
  // In the order of MainMenuItem.
  const std::array<QAction*, kMainMenuItemCount> items = {N1, N2, N3->menuAction(), N4, N5, N6};
  return items.at(static_cast<size_t>(item));
}

void TMainForm::SetMenuCaption(MainMenuItem item, const std::u16string& caption) {
  MenuItem(item)->setText(ToQString(caption));
}

void TMainForm::SetMenuItemChecked(MainMenuItem item, bool checked) {
  MenuItem(item)->setChecked(checked);
}

void TMainForm::SetTrayTooltip(const std::u16string& tooltip) {
  CTrayIcon1->setToolTip(ToQString(tooltip));
}

void TMainForm::DeviceAccessDenied(const std::string& path) {
  DeniedDevice device{ReadProductName(path), NodeOfInterfacePath(path)};
  if (!m_AccessNotices.Add(DeviceKeyOfPath(path), device)) return;
  // Once per device, in the words of the menu's language.
  const DeviceAccessTexts texts = ReadDeviceAccessTexts(
      device, m_Rules.Language(), [this](std::u16string_view section, std::u16string_view key) {
        return m_Rules.ReadString(section, key, u"");
      });
  std::fprintf(stderr, "%s: %s: %s\n", kProgramName,
               QString::fromStdU16String(texts.line).toLocal8Bit().constData(),
               QString::fromStdU16String(texts.fix).toLocal8Bit().constData());
  std::fflush(stderr);
  CaptionAccessNotices();
}

void TMainForm::CaptionAccessNotices() {
  for (QAction* item : m_AccessNoticeItems) {
    PopupMenu1->removeAction(item);
    delete item;
  }
  m_AccessNoticeItems.clear();
  const std::vector<DeniedDevice>& devices = m_AccessNotices.Devices();
  if (devices.empty()) return;
  const SettingsReader read = [this](std::u16string_view section, std::u16string_view key) {
    return m_Rules.ReadString(section, key, u"");
  };
  QAction* const top = PopupMenu1->actions().value(0);
  const auto addLine = [&](const std::u16string& text) {
    auto* item = new QAction(ToQString(text), PopupMenu1);
    item->setEnabled(false);
    PopupMenu1->insertAction(top, item);
    m_AccessNoticeItems.push_back(item);
  };
  DeviceAccessTexts texts;
  for (const DeniedDevice& device : devices) {
    texts = ReadDeviceAccessTexts(device, m_Rules.Language(), read);
    addLine(texts.line);
  }
  addLine(texts.fix);
  auto* separator = new QAction(PopupMenu1);
  separator->setSeparator(true);
  PopupMenu1->insertAction(top, separator);
  m_AccessNoticeItems.push_back(separator);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  m_Rules.FormClose();
  event->accept();
  // Closing the main window ends the message loop, as the popups and the
  // tray stay behind as windows of their own.
  QCoreApplication::quit();
}

// --- the tray menu ---

void TMainForm::N1Click() { close(); }

void TMainForm::N2Click() { m_Rules.N2Click(); }

void TMainForm::LanguageClick(QAction* sender) {
  m_Rules.LanguageClick(sender != nullptr ? sender->data().toInt() : -1);
}

// --- messages ---

bool TMainForm::event(QEvent* event) {
  if (event->type() == PostedMessageEvent::EventType()) {
    m_WindowProc(static_cast<PostedMessageEvent*>(event)->message);
    return true;
  }
  const bool sizeEvent = event->type() == QEvent::Resize || event->type() == QEvent::Show ||
                         event->type() == QEvent::WindowStateChange;
  if (!sizeEvent || !m_WindowProc) {
    return QWidget::event(event);
  }
  if (event->type() == QEvent::Show) {
    m_Rules.FormShow();  // the first show only
  }
  // Qt's resize, minimize and show events reach the handler as WM_SIZE.
  Message message{WM_SIZE, 0, 0, 0, nullptr};
  QEvent* const outer = m_CurrentQtEvent;
  m_CurrentQtEvent = event;
  m_WindowProc(message);
  m_CurrentQtEvent = outer;
  return message.result != 0;
}

void TMainForm::DefaultWindowProc(Message& message) {
  message.result = 0;
  if (m_CurrentQtEvent != nullptr && message.msg == WM_SIZE) {
    message.result = QWidget::event(m_CurrentQtEvent) ? 1 : 0;
  }
}

void TMainForm::MainWindowProc(Message& message) {
  // The device events, the application bar and device changes are logged
  // and traced; the window's own traffic is not.
  const bool deviceEventOrAppBar = message.msg >= UM_RT_MODE && message.msg <= UM_APPBAR;
  if (deviceEventOrAppBar || message.msg == WM_DEVICECHANGE) {
    if (deviceEventOrAppBar) {
      qCDebug(lcDevice, "message %u wParam=%lu lParam=%ld", message.msg,
              static_cast<unsigned long>(message.wParam), static_cast<long>(message.lParam));
    } else if (message.broadcast) {
      qCDebug(lcDevice, "%s %s", message.wParam == DBT_DEVICEARRIVAL ? "arrival" : "removal",
              message.broadcast->name.c_str());
    }
    if (m_Trace) {
      m_Trace(message);
    }
  }
  MessageDispatch::MainWindowProc(message, m_OldWindowProc);
}

void TMainForm::HideMainWindow() {
  // Deferred: hiding from inside the show event would be undone by it.
  QMetaObject::invokeMethod(
      this, [this] { hide(); }, Qt::QueuedConnection);
}

bool TMainForm::IsForegroundWindowTopMost() {
  if (!m_FullScreenWatcher) {
    return false;
  }
  return m_FullScreenWatcher->ForegroundIsTopMost();
}

// --- the popups ---

void TMainForm::ShowLTKeyPopup(const std::u16string& title, const std::u16string& text) {
  if (m_Popups.ltKey) m_Popups.ltKey(ToQString(title), ToQString(text));
}

void TMainForm::ShowRTModePopup(uint32_t rtMode, const std::u16string& title,
                                const std::u16string& text) {
  if (m_Popups.rtMode) m_Popups.rtMode(rtMode, ToQString(title), ToQString(text));
}
