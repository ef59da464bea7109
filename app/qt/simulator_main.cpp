// corvane-simulator: the whole program on simulated devices, driven by a
// scenario (a file given as the argument, or standard input). Prints a trace
// line on standard output for every message the main window handles, every
// feature report a simulated device receives and every popup shown or
// hidden; refused scenario lines go to standard error.
#include <QAction>
#include <QMetaObject>
#include <functional>
#include <memory>
#include <string>

#include "app/qt/MainUnit.h"
#include "app/simulator/simulator_setup.h"
#include "app/simulator/simulator_trace.h"

namespace {

class QtScenarioWindow : public ScenarioWindow {
 public:
  explicit QtScenarioWindow(TMainForm& form) : m_Form(form) {
    form.SetMessageTrace([](const Message& m) { WriteTraceLine(MessageTraceLine(m)); });
  }
  MessagePoster& Poster() override { return m_Form.Poster(); }
  void ChooseLanguage(const std::string& language) override {
    QAction* item = language == "ChineseS"   ? m_Form.N4
                    : language == "ChineseT" ? m_Form.N5
                                             : m_Form.N6;
    item->trigger();
  }
  void Close() override { m_Form.N1Click(); }

 private:
  TMainForm& m_Form;
};

}  // namespace

int main(int argc, char** argv) {
  SimulatorShell shell;
  shell.scenarioPath = argc > 1 ? argv[1] : "";
  shell.makeWindow = [](TMainForm& form) { return std::make_unique<QtScenarioWindow>(form); };
  shell.uiThreadPost = [](TMainForm& form) {
    return [&form](std::function<void()> call) {
      QMetaObject::invokeMethod(&form, std::move(call), Qt::QueuedConnection);
    };
  };
  const ProgramSetup setup = SimulatorSetup(std::move(shell));
  return RunProgram(argc, argv, setup);
}
