#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/linux/session/xdg_autostart.h"

namespace {

// An entry written by hand or by a desktop is a few hundred bytes; anything
// larger is not read.
constexpr off_t kLargestEntry = 64 * 1024;

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

[[noreturn]] void ThrowWriteError(const std::string& path, int error) {
  throw std::runtime_error("Cannot write the autostart entry " + path + ": " +
                           std::strerror(error));
}

// The home folder the password database gives the user, for a session
// started without HOME (a service, `env -i`); empty when it has none.
std::string HomeFromPasswordDatabase() {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  if (size <= 0) size = 16384;
  std::vector<char> buffer(static_cast<size_t>(size));
  passwd entry{};
  passwd* found = nullptr;
  while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
         buffer.size() < (1u << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  if (found == nullptr || found->pw_dir == nullptr || found->pw_dir[0] != '/') return {};
  return found->pw_dir;
}

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

}  // namespace

std::string AutostartFolder() {
  // An empty or relative XDG_CONFIG_HOME is invalid and ignored, as the
  // base-directory rules say.
  const char* configHome = std::getenv("XDG_CONFIG_HOME");
  if (IsAbsolute(configHome)) {
    return std::string(configHome) + "/autostart";
  }
  const char* home = std::getenv("HOME");
  const std::string homeFolder = IsAbsolute(home) ? std::string(home) : HomeFromPasswordDatabase();
  if (homeFolder.empty()) return {};
  return homeFolder + "/.config/autostart";
}

std::string AutostartEntryPath(std::string_view name) {
  const std::string folder = AutostartFolder();
  if (folder.empty()) return {};
  return folder + "/" + std::string(name) + ".desktop";
}

bool AutostartEntryContentIsSet(std::string_view content) {
  bool inMainGroup = false;
  bool hidden = false;
  bool disabled = false;
  bool hasExec = false;
  std::istringstream lines{std::string(content)};
  for (std::string raw; std::getline(lines, raw);) {
    const std::string_view line = Trim(raw);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      inMainGroup = (line == "[Desktop Entry]");
      continue;
    }
    if (!inMainGroup) {
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      continue;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key == "Hidden") {
      hidden = (value == "true");
    } else if (key == "X-GNOME-Autostart-enabled") {
      disabled = (value == "false");
    } else if (key == "Exec") {
      hasExec = !value.empty();
    }
  }
  return hasExec && !hidden && !disabled;
}

bool IsAutoStartSet(std::string_view name) {
  // Whatever lies at the name is opened without waiting for a writer (a
  // FIFO) or taking a terminal, and read only when it is a plain file of an
  // entry's size: a device or an endless file would hold up the start.
  const int fd =
      open(AutostartEntryPath(name).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  struct stat status {};
  bool set = false;
  if (fstat(fd, &status) != 0) {
    // unknown: not set, as when nothing is there
  } else if (!S_ISREG(status.st_mode) || status.st_size > kLargestEntry) {
    set = true;  // a foreign entry: it counts as set, and a click removes it
  } else {
    std::string content(static_cast<size_t>(kLargestEntry) + 1, '\0');
    size_t length = 0;
    while (length < content.size()) {
      const ssize_t n = read(fd, content.data() + length, content.size() - length);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        break;
      }
      length += static_cast<size_t>(n);
    }
    // A file that grew past the limit while it was read is foreign as well.
    set = length > static_cast<size_t>(kLargestEntry) ||
          AutostartEntryContentIsSet(std::string_view(content.data(), length));
  }
  close(fd);
  return set;
}

std::string DesktopExecValue(std::string_view executable) {
  // Quoted argument: ", `, $ and \ take a backslash; % is doubled because
  // Exec reserves it for field codes.
  std::string quoted = "\"";
  for (const char c : executable) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') {
      quoted += '\\';
    }
    if (c == '%') {
      quoted += '%';
    }
    quoted += c;
  }
  quoted += '"';
  // Then the escapes of a desktop-entry string value.
  std::string value;
  for (const char c : quoted) {
    switch (c) {
      case '\\':
        value += "\\\\";
        break;
      case '\n':
        value += "\\n";
        break;
      case '\t':
        value += "\\t";
        break;
      case '\r':
        value += "\\r";
        break;
      default:
        value += c;
    }
  }
  return value;
}

std::string AutostartEntryContent(std::string_view name, std::string_view executable) {
  std::string content;
  content += "[Desktop Entry]\n";
  content += "Type=Application\n";
  content += "Name=" + std::string(name) + "\n";
  content += "Comment=Shows the mode changes of the keyboard and the mouse\n";
  content += "Exec=" + DesktopExecValue(executable) + "\n";
  content += "Icon=corvane-notification\n";
  content += "Terminal=false\n";
  content += "X-GNOME-Autostart-enabled=true\n";
  return content;
}

void WriteAutostartEntry(std::string_view name, std::string_view executable) {
  const std::string folder = AutostartFolder();
  const std::string path = AutostartEntryPath(name);
  if (folder.empty()) {
    throw std::runtime_error("Cannot write the autostart entry: the user has no home folder");
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    ThrowWriteError(folder, error.value());
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    ThrowWriteError(path, errno);
  }
  const std::string content = AutostartEntryContent(name, executable);
  size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = write(fd, content.data() + written, content.size() - written);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      const int saved = errno;
      close(fd);
      unlink(temporary.c_str());
      ThrowWriteError(path, saved);
    }
    written += static_cast<size_t>(n);
  }
  fchmod(fd, 0644);
  if (fsync(fd) != 0 || close(fd) != 0) {
    const int saved = errno;
    unlink(temporary.c_str());
    ThrowWriteError(path, saved);
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    unlink(temporary.c_str());
    ThrowWriteError(path, saved);
  }
}

void RemoveAutostartEntry(std::string_view name) {
  const std::string path = AutostartEntryPath(name);
  if (path.empty()) return;  // no home folder: no entry either
  // Nothing there (or no folder for it) is what removing wants; any other
  // failure leaves the entry, which still starts the program at login.
  if (unlink(path.c_str()) != 0 && errno != ENOENT && errno != ENOTDIR) {
    ThrowWriteError(path, errno);
  }
}
