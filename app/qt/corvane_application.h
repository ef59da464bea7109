// The application object: catches what an event handler lets escape and
// shows it with the standard exception report; the program carries on.
#pragma once

#include <QApplication>

class CorvaneApplication : public QApplication {
 public:
  CorvaneApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
