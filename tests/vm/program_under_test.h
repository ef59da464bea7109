// The program, started as a child process with its device log on: every
// line it writes to stderr is kept (and echoed with a prefix), and the test
// waits for lines to appear.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class ProgramUnderTest {
 public:
  ProgramUnderTest() = default;
  ~ProgramUnderTest();  // kills a child that is still running

  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

  // Starts `path` with `environment` added to this process's own; with a
  // `user`, as that user and group id instead of this process's.
  bool Start(const std::string& path, const std::vector<std::string>& environment,
             std::string* error, std::optional<uid_t> user = std::nullopt);

  // Lines so far.
  std::vector<std::string> Lines() const;
  // Waits until a line from index `from` on satisfies `match`; returns its
  // index.
  std::optional<size_t> WaitForLine(size_t from,
                                    const std::function<bool(const std::string&)>& match,
                                    std::chrono::milliseconds timeout) const;

  bool Running();
  bool SendSignal(int signal);
  // The exit status as waitpid gives it, once the child has ended.
  std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

 private:
  void ReadOutput(int fd);

  pid_t m_Pid = -1;
  std::optional<int> m_Status;
  std::thread m_Reader;
  mutable std::mutex m_Mutex;
  mutable std::condition_variable m_Changed;
  std::vector<std::string> m_Lines;
};
