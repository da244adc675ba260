#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

extern char** environ;

namespace korven::e2e {
namespace {

namespace fs = std::filesystem;

constexpr auto kRunTimeout = std::chrono::seconds(60);
constexpr char kDefaultWinePrefix[] = "/tmp/korven-wineprefix";

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

// Debian installs the 64-bit loader outside PATH; "wine" picks it for a
// 64-bit program too.
std::string WineLoader() {
  std::string loader = EnvOr("KORVEN_WINE", FindInPath("wine64"));
  if (loader.empty() && access("/usr/lib/wine/wine64", X_OK) == 0) loader = "/usr/lib/wine/wine64";
  if (loader.empty()) loader = FindInPath("wine");
  return loader;
}

// The wine server that goes with the loader: beside it, else on PATH.
std::string WineServer(const std::string& loader) {
  std::error_code error;
  fs::path directory = fs::canonical(loader, error).parent_path();
  for (const char* name : {"wineserver64", "wineserver"}) {
    if (!error && access((directory / name).c_str(), X_OK) == 0) return (directory / name).string();
  }
  return FindInPath("wineserver");
}

// The command line that starts the program, empty when it is not configured.
std::vector<std::string> ProgramCommand() {
  if (!UnderWine()) return {KORVEN_NATIVE_BINARY};
  // ctest runs tests inside the build directory: resolve KORVEN_EXE before any chdir.
  static const std::string exe = [] {
    std::error_code error;
    fs::path resolved = fs::absolute(EnvOr("KORVEN_EXE", ""), error);
    return error || !fs::exists(resolved) ? std::string() : resolved.string();
  }();
  static const std::string loader = WineLoader();
  if (exe.empty() || loader.empty()) return {};
  return {loader, exe};
}

std::vector<std::string> ChildEnvironment(const std::vector<std::pair<std::string, std::string>>& env) {
  std::vector<std::pair<std::string, std::string>> settings = env;
  if (UnderWine()) {
    // A private prefix made once; no debug chatter on standard error; no
    // offer to install Mono or Gecko when the prefix is first made.
    // Host names read as UTF-8 and the program's code page 1252, whatever
    // the machine's locale (in the C locale Wine mangles non-ASCII names).
    settings.insert(settings.begin(), {{"WINEDEBUG", "-all"},
                                       {"WINEPREFIX", EnvOr("KORVEN_WINEPREFIX", kDefaultWinePrefix)},
                                       {"WINEDLLOVERRIDES", "mscoree,mshtml="},
                                       {"LC_ALL", "C.UTF-8"}});
  }
  auto overridden = [&settings](const std::string& name) {
    if (name == "RESET" || name == "SILENT" || name == "ACCT") return true;
    return std::any_of(settings.begin(), settings.end(),
                       [&name](const auto& setting) { return setting.first == name; });
  };
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    if (!overridden(text.substr(0, text.find('=')))) result.push_back(text);
  }
  // A later setting of the same name wins, so the caller's overrides ours.
  for (auto setting = settings.rbegin(); setting != settings.rend(); ++setting) {
    std::string text = setting->first + "=" + setting->second;
    bool seen = std::any_of(result.begin(), result.end(), [&setting](const std::string& kept) {
      return kept.compare(0, setting->first.size() + 1, setting->first + "=") == 0;
    });
    if (!seen) result.push_back(text);
  }
  return result;
}

std::vector<char*> CStrings(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& text : strings) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

std::string WithoutCarriageReturns(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

// Reads what is waiting on `fd` into `sink`; false once the pipe is at its end.
bool Drain(int fd, std::string* sink) {
  char buffer[65536];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got > 0) {
      sink->append(buffer, static_cast<size_t>(got));
    } else if (got == 0) {
      return false;
    } else {
      return errno == EAGAIN || errno == EINTR;
    }
  }
}

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

