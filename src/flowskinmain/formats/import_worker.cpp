#include "formats/import_worker.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "formats/import_reply.h"
#include "mesh/loop_subdivision.h"

extern char** environ;

namespace {

std::string& WorkerPathSetting() {
  static std::string path;
  return path;
}

using TClock = std::chrono::steady_clock;

std::string Number(double x) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", x);
  return text;
}

double MemoryMb(const TImportLimits& limits) {
  return limits.memory_mb > 0 ? limits.memory_mb : MeshMemoryLimit() / (1024.0 * 1024.0);
}

const char* FaultWord(TWorkerFault fault) {
  switch (fault) {
    case TWorkerFault::kCrash:
      return "crash";
    case TWorkerFault::kHang:
      return "hang";
    case TWorkerFault::kMemory:
      return "memory";
    case TWorkerFault::kNone:
      break;
  }
  return "";
}

// One worker started on a socket whose other end is its standard input and
// output (its standard error is the program's), the file's bytes in the
// memory file `file_fd` as its descriptor 3.
bool StartWorker(const std::vector<std::string>& args, int child_end, int file_fd, pid_t& pid, std::string& reason) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, child_end, 0);
  posix_spawn_file_actions_adddup2(&actions, 2, 1);  // whatever the library prints goes to standard error
  posix_spawn_file_actions_adddup2(&actions, file_fd, 3);
  posix_spawn_file_actions_addclosefrom_np(&actions, 4);
  const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err == 0) return true;
  reason = "the import helper " + args[0] + " cannot be started (" + std::strerror(err) + ")";
  return false;
}

// The program's side of the conversation: closes its sending side (the file
// went in the memory file), then takes the answer into its head, its reason
// text and the soup's arrays.
class TExchange {
 public:
  TExchange(int fd, uint64_t max_corners, TTriangleSoup& soup) : fd_(fd), max_corners_(max_corners), soup_(soup) {}

  enum class TState { kRunning, kComplete, kClosedEarly, kBadAnswer, kTimedOut };

  // Runs until the answer is complete and the worker has closed its side,
  // the worker closes early, the answer is malformed or `deadline` passes.
  TState Run(TClock::time_point deadline) {
    shutdown(fd_, SHUT_WR);
    while (state_ == TState::kRunning) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
      if (left <= 0) return TState::kTimedOut;
      pollfd p{fd_, POLLIN, 0};
      const int n = poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000)));
      if (n < 0 && errno != EINTR) return TState::kClosedEarly;
      if (n > 0) Receive();
    }
    return state_;
  }

  const TReplyHead& head() const { return head_; }
  const std::string& reason() const { return reason_; }
  const std::string& fault() const { return fault_; }

 private:
  // Where the next bytes of the answer go, or nullptr past its end.
  char* Target(size_t& room) {
    if (!head_done_) return room = kReplyHeadBytes - head_got_, head_buf_ + head_got_;
    while (part_ < parts_.size() && got_ == parts_[part_].second) ++part_, got_ = 0;
    if (part_ == parts_.size()) return room = 0, nullptr;
    return room = parts_[part_].second - got_, parts_[part_].first + got_;
  }

  void Receive() {
    size_t room = 0;
    char spare[64];
    char* at = Target(room);
    if (!at) at = spare, room = sizeof spare;  // past the answer: only the end may come
    const ssize_t n = recv(fd_, at, room, MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    if (n <= 0) {  // the worker closed its side (or is gone)
      Target(room);
      state_ = head_done_ && part_ == parts_.size() ? TState::kComplete : TState::kClosedEarly;
      return;
    }
    if (at == spare) return Fail("the answer goes on past its end");
    if (!head_done_) {
      head_got_ += static_cast<size_t>(n);
      if (head_got_ == kReplyHeadBytes) TakeHead();
    } else {
      got_ += static_cast<size_t>(n);
    }
  }

  void TakeHead() {
    head_done_ = true;
    fault_ = DecodeReplyHead(std::string_view(head_buf_, kReplyHeadBytes), max_corners_, head_);
    if (!fault_.empty()) return Fail(fault_);
    reason_.resize(head_.reason_bytes);
    soup_.corners.resize(head_.corner_count);
    soup_.uv.resize(head_.has_uv ? head_.corner_count : 0);
    parts_ = {{reason_.data(), reason_.size()},
              {reinterpret_cast<char*>(soup_.corners.data()), soup_.corners.size() * sizeof(TVec3)},
              {reinterpret_cast<char*>(soup_.uv.data()), soup_.uv.size() * sizeof(soup_.uv[0])}};
  }

  void Fail(const std::string& fault) {
    fault_ = fault;
    state_ = TState::kBadAnswer;
  }

  int fd_;
  uint64_t max_corners_;
  TTriangleSoup& soup_;
  TState state_ = TState::kRunning;
  char head_buf_[kReplyHeadBytes] = {};
  size_t head_got_ = 0;
  bool head_done_ = false;
  TReplyHead head_;
  std::string reason_, fault_;
  std::vector<std::pair<char*, size_t>> parts_;
  size_t part_ = 0, got_ = 0;
};

