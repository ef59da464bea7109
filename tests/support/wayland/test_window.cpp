// A plain window for the compositor tests to focus and make full-screen: a
// stand-in for a game, on whichever window system QT_QPA_PLATFORM names.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("test-window"));
  window.setStyleSheet(QStringLiteral("background: #20a040"));
  window.resize(400, 300);
  window.show();
  return QApplication::exec();
}