// Runs `argv` in `cwd` with exactly `envp`, feeding `stdinText`; sends
// `signalNumber` after `interruptAfter` when that is positive.
RunResult RunCommand(std::vector<std::string> argv, const std::string& cwd, std::vector<std::string> envp,
                     const std::string& stdinText,
                     std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0),
                     int signalNumber = SIGINT) {
  RunResult result;
  std::vector<char*> argvPointers = CStrings(argv);
  std::vector<char*> envpPointers = CStrings(envp);

  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << strerror(errno);
    return result;
  }
  // A program that stops reading its input must not kill the test.
  signal(SIGPIPE, SIG_IGN);
  pid_t pid = fork();
  if (pid == 0) {
    // Own process group, so a timeout also ends what the program started.
    setpgid(0, 0);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    execve(argvPointers[0], argvPointers.data(), envpPointers.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << strerror(errno);
    close(in[1]);
    close(out[0]);
    close(err[0]);
    return result;
  }

  int toChild = in[1], fromOut = out[0], fromErr = err[0];
  for (int fd : {toChild, fromOut, fromErr}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  size_t written = 0;
  if (stdinText.empty()) CloseFd(&toChild);

  auto started = std::chrono::steady_clock::now();
  auto deadline = started + kRunTimeout;
  bool interruptPending = interruptAfter.count() > 0;
  int waitStatus = 0;
  bool exited = false;
  while (!exited) {
    if (interruptPending && std::chrono::steady_clock::now() - started >= interruptAfter) {
      kill(pid, signalNumber);
      interruptPending = false;
    }
    // A helper the program left running (wineserver) may hold the pipes
    // open, so the run ends when the process does, not at end of output.
    exited = waitpid(pid, &waitStatus, WNOHANG) == pid;
    if (!exited && std::chrono::steady_clock::now() > deadline) {
      result.timedOut = true;
      // Where it hangs, for the log: the stacks of its threads (not of gdb's).
      if (const std::string gdb = FindInPath("gdb"); !gdb.empty() && argv.front() != gdb) {
        result.err += "\n-- ran too long; its threads:\n";
        result.err += RunCommand({gdb, "-p", std::to_string(pid), "-batch", "-ex", "thread apply all bt"}, "/", envp, "").out;
      }
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      waitpid(pid, &waitStatus, 0);
      exited = true;
    }
    struct pollfd fds[3] = {{fromOut, POLLIN, 0}, {fromErr, POLLIN, 0}, {toChild, POLLOUT, 0}};
    poll(fds, 3, exited ? 0 : 20);
    if (fromOut >= 0 && !Drain(fromOut, &result.out)) CloseFd(&fromOut);
    if (fromErr >= 0 && !Drain(fromErr, &result.err)) CloseFd(&fromErr);
    if (toChild >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      ssize_t put = write(toChild, stdinText.data() + written, stdinText.size() - written);
      if (put > 0) written += static_cast<size_t>(put);
      if ((put < 0 && errno != EAGAIN && errno != EINTR) || written == stdinText.size()) CloseFd(&toChild);
    }
  }
  CloseFd(&toChild);
  CloseFd(&fromOut);
  CloseFd(&fromErr);

  if (WIFEXITED(waitStatus)) {
    result.status = WEXITSTATUS(waitStatus);
  } else if (WIFSIGNALED(waitStatus)) {
    result.status = 128 + WTERMSIG(waitStatus);
  }
  return result;
}

// Wine announces on standard error that it made or updated a prefix: do
// that once before the first run, so no test sees it.
void PrepareWinePrefix(const std::string& loader) {
  static bool prepared = false;
  if (prepared) return;
  prepared = true;
  std::string prefix = EnvOr("KORVEN_WINEPREFIX", kDefaultWinePrefix);
  std::string server = WineServer(loader);
  if (!fs::exists(prefix + "/system.reg")) {
    RunResult boot = RunCommand({loader, "wineboot"}, "/", ChildEnvironment({}), "");
    if (boot.status != 0) ADD_FAILURE() << "wineboot failed: " << boot.err;
    // Let the server wineboot started finish saving the new prefix.
    if (!server.empty()) RunCommand({server, "-w"}, "/", ChildEnvironment({}), "");
  }
  // A server left to exit after each run can drop the next run's connection
  // ("recvmsg: Connection reset by peer"): keep one up until the suite has
  // been idle for a minute.
  if (!server.empty()) RunCommand({server, "-p60"}, "/", ChildEnvironment({}), "");
}

}  // namespace

