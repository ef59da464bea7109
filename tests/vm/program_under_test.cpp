#include "tests/vm/program_under_test.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

extern char** environ;

ProgramUnderTest::~ProgramUnderTest() {
  if (Running()) {
    ::kill(m_Pid, SIGKILL);
    WaitForExit(std::chrono::seconds(5));
  }
  if (m_Reader.joinable()) m_Reader.join();
}

bool ProgramUnderTest::Start(const std::string& path, const std::vector<std::string>& environment,
                             std::string* error, std::optional<uid_t> user) {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  std::vector<std::string> envText;
  for (char** entry = environ; *entry != nullptr; ++entry) envText.emplace_back(*entry);
  envText.insert(envText.end(), environment.begin(), environment.end());
  std::vector<char*> envp;
  for (std::string& entry : envText) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::string program = path;
  char* argv[] = {program.data(), nullptr};

  m_Pid = ::fork();
  if (m_Pid < 0) {
    *error = std::string("fork: ") + std::strerror(errno);
    return false;
  }
  if (m_Pid == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::dup2(pipeFds[1], STDERR_FILENO);
    if (user && (::setgroups(0, nullptr) != 0 || ::setgid(*user) != 0 || ::setuid(*user) != 0)) {
      std::fprintf(stderr, "become user %u: %s\n", static_cast<unsigned>(*user),
                   std::strerror(errno));
      ::_exit(126);
    }
    ::execve(program.c_str(), argv, envp.data());
    std::fprintf(stderr, "exec %s: %s\n", program.c_str(), std::strerror(errno));
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  m_Reader = std::thread([this, fd = pipeFds[0]] { ReadOutput(fd); });
  return true;
}

void ProgramUnderTest::ReadOutput(int fd) {
  std::string pending;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    pending.append(chunk, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      std::printf("  | %s\n", line.c_str());
      std::fflush(stdout);
      std::lock_guard lock(m_Mutex);
      m_Lines.push_back(std::move(line));
      m_Changed.notify_all();
    }
  }
  ::close(fd);
}

std::vector<std::string> ProgramUnderTest::Lines() const {
  std::lock_guard lock(m_Mutex);
  return m_Lines;
}

std::optional<size_t> ProgramUnderTest::WaitForLine(
    size_t from, const std::function<bool(const std::string&)>& match,
    std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_Mutex);
  std::optional<size_t> found;
  m_Changed.wait_for(lock, timeout, [&] {
    for (size_t i = from; i < m_Lines.size(); ++i) {
      if (match(m_Lines[i])) {
        found = i;
        return true;
      }
    }
    return false;
  });
  return found;
}

bool ProgramUnderTest::Running() {
  if (m_Pid <= 0 || m_Status) return false;
  int status = 0;
  const pid_t result = ::waitpid(m_Pid, &status, WNOHANG);
  if (result == m_Pid) {
    m_Status = status;
    return false;
  }
  return result == 0;
}

bool ProgramUnderTest::SendSignal(int signal) { return Running() && ::kill(m_Pid, signal) == 0; }

std::optional<int> ProgramUnderTest::WaitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (Running()) {
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    ::usleep(20 * 1000);
  }
  return m_Status;
}