// Waits for the worker to end until `deadline`; then stops it. True when it
// ended by itself.
bool WaitForWorker(pid_t pid, TClock::time_point deadline, int& status) {
  for (;;) {
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno != EINTR) return false;  // not ours to wait for any more: nothing to stop
    if (TClock::now() >= deadline) break;
    usleep(1000);
  }
  kill(pid, SIGKILL);
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return false;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

std::string Failed(const std::string& how) { return "the import library failed on this file (" + how + ")"; }

}  // namespace

void SetImportWorkerPath(const std::string& path) { WorkerPathSetting() = path; }

std::string ImportWorkerPath() {
  if (!WorkerPathSetting().empty()) return WorkerPathSetting();
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path(".") : exe.parent_path()) / "flowskin-import";
}

bool ReadSoupInWorker(const std::string& path, std::string_view bytes, TMeshFormat format, const TImportLimits& limits,
                      TTriangleSoup& soup, std::string& reason, TWorkerRun* run) {
  TWorkerRun local;
  TWorkerRun& r = run ? *run : local;
  r = TWorkerRun{};
  soup = TTriangleSoup{};
  const double memory_mb = MemoryMb(limits);
  std::vector<std::string> args = {
      ImportWorkerPath(),     "--format",    FormatWord(format),           "--name", path, "--seconds",
      Number(limits.seconds), "--memory-mb", Number(std::floor(memory_mb))};
  if (limits.test_fault != TWorkerFault::kNone) args.insert(args.end(), {"--test-fault", FaultWord(limits.test_fault)});
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    reason = std::string("the import helper cannot be started (") + std::strerror(errno) + ")";
    return false;
  }
  // Large buffers: the triangles cross in fewer, larger steps.
  const int buffer = 4 << 20;
  for (int end : ends) {
    setsockopt(end, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    setsockopt(end, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  }
  // The file's bytes go to the worker in a memory file (no file on disk): it
  // maps them, with no copy on its side.
  const int file_fd = memfd_create("flowskin-import", MFD_CLOEXEC);
  if (file_fd < 0 || !WriteAll(file_fd, bytes)) {
    reason = std::string("the import helper cannot be started (") + std::strerror(errno) + ")";
    if (file_fd >= 0) close(file_fd);
    close(ends[0]);
    close(ends[1]);
    return false;
  }
  pid_t pid = -1;
  const TClock::time_point deadline =
      TClock::now() + std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(limits.seconds));
  const bool started = StartWorker(args, ends[1], file_fd, pid, reason);
  close(ends[1]);
  close(file_fd);
  if (!started) {
    close(ends[0]);
    return false;
  }
  r.pid = pid;
  // The soup and the mesh joined from it take about 20 bytes a corner and more.
  TExchange exchange(ends[0], static_cast<uint64_t>(MeshMemoryLimit() / 20), soup);
  const TExchange::TState state = exchange.Run(deadline);
  close(ends[0]);
  int status = 0;
  if (state == TExchange::TState::kBadAnswer) kill(pid, SIGKILL);  // it says no more that can be used
  // A worker past its time is stopped at once (WaitForWorker does so at the deadline).
  const bool ended = WaitForWorker(pid, state == TExchange::TState::kTimedOut ? TClock::now() : deadline, status);
  const bool clean = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (state == TExchange::TState::kBadAnswer) {
    r.end = TWorkerEnd::kBadAnswer;
    reason = Failed("its answer is not readable: " + exchange.fault());
  } else if (!ended || state == TExchange::TState::kTimedOut) {
    r.end = TWorkerEnd::kTimedOut;
    reason = Failed("it gave up after " + Number(limits.seconds) + " s");
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kWorkerExitOutOfMemory) {
    r.end = TWorkerEnd::kOutOfMemory;
    reason = Failed("it ran out of memory: more than " + Number(std::floor(memory_mb)) + " MB");
  } else if (!clean || state == TExchange::TState::kClosedEarly) {
    r.end = TWorkerEnd::kCrashed;
    reason = Failed("it crashed");
  } else if (exchange.head().kind == TReplyKind::kRefused) {
    r.end = TWorkerEnd::kRefused;
    reason = exchange.reason().empty() ? Failed("it gave no reason") : exchange.reason();
  } else {
    r.end = TWorkerEnd::kRead;
    return true;
  }
  soup = TTriangleSoup{};
  return false;
}
