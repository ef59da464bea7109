// A program the whole-program tests start: its own process group, killed
// with the test process if that dies, its standard output read line by line
// with the time each line arrived.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using SteadyTime = std::chrono::steady_clock::time_point;

struct OutputLine {
  SteadyTime time;
  std::string text;
  size_t index = 0;  // its place in Lines()
};

struct ChildOptions {
  // Set (or, with std::nullopt, remove) these variables in the child's
  // environment; the rest is inherited.
  std::map<std::string, std::optional<std::string>> environment;
  bool pipeStdin = false;
  bool captureStdout = false;
  bool captureStderr = false;  // stderr into the captured lines as well
  bool quiet = true;           // stderr (and uncaptured stdout) to /dev/null
  int inheritFd = -1;          // one more descriptor the child keeps open
};

class ChildProcess {
 public:
  ChildProcess(std::vector<std::string> argv, ChildOptions options = {});
  ~ChildProcess();  // kills the whole process group
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return m_Pid > 0; }
  pid_t Pid() const { return m_Pid; }

  // Writes one line to the child's standard input.
  bool Send(const std::string& line);
  void CloseStdin();

  // The first captured line from `from` on for which `match` holds, waiting
  // up to `timeout` for it. `from` is an index into Lines().
  std::optional<OutputLine> WaitForLine(const std::function<bool(const std::string&)>& match,
                                        std::chrono::milliseconds timeout, size_t from = 0);
  std::vector<OutputLine> Lines() const;
  // Waits for the end of the child's output (after it exited) and returns it all.
  std::vector<OutputLine> AllLines();
  size_t LineCount() const;

  // The exit code once the child has ended within `timeout`; none if it
  // still runs or died of a signal.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);
  bool Running();
  void KillGroup(int signal);

 private:
  void ReadOutput(int fd);

  pid_t m_Pid = -1;
  int m_StdinFd = -1;
  std::thread m_Reader;
  mutable std::mutex m_Mutex;
  std::condition_variable m_NewLine;
  std::vector<OutputLine> m_Lines;
  std::optional<int> m_ExitStatus;  // raw wait status once reaped
};
