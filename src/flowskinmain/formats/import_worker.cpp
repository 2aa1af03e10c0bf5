#include "formats/import_worker.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "formats/descriptor_io.h"
#include "formats/import_reply.h"
#include "formats/read_failure.h"
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
// output (its standard error is the program's), the memory file for the
// file's bytes `file_fd` as its descriptor 3, the one for its answer
// `answer_fd` as 4.
bool StartWorker(const std::vector<std::string>& args, int child_end, int file_fd, int answer_fd, pid_t& pid,
                 std::string& reason) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, child_end, 0);
  posix_spawn_file_actions_adddup2(&actions, 2, 1);  // whatever the library prints goes to standard error
  posix_spawn_file_actions_adddup2(&actions, file_fd, 3);
  posix_spawn_file_actions_adddup2(&actions, answer_fd, 4);
  posix_spawn_file_actions_addclosefrom_np(&actions, 5);
  // A fresh worker touches every page of its memory for the first time; its
  // allocator asks for huge pages, so a large file costs hundreds of page
  // faults instead of tens of thousands (a read of a million triangles took a
  // fifth to a third longer in 4 KiB pages). The program's own tunables are not passed on.
  std::vector<char*> env;
  static char tunables[] = "GLIBC_TUNABLES=glibc.malloc.hugetlb=1";
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "GLIBC_TUNABLES=", 15) != 0) env.push_back(*e);
  env.push_back(tunables);
  env.push_back(nullptr);
  const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (err == 0) return true;
  return Refuse(reason, "The import helper " + args[0] + " cannot be started (" + std::strerror(err) + ")");
}

// The program's side of the conversation: closes its sending side (the file
// went in the memory file), then takes the answer into its head and its
// reason text (the triangles are in the answer memory file).
class TExchange {
 public:
  TExchange(int fd, uint64_t max_corners) : fd_(fd), max_corners_(max_corners) {}

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
    parts_ = {{reason_.data(), reason_.size()}};
  }

  void Fail(const std::string& fault) {
    fault_ = fault;
    state_ = TState::kBadAnswer;
  }

  int fd_;
  uint64_t max_corners_;
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

std::string Failed(const std::string& how) { return "the import library failed on this file (" + how + ")"; }

// The answer memory file of a worker that has answered, mapped into `soup`:
// sealed first (the worker dropped its writable mapping before answering), so
// that nothing still holding it can change or shorten it under the program,
// and exactly as long as the head says. "" when all holds,
// else what is wrong.
std::string MapAnswer(int fd, const TReplyHead& head, TImportedSoup& soup) {
  if (fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0)
    return std::string("its triangles cannot be sealed (") + std::strerror(errno) + ")";
  const uint64_t bytes = AnswerFileBytes(head);
  struct stat st {};
  if (fstat(fd, &st) != 0 || static_cast<uint64_t>(st.st_size) != bytes)
    return "its triangles take " + std::to_string(st.st_size) + " bytes, not " + std::to_string(bytes);
  void* base = mmap(nullptr, bytes, PROT_READ, MAP_SHARED | MAP_POPULATE, fd, 0);
  if (base == MAP_FAILED) return std::string("its triangles cannot be mapped (") + std::strerror(errno) + ")";
  soup.Adopt(base, bytes, head.corner_count, head.has_uv);
  return "";
}

// Fills the memory file with the file's bytes while the worker starts, then
// tells it their count.
bool HandOverFile(int file_fd, int socket_fd, std::string_view bytes) {
  const uint64_t size = bytes.size();
  // No signal should the worker be gone already: its end is told below.
  return WriteAll(file_fd, bytes.data(), bytes.size()) &&
         send(socket_fd, &size, sizeof size, MSG_NOSIGNAL) == sizeof size;
}

}  // namespace

void SetImportWorkerPath(const std::string& path) { WorkerPathSetting() = path; }

std::string ImportWorkerPath() {
  if (!WorkerPathSetting().empty()) return WorkerPathSetting();
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path(".") : exe.parent_path()) / "flowskin-import";
}

void TImportedSoup::Adopt(void* base, size_t bytes, size_t corners, bool uv) {
  Release();
  base_ = base;
  bytes_ = bytes;
  const auto* c = static_cast<const TVec3*>(base);
  const auto* t = reinterpret_cast<const std::array<float, 2>*>(c + corners);
  view_ = TSoupView({c, corners}, {t, uv ? corners : 0});
}

void TImportedSoup::AdoptWorker(int pid) { worker_ = pid; }

void TImportedSoup::Release() {
  if (base_) munmap(base_, bytes_);
  base_ = nullptr;
  bytes_ = 0;
  view_ = TSoupView();
  if (worker_ > 0) {  // it has answered and is ending; a moment, then stopped
    int status = 0;
    WaitForWorker(worker_, TClock::now() + std::chrono::seconds(2), status);
  }
  worker_ = -1;
}

