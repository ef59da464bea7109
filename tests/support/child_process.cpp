#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

void ApplyEnvironment(const ChildOptions& options) {
  for (const auto& [name, value] : options.environment) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, ChildOptions options) {
  int inPipe[2] = {-1, -1};
  int outPipe[2] = {-1, -1};
  if (options.pipeStdin && pipe2(inPipe, O_CLOEXEC) != 0) return;
  options.captureStdout = options.captureStdout || options.captureStderr;
  if (options.captureStdout && pipe2(outPipe, O_CLOEXEC) != 0) return;
  const pid_t parent = getpid();

  const pid_t pid = fork();
  if (pid == 0) {
    // A group of its own, so that the kill reaches whatever it starts; and
    // gone with the test process, so that a crashed test leaves nothing.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    if (options.pipeStdin) dup2(inPipe[0], STDIN_FILENO);
    if (options.captureStdout) dup2(outPipe[1], STDOUT_FILENO);
    const int devNull = open("/dev/null", O_RDWR);
    if (!options.pipeStdin) dup2(devNull, STDIN_FILENO);
    if (!options.captureStdout && options.quiet) dup2(devNull, STDOUT_FILENO);
    if (options.captureStderr) {
      dup2(outPipe[1], STDERR_FILENO);
    } else if (options.quiet) {
      dup2(devNull, STDERR_FILENO);
    }
    if (options.inheritFd >= 0) fcntl(options.inheritFd, F_SETFD, 0);
    ApplyEnvironment(options);
    std::vector<char*> args;
    for (std::string& arg : argv) args.push_back(arg.data());
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  if (options.pipeStdin) {
    close(inPipe[0]);
    m_StdinFd = inPipe[1];
  }
  if (options.captureStdout) {
    close(outPipe[1]);
    if (pid > 0) {
      m_Reader = std::thread([this, fd = outPipe[0]] { ReadOutput(fd); });
    } else {
      close(outPipe[0]);
    }
  }
  if (pid > 0) {
    setpgid(pid, pid);  // also from here: no race with the first kill
  }
  m_Pid = pid;
}

ChildProcess::~ChildProcess() {
  CloseStdin();
  if (m_Pid > 0) {
    KillGroup(SIGTERM);
    if (!WaitForExit(std::chrono::milliseconds(2000))) {
      KillGroup(SIGKILL);
      WaitForExit(std::chrono::milliseconds(5000));
    }
  }
  if (m_Reader.joinable()) m_Reader.join();
}

bool ChildProcess::Send(const std::string& line) {
  if (m_StdinFd < 0) return false;
  const std::string data = line + "\n";
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(m_StdinFd, data.data() + done, data.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void ChildProcess::CloseStdin() {
  if (m_StdinFd >= 0) {
    close(m_StdinFd);
    m_StdinFd = -1;
  }
}

void ChildProcess::ReadOutput(int fd) {
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    const auto now = std::chrono::steady_clock::now();
    pending.append(buffer, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      {
        std::lock_guard lock(m_Mutex);
        m_Lines.push_back({now, pending.substr(0, end), m_Lines.size()});
      }
      m_NewLine.notify_all();
      pending.erase(0, end + 1);
    }
  }
  close(fd);
}

std::optional<OutputLine> ChildProcess::WaitForLine(
    const std::function<bool(const std::string&)>& match, std::chrono::milliseconds timeout,
    size_t from) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(m_Mutex);
  size_t next = from;
  for (;;) {
    for (; next < m_Lines.size(); ++next) {
      if (match(m_Lines[next].text)) return m_Lines[next];
    }
    if (m_NewLine.wait_until(lock, deadline) == std::cv_status::timeout) {
      for (; next < m_Lines.size(); ++next) {
        if (match(m_Lines[next].text)) return m_Lines[next];
      }
      return std::nullopt;
    }
  }
}

std::vector<OutputLine> ChildProcess::Lines() const {
  std::lock_guard lock(m_Mutex);
  return m_Lines;
}

std::vector<OutputLine> ChildProcess::AllLines() {
  if (m_Reader.joinable()) m_Reader.join();
  return Lines();
}

size_t ChildProcess::LineCount() const {
  std::lock_guard lock(m_Mutex);
  return m_Lines.size();
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (m_Pid <= 0) return std::nullopt;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!m_ExitStatus) {
    int status = 0;
    const pid_t done = waitpid(m_Pid, &status, WNOHANG);
    if (done == m_Pid) {
      m_ExitStatus = status;
      break;
    }
    if (done < 0 || std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    usleep(20 * 1000);
  }
  if (WIFEXITED(*m_ExitStatus)) return WEXITSTATUS(*m_ExitStatus);
  return std::nullopt;
}

bool ChildProcess::Running() {
  if (m_Pid <= 0 || m_ExitStatus) return false;
  WaitForExit(std::chrono::milliseconds(0));
  return !m_ExitStatus;
}

void ChildProcess::KillGroup(int signal) {
  // Once reaped, the number may belong to someone else.
  if (m_Pid > 0 && !m_ExitStatus) kill(-m_Pid, signal);
}