std::string FindInPath(const std::string& program) {
  std::string path = EnvOr("PATH", "/usr/bin:/bin");
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string candidate = path.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

bool UnderWine() { return EnvOr("KORVEN_E2E_TARGET", "") == "wine"; }

TempTree::TempTree() {
  char name[] = "/tmp/kv-XXXXXX";
  if (mkdtemp(name) == nullptr) {
    ADD_FAILURE() << "mkdtemp: " << strerror(errno);
    return;
  }
  root_ = name;
}

TempTree::~TempTree() {
  if (root_.empty()) return;
  // Tests may leave read-only directories behind; open them up so they can go.
  // A deep tree is left to rm, which removes any depth through directory
  // descriptors, where the library hands the kernel whole paths.
  constexpr int kDeep = 64;
  std::error_code error;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
  bool deep = false;
  for (auto it = fs::recursive_directory_iterator(root_, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    deep = it.depth() > kDeep;
    if (deep) break;
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  if (!deep) fs::remove_all(root_, error);
  if (deep || error || fs::exists(root_)) RunCommand({"/bin/rm", "-rf", root_}, "/", ChildEnvironment({}), "");
}

std::string TempTree::Path(const std::string& relative) const { return root_ + "/" + relative; }

void TempTree::AddFile(const std::string& relative, const std::string& contents) {
  fs::path path = Path(relative);
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  file.close();
  if (!file) ADD_FAILURE() << "cannot write " << path;
}

void TempTree::AddFileOfSize(const std::string& relative, uint64_t size) {
  std::string contents(size, '\0');
  for (uint64_t i = 0; i < size; ++i) contents[i] = static_cast<char>((i * 31 + (i >> 8)) & 0xFF);
  AddFile(relative, contents);
}

void TempTree::AddDirectory(const std::string& relative) {
  std::error_code error;
  fs::create_directories(Path(relative), error);
  if (error) ADD_FAILURE() << "cannot make " << Path(relative) << ": " << error.message();
}

void TempTree::AddDeepFile(const std::vector<std::string>& dirs, const std::string& name,
                           const std::string& contents) {
  int dir = open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  for (const std::string& sub : dirs) {
    if (dir < 0) break;
    mkdirat(dir, sub.c_str(), 0755);
    int next = openat(dir, sub.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(dir);
    dir = next;
  }
  int file = dir < 0 ? -1 : openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file < 0 || write(file, contents.data(), contents.size()) != static_cast<ssize_t>(contents.size())) {
    ADD_FAILURE() << "cannot make " << name << " " << dirs.size() << " directories deep: " << strerror(errno);
  }
  if (file >= 0) close(file);
  if (dir >= 0) close(dir);
}

void TempTree::SetTimes(const std::string& relative, time_t write, time_t access) {
  struct timespec times[2] = {{access, 0}, {write, 0}};
  if (utimensat(AT_FDCWD, Path(relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    ADD_FAILURE() << "utimensat " << Path(relative) << ": " << strerror(errno);
  }
}

namespace {

RunResult RunProgram(const std::vector<std::string>& args, const std::string& cwd,
                     const std::vector<std::pair<std::string, std::string>>& env, const std::string& stdinText,
                     std::chrono::milliseconds interruptAfter, int signalNumber) {
  std::vector<std::string> argv = ProgramCommand();
  if (argv.empty()) {
    ADD_FAILURE() << "KORVEN_E2E_TARGET=wine needs KORVEN_EXE naming korven.exe and a wine loader";
    return RunResult();
  }
  if (UnderWine()) PrepareWinePrefix(argv.front());
  argv.insert(argv.end(), args.begin(), args.end());
  const std::vector<std::string> envp = ChildEnvironment(env);
  RunResult result = RunCommand(argv, cwd, envp, stdinText, interruptAfter, signalNumber);
  // Now and then (once in some thousands of runs) Wine ends a process before
  // the program starts, with status 1 and not a word on either stream; a
  // crash of the program shows status 3 or 5 and a message. Such a run is
  // made once more, and the log says so.
  if (UnderWine() && result.status == 1 && result.out.empty() && result.err.empty() && !result.timedOut &&
      stdinText.empty() && interruptAfter.count() == 0) {
    std::string line;
    for (const std::string& arg : args) line += " " + arg;
    fprintf(stderr, "[ WINE     ] ended with status 1 and no output, run again:%s\n", line.c_str());
    result = RunCommand(argv, cwd, envp, stdinText, interruptAfter, signalNumber);
  }
  if (UnderWine()) {
    result.out = WithoutCarriageReturns(result.out);
    result.err = WithoutCarriageReturns(result.err);
  }
  return result;
}

}  // namespace

RunResult RunKorven(const std::vector<std::string>& args, const std::string& cwd,
                    const std::vector<std::pair<std::string, std::string>>& env,
                    const std::string& stdinText) {
  return RunProgram(args, cwd, env, stdinText, std::chrono::milliseconds(0), SIGINT);
}

RunResult RunKorvenCopiedTo(const std::string& copy, const std::vector<std::string>& args, const std::string& cwd) {
  std::error_code error;
  fs::copy_file(KORVEN_NATIVE_BINARY, copy, fs::copy_options::overwrite_existing, error);
  if (error) {
    ADD_FAILURE() << "cannot copy the program to " << copy << ": " << error.message();
    return RunResult();
  }
  std::vector<std::string> argv = {copy};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunCommand(argv, cwd, ChildEnvironment({}), "");
}

RunResult RunKorvenInterrupted(const std::vector<std::string>& args, const std::string& cwd,
                               std::chrono::milliseconds after, int signalNumber) {
  return RunProgram(args, cwd, {}, "", after, signalNumber);
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return WithoutCarriageReturns(text);
}

std::string HostPath(const std::string& path) {
  if (!UnderWine()) return path;
  std::string result = path.starts_with("/") ? "Z:" + path : path;
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

namespace {

// UTF-8 `text` in code page 1252, '?' for a character it cannot hold. The
// names of the tests need only its Latin-1 half.
std::string InCodePage1252(const std::string& text) {
  std::string result;
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3F);
    result += code < 0x80 || (code >= 0xA0 && code <= 0xFF) ? static_cast<char>(code) : '?';
    i += length;
  }
  return result;
}

}  // namespace

std::string ListedName(const std::string& path) {
  std::string result = UnderWine() ? InCodePage1252(HostPath(path)) : HostPath(path);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::vector<std::string> TracedWrites(const std::vector<std::string>& args, const std::string& cwd,
                                      std::string* why) {
  std::vector<std::string> writes;
  std::string strace = FindInPath("strace");
  std::vector<std::string> program = ProgramCommand();
  if (strace.empty() || program.empty()) {
    *why = strace.empty() ? "strace is not installed" : "no program to run";
    return writes;
  }
  if (UnderWine()) PrepareWinePrefix(program.front());
  TempTree scratch;
  const std::string trace = scratch.Path("trace");
  // The shell puts both streams on /dev/null and becomes strace.
  std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$@\" >/dev/null 2>&1", "sh", strace, "-f", "-y",
                                   "-qq", "-e", "trace=write,writev", "-o", trace};
  argv.insert(argv.end(), program.begin(), program.end());
  argv.insert(argv.end(), args.begin(), args.end());
  RunResult result = RunCommand(argv, cwd, ChildEnvironment({}), "");
  std::ifstream in(trace);
  for (std::string line; std::getline(in, line);) {
    if (line.find("write") != std::string::npos) writes.push_back(line);
  }
  if (result.status != 0 || writes.empty()) {
    *why = "strace could not trace the program (status " + std::to_string(result.status) + ")";
    writes.clear();
  }
  return writes;
}

LockedFile::LockedFile(const std::string& path) {
  if (!UnderWine()) {
    if (geteuid() == 0) {
      why_ = "running as root, which opens any file: nothing can lock one natively";
    } else if (chmod(path.c_str(), 0) != 0) {
      why_ = "chmod " + path + ": " + strerror(errno);
    }
    return;
  }
  std::vector<std::string> program = ProgramCommand();
  std::string holder = program.empty() ? "" : (fs::path(program.back()).parent_path() / "korven_hold_file.exe").string();
  if (holder.empty() || !fs::exists(holder)) {
    why_ = "korven_hold_file.exe is not beside KORVEN_EXE (the Win32 build makes it)";
    return;
  }
  PrepareWinePrefix(program.front());
  std::vector<std::string> argv = {program.front(), holder, HostPath(path)};
  std::vector<std::string> envp = ChildEnvironment({});
  std::vector<char*> argvPointers = CStrings(argv);
  std::vector<char*> envpPointers = CStrings(envp);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
    why_ = std::string("pipe: ") + strerror(errno);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    execve(argvPointers[0], argvPointers.data(), envpPointers.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  toHolder_ = in[1];
  // The holder says "held" once no one else can open the file.
  std::string said;
  auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
  while (said.find("held") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    struct pollfd ready = {out[0], POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    char buffer[256];
    ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got <= 0) break;
    said.append(buffer, static_cast<size_t>(got));
  }
  close(out[0]);
  if (said.find("held") == std::string::npos) why_ = "the holder did not hold " + path + ": " + said;
}

LockedFile::~LockedFile() {
  if (toHolder_ >= 0) close(toHolder_);
  if (pid_ <= 0) return;
  auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
  while (waitpid(pid_, nullptr, WNOHANG) != pid_) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    usleep(10000);
  }
}

}  // namespace korven::e2e