bool ReadSoupInWorker(const std::string& path, std::string_view bytes, TMeshFormat format, const TImportLimits& limits,
                      TImportedSoup& soup, std::string& reason, TWorkerRun* run) {
  TWorkerRun local;
  TWorkerRun& r = run ? *run : local;
  r = TWorkerRun{};
  soup.Release();
  const double memory_mb = MemoryMb(limits);
  std::vector<std::string> args = {
      ImportWorkerPath(),     "--format",    FormatWord(format),           "--name", path, "--seconds",
      Number(limits.seconds), "--memory-mb", Number(std::floor(memory_mb))};
  if (limits.test_fault != TWorkerFault::kNone) args.insert(args.end(), {"--test-fault", FaultWord(limits.test_fault)});
  // The file's bytes go to the worker in a memory file (no file on disk), which
  // it maps, with no copy on its side; its triangles come back in a second one.
  int ends[2] = {-1, -1};
  const int file_fd = memfd_create("flowskin-import", MFD_CLOEXEC);
  const int answer_fd = memfd_create("flowskin-import-answer", MFD_CLOEXEC | MFD_ALLOW_SEALING);
  const auto close_all = [&] {
    for (int fd : {file_fd, answer_fd, ends[0], ends[1]})
      if (fd >= 0) close(fd);
  };
  if (file_fd < 0 || answer_fd < 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    reason = std::string("the import helper cannot be started (") + std::strerror(errno) + ")";
    close_all();
    return false;
  }
  pid_t pid = -1;
  const TClock::time_point deadline =
      TClock::now() + std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(limits.seconds));
  if (!StartWorker(args, ends[1], file_fd, answer_fd, pid, reason)) {
    close_all();
    return false;
  }
  close(ends[1]);
  ends[1] = -1;
  r.pid = pid;
  // While the worker starts (loading the library takes a while), the bytes go in.
  const bool handed = HandOverFile(file_fd, ends[0], bytes);
  const int handover_errno = errno;
  close(file_fd);
  TExchange exchange(ends[0], static_cast<uint64_t>(MeshMemoryLimit() / 20));
  const TExchange::TState state = handed ? exchange.Run(deadline) : TExchange::TState::kClosedEarly;
  close(ends[0]);
  // A whole answer of triangles is taken at once: the worker closed the socket
  // as its last act and is ending; it is waited for when the soup goes.
  if (state == TExchange::TState::kComplete && exchange.head().kind == TReplyKind::kTriangles) {
    const std::string fault = MapAnswer(answer_fd, exchange.head(), soup);
    close(answer_fd);
    if (fault.empty()) {
      r.end = TWorkerEnd::kRead;
      soup.AdoptWorker(pid);
      return true;
    }
    int status = 0;
    kill(pid, SIGKILL);
    WaitForWorker(pid, TClock::now(), status);
    r.end = TWorkerEnd::kBadAnswer;
    return Refuse(reason, Failed("its answer is not readable: " + fault));
  }
  int status = 0;
  if (!handed || state == TExchange::TState::kBadAnswer) kill(pid, SIGKILL);  // it says no more that can be used
  // A worker past its time is stopped at once (WaitForWorker does so at the deadline).
  const bool ended = WaitForWorker(pid, state == TExchange::TState::kTimedOut ? TClock::now() : deadline, status);
  const bool clean = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!handed) {
    r.end = TWorkerEnd::kNotStarted;
    reason = std::string("the import helper cannot be given the file (") + std::strerror(handover_errno) + ")";
  } else if (state == TExchange::TState::kBadAnswer) {
    r.end = TWorkerEnd::kBadAnswer;
    reason = Failed("its answer is not readable: " + exchange.fault());
  } else if (!ended || state == TExchange::TState::kTimedOut) {
    r.end = TWorkerEnd::kTimedOut;
    reason = Failed("it gave up after " + Number(limits.seconds) + " s");
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == kWorkerExitOutOfMemory) {
    r.end = TWorkerEnd::kOutOfMemory;
    reason = Failed("it ran out of memory: more than " + Number(std::floor(memory_mb)) + " MB");
  } else if (!clean || state == TExchange::TState::kClosedEarly || exchange.head().kind != TReplyKind::kRefused) {
    r.end = TWorkerEnd::kCrashed;
    reason = Failed("it crashed");
  } else {
    r.end = TWorkerEnd::kRefused;
    reason = exchange.reason().empty() ? Failed("it gave no reason") : exchange.reason();
  }
  close(answer_fd);
  soup.Release();
  return Refuse(reason, reason);
}
