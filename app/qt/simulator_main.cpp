// corvane-simulator: the whole program on simulated devices, driven by a
// scenario (a file given as the argument, or standard input). Prints a trace
// line on standard output for every message the main window handles, every
// feature report a simulated device receives and every popup shown or
// hidden; refused scenario lines go to standard error.
#include <QAction>
#include <QMetaObject>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/program.h"
#include "app/qt/MainUnit.h"
#include "app/simulator/scenario_handover.h"
#include "app/simulator/scenario_runner.h"
#include "app/simulator/simulator_trace.h"
#include "platform/detached_thread.h"
#include "platform/sim/sim_backend.h"
#include "popups/popup_trace.h"

namespace {

class QtScenarioWindow : public ScenarioWindow {
 public:
  explicit QtScenarioWindow(TMainForm& form) : m_Form(form) {}
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
  const std::string scenarioPath = argc > 1 ? argv[1] : "";
  auto backend = std::make_shared<SimBackend>();
  TraceFeatureReportsSent(*backend);

  std::unique_ptr<QtScenarioWindow> window;
  std::unique_ptr<ScenarioRunner> runner;
  std::shared_ptr<ScenarioHandover> handover;
  ProgramSetup setup;
  setup.makeBackend = [backend] { return backend; };
  setup.started = [&](TMainForm& form) {
    form.SetMessageTrace([](const Message& m) { WriteTraceLine(MessageTraceLine(m)); });
    SetPopupTrace(&WriteTraceLine);
    window = std::make_unique<QtScenarioWindow>(form);
    runner = std::make_unique<ScenarioRunner>(backend, *window);
    handover = ScenarioHandover::Create([&form](std::function<void()> call) {
      QMetaObject::invokeMethod(&form, std::move(call), Qt::QueuedConnection);
    });
    // The thread may still be reading after the window, and main, are gone.
    StartReadingScenario(handover, runner.get(), scenarioPath);
  };
  setup.ending = [&handover] {
    if (handover) handover->Close();
  };
  return RunProgram(argc, argv, setup);
}
