// The window soak: random user actions on the real main window for a set
// time, from a fixed seed, watching that the window keeps answering.
//
//   soak_window --seconds N --seed S [--last K] [--limit-ms L] [--rss-mb M]
//
// Every action is a user's: clicks on every kind of control (buttons, check
// boxes, radio buttons, lists, up-down arrows, colour swatches answered by
// scripted colour dialogs, tabs, the slider), typing into every edit box
// (good numbers, bad text, nothing, huge values), the presets, drags and the
// wheel in the view, flow sources added and their glyphs dragged, meshes of
// every format loaded good and broken (by the dialog, Ctrl+O or a drop),
// time steps, pictures, sequences and movies saved to good and bad places,
// pictures loaded for the map image, window resizes, "Full window", "Run"
// on and off, the keys and the "?" menu. Dialogs are answered by scripted
// ones; the messages the window shows are counted.
//
// Watched meanwhile: a timer ticking every 50 ms must never wait more than
// --limit-ms (1000; 3000 in the sanitizer build) beyond its interval, except
// during a mesh load, which must show its busy indicator once it takes
// longer than the window's delay for it; no modal window may open outside
// the scripted dialogs; the resident memory at rest at the end may exceed
// that at rest at the reference time (60 s, or a fifth of a shorter run) by
// at most --rss-mb (50; the sanitizer build compares the heap in use). An
// event loop that stops, or an action that does not return, ends the run
// after --hang-s.
//
// An action is a user's inputs one after the other: each key, click, press,
// move and release is one step, and the driver runs one step per turn of the
// event loop, as a user's inputs arrive; a wait of the loop then belongs to
// the one input that caused it.
//
// Actions are drawn from std::mt19937 seeded with S: the kind of each action
// and a seed of its own for its details, so that the same seed gives the same
// actions as far as the window gets into the same states. On failure the seed,
// the action count and the last K actions are printed.
#include <signal.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "flow/view_unproject.h"
#include "formats/import_worker.h"
#include "glpanel/glpanel.h"
#include "mesh/heap_limits.h"
#include "soak/soak_files.h"
#include "soak/soak_watch.h"
#include "support/crash_trace.h"
#include "support/scripted_dialogs.h"
#include "window/form1.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

// The sanitizer build runs our code several times slower, and its allocator
// keeps freed memory in quarantine and caches of its own, so that resident
// memory there grows with what the sanitizer keeps: its run allows waits of
// 3 s and measures the memory the program holds (the allocator's count).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

struct TOptions {
  int seconds = 60;
  uint32_t seed = 1;
  int last = 30;                                // actions printed on failure
  int64_t limit_ms = kSanitized ? 3000 : 1000;  // longest wait of the event loop allowed
  double rss_mb = 50;                           // growth of the memory allowed (resident; sanitizers: held)
  int hang_s = 120;                             // an event loop or action stuck this long ends the run
  std::string worker = FLOWSKIN_IMPORT_WORKER;  // the import worker program
  int heap_profile = 0;     // sanitizer builds: the stacks holding this per cent of the heap at the end
  bool quick_exit = false;  // ends with _exit after the report: a heap profiler lists what is held at rest
};

// For the crash handlers: what to print when the process dies.
soak::TActionRing g_ring;
std::atomic<uint32_t> g_seed{0};
std::atomic<int64_t> g_actions{0};
std::atomic<int> g_last{30};

// Qt's own warnings go to the log, but for the one of each mouse move that
// leaves the view on purpose, which is counted.
int g_outside_moves = 0;
void OnQtMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (text.contains("occurs outside target window")) {
    ++g_outside_moves;
    return;
  }
  std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "Qt warning: " : "Qt: ", qPrintable(text));
  if (type == QtFatalMsg) std::abort();
}

void WriteCrashReport() {
  char head[160];
  const int n = std::snprintf(head, sizeof head, "\nsoak_window died: seed %u, %lld actions; the last actions:\n",
                              g_seed.load(), static_cast<long long>(g_actions.load()));
  if (write(STDERR_FILENO, head, size_t(n)) < 0) return;
  g_ring.WriteTo(STDERR_FILENO, g_last.load());
}

#if !defined(__SANITIZE_ADDRESS__)
void OnCrashSignal(int sig) {
  WriteCrashReport();
  PrintCrashTrace(sig);
}
#endif

constexpr const char* kStartMesh = FLOWSKIN_EXAMPLES_DIR "/torus_flow.ply";

int64_t SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

enum class TKind {
  kClick,
  kType,
  kPreset,
  kDrag,
  kWheel,
  kSource,
  kLoad,
  kTime,
  kSavePicture,
  kSaveSequence,
  kLoadPicture,
  kResize,
  kFullWindow,
  kRun,
  kKeys,
  kHelp,
  kTab,
  kDrop,
  kIdle,
};

struct TKindWeight {
  TKind kind;
  const char* name;
  int weight;
};

constexpr TKindWeight kKinds[] = {
    {TKind::kClick, "click", 26},      {TKind::kType, "type", 18},
    {TKind::kPreset, "preset", 6},     {TKind::kDrag, "drag", 8},
    {TKind::kWheel, "wheel", 4},       {TKind::kSource, "source", 6},
    {TKind::kLoad, "load", 6},         {TKind::kTime, "time", 4},
    {TKind::kSavePicture, "save", 3},  {TKind::kSaveSequence, "sequence", 3},
    {TKind::kLoadPicture, "image", 2}, {TKind::kResize, "resize", 3},
    {TKind::kFullWindow, "full", 2},   {TKind::kRun, "run", 3},
    {TKind::kKeys, "key", 3},          {TKind::kHelp, "help", 1},
    {TKind::kTab, "tab", 3},           {TKind::kDrop, "drop", 1},
    {TKind::kIdle, "idle", 3},
};

// Picks from a vector with the action's generator.
template <typename T>
const T& Pick(std::mt19937& r, const std::vector<T>& from) {
  return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(r)];
}
int Uniform(std::mt19937& r, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(r); }
bool Chance(std::mt19937& r, double p) { return std::uniform_real_distribution<double>(0, 1)(r) < p; }

// One input of an action; the driver runs one per turn of the event loop, as
// a user's inputs come, so that a wait of the loop belongs to one input.
struct TStep {
  std::string what;
  std::function<void()> run;
};

// A span of time an input took, for the blame of a gap.
struct TSpan {
  int64_t start_ms = 0, end_ms = 0;
  std::string line;
  bool load = false;
};

class TSoak {
 public:
  explicit TSoak(const TOptions& opt) : opt_(opt), master_(opt.seed) {}
  int Run();

 private:
  // ---- set-up and the end
  bool Setup();
  void Tick();
  bool Rest();
  void WindDown();
  void Finish();
  void Fail(const std::string& what);
  void Report();

  // ---- the watches
  soak::TGapWatch::TBlame Blame(int64_t start_ms, int64_t end_ms) const;
  void OnWatchTick(int64_t now_ms);
  void Watchdog();

  // ---- actions and their steps
  void Act();
  void RunStep();
  void EndAction();
  void Then(std::string what, std::function<void()> run) { steps_.push_back({std::move(what), std::move(run)}); }
  // A step that makes `w` reachable (its tab chosen), then steps that use it
  // while it stays usable; otherwise the rest of the action is dropped.
  void ThenReach(QWidget* w);
  void ThenUse(QWidget* w, std::string what, std::function<void()> run);
  void Abandon(const std::string& why);
  void ThenType(TEdit* edit, const std::string& text, int ending);
  std::string Do(TKind kind);
  std::string HandlePopup(QWidget* popup);
  std::string Click();
  std::string Type();
  std::string Preset();
  std::string Drag();
  std::string Wheel();
  std::string Source();
  std::string Load(bool time_steps_only);
  std::string Time();
  std::string SavePicture();
  std::string SaveSequence();
  std::string LoadPicture();
  std::string Resize();
  std::string FullWindow();
  std::string RunToggle();
  std::string Keys();
  std::string Help();
  std::string Tab();
  std::string Drop();

  // ---- input helpers
  bool Reach(QWidget* w);
  bool Usable(QWidget* w) const { return w->isVisible() && w->isEnabled(); }
  void ClickTab(int index);
  void ClickButton(QAbstractButton* b);
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);
  void Post(const std::string& what, std::function<void()> run);
  void RunPosted();
  void SendDrop(QObject* target, const QList<QUrl>& urls, const QString& text);
  QPoint PanelPixelOf(const TVec3& p) const;
  QString SavePath(const QString& name, std::string& where);
  void ClearOutput();
  std::string Ending(int ending) const;

  TOptions opt_;
  std::mt19937 master_;
  std::mt19937 rng_;  // the running action's own generator
  QTemporaryDir work_;
  soak::TSoakFiles files_;
  TScriptedDialogs dialogs_;
  std::map<std::string, int64_t> dialog_counts_;
  std::map<std::string, int64_t> message_texts_;  // messages and warnings shown, by text
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<soak::TGapWatch> watch_;
  QTimer driver_;
  std::vector<QWidget*> controls_;
  std::vector<TEdit*> edits_;
  std::vector<TButton*> presets_;

  // Acting; at rest for the reference of the memory, then acting again; at
  // rest for the end; done.
  enum class TPhase { kActing, kReference, kWinding, kDone } phase_ = TPhase::kActing;
  int64_t wind_start_ms_ = 0, rest_since_ms_ = -1;
  QSize start_size_;
  int32_t start_vertices_ = 0;
  int exit_code_ = 0;
  int64_t actions_ = 0, steps_done_ = 0;
  std::map<std::string, int64_t> kind_counts_;
  std::vector<std::string> failures_;

  // The running action: its line, its steps still to come, what they found.
  std::deque<TStep> steps_;
  std::string line_, tail_;
  int64_t action_start_ms_ = 0;
  bool in_step_ = false;      // a step runs
  bool load_step_ = false;    // ... and it may load a mesh
  std::deque<TStep> posted_;  // posted inputs not yet run
  int posted_running_ = 0;    // posted inputs running (the "Run" loop, the "?" menu)
  std::string current_;       // the running step's line
  std::string last_;          // the last action's line
  std::deque<TSpan> recent_;  // the last steps, for the blame of a gap
  int64_t idle_until_ms_ = 0;
  int64_t longest_step_ms_ = 0;
  std::string longest_step_;
  QPoint pointer_;  // where a drag's pointer is
  // The window's handlers that ran during the running step, with when they
  // started (ms into the step): said when the step took longer than the limit.
  std::vector<std::pair<std::string, int64_t>> step_handlers_;
  int64_t step_start_ms_ = 0;
  int reach_hidden_ = 0;

  // The busy indicator of a load.
  int64_t load_seen_ms_ = -1;
  bool load_indicator_checked_ = false;
  int loads_with_indicator_ = 0, loads_seen_ = 0;

  // Resident memory (KiB).
  long rss_start_ = -1, rss_ref_ = -1, rss_max_ = -1, rss_end_ = -1;
  long heap_ref_ = -1, heap_end_ = -1;  // of which the heap in use
  long kept_ref_ = -1, kept_end_ = -1;  // and free memory the allocator keeps
  int64_t rss_ref_ms_ = 0, next_rss_ms_ = 0, next_minute_ms_ = 60000;

  int key_inactive_ = 0;

  // The watchdog thread reads these.
  std::atomic<int64_t> beat_steady_ms_{0};
  std::atomic<int64_t> step_steady_ms_{0};  // start of the running step, 0 when none
  std::atomic<bool> stop_watchdog_{false};
};

int TSoak::Run() {
  if (!Setup()) return 2;
  std::thread dog([this] { Watchdog(); });
  QApplication::exec();
  stop_watchdog_ = true;
  dog.join();
  return exit_code_;
}

bool TSoak::Setup() {
  g_seed = opt_.seed;
  g_last = opt_.last;
  if (!work_.isValid()) {
    std::fprintf(stderr, "soak: no temporary folder\n");
    return false;
  }
  files_ = soak::MakeSoakFiles(work_.path(), FLOWSKIN_EXAMPLES_DIR, FLOWSKIN_CORPUS_DIR, FLOWSKIN_FUZZ_DIR);
  std::printf("soak_window: seed %u, %d s, %zu mesh files, %zu pictures, read-only folder by %s\n", opt_.seed,
              opt_.seconds, files_.meshes.size(), files_.pictures.size(), files_.read_only_how.c_str());
  dialogs_.on_call = [this](const std::string& call) {
    ++dialog_counts_[call];
    if ((call == "message" || call == "warning") && !dialogs_.messages.empty()) {
      // The text without what varies (a file's name, a number typed), to count alike ones together.
      QString text = dialogs_.messages.back();
      text.replace(QRegularExpression("\"[^\"]*\"|'[^']*'"), "'…'");
      ++message_texts_[text.left(90).toStdString()];
    }
  };
  // The window as a user starts it; the mesh dialog at start is answered.
  dialogs_.file_answers.push_back(kStartMesh);
  form_ = std::make_unique<TForm1>(QStringList{}, &dialogs_);
  form_->show();
  if (!QTest::qWaitForWindowExposed(form_.get()) ||
      !QTest::qWaitFor([&] { return form_->GLPanel1->ContextReady(); }, 5000)) {
    std::fprintf(stderr, "soak: the window did not show\n");
    return false;
  }
  for (QWidget* w : form_->findChildren<QWidget*>()) {
    // "Subdivide when read:" only by the loads that ask for one step of it:
    // a few steps make meshes of millions of vertices, whose every frame
    // takes seconds with a software renderer.
    if (w == form_->cb_subdiv || w == form_->ud_subdiv || w == form_->Edit15) continue;
    if (auto* e = dynamic_cast<TEdit*>(w)) {
      edits_.push_back(e);
      continue;
    }
    if (dynamic_cast<TButton*>(w) || dynamic_cast<TSpeedButton*>(w) || dynamic_cast<TCheckBox*>(w) ||
        dynamic_cast<TRadioButton*>(w) || dynamic_cast<TUpDown*>(w) || dynamic_cast<TComboBox*>(w) ||
        dynamic_cast<TTrackBar*>(w) || dynamic_cast<TColorSwatch*>(w) || dynamic_cast<TPaintBox*>(w) ||
        w == form_->but_help)
      controls_.push_back(w);
  }
  for (QPushButton* b : form_->findChild<QGroupBox*>("gb_presets")->findChildren<QPushButton*>())
    if (auto* t = dynamic_cast<TButton*>(b)) presets_.push_back(t);
  std::printf("soak_window: %zu controls, %zu edit boxes, %zu presets\n", controls_.size(), edits_.size(),
              presets_.size());
  std::printf("soak_window: limits: waits of the event loop up to %lld ms, %s growing by up to %.0f MB after %d s\n",
              static_cast<long long>(opt_.limit_ms), kSanitized ? "the heap in use" : "resident memory", opt_.rss_mb,
              int(std::min(60, opt_.seconds / 5)));
  std::fflush(stdout);

  form_->diag.on_event = [this](const char* handler, QObject*) {
    if (in_step_ && step_handlers_.size() < 200) step_handlers_.emplace_back(handler, watch_->NowMs() - step_start_ms_);
  };
  watch_ = std::make_unique<soak::TGapWatch>(50, opt_.limit_ms, [this](int64_t s, int64_t e) { return Blame(s, e); });
  watch_->on_tick = [this](int64_t now) { OnWatchTick(now); };
  // Said at once, so that a long run's log shows each where it happened.
  watch_->on_over = [](const soak::TGap& g) {
    std::fprintf(stderr, "soak_window: %.1f s: the event loop waited %lld ms: %s\n", g.at_ms / 1000.0,
                 static_cast<long long>(g.ms), g.during.c_str());
    std::fflush(stderr);
  };
  watch_->Start();
  start_size_ = form_->size();
  start_vertices_ = form_->state.mesh.vertex_count;
  rss_start_ = rss_max_ = soak::ResidentKb();
  rss_ref_ms_ = std::min<int64_t>(60000, int64_t(opt_.seconds) * 1000 / 5);
  beat_steady_ms_ = SteadyMs();
  driver_.setInterval(5);
  QObject::connect(&driver_, &QTimer::timeout, [this] { Tick(); });
  driver_.start();
  return true;
}

// ---------------------------------------------------------------- the watches

// The input that ran for most of the gap from start_ms to end_ms (the one
// running now included); the time between inputs (frames of "Run", of a
// movie, owed after a change) when no input ran for half of it.
soak::TGapWatch::TBlame TSoak::Blame(int64_t start_ms, int64_t end_ms) const {
  soak::TGapWatch::TBlame b;
  int64_t best = 0;
  auto consider = [&](const TSpan& a) {
    const int64_t overlap = std::min(a.end_ms, end_ms) - std::max(a.start_ms, start_ms);
    if (overlap <= best) return;
    best = overlap;
    b.during = a.line;
    b.tolerated = a.load;
  };
  for (const TSpan& a : recent_) consider(a);
  if (in_step_) consider({action_start_ms_, end_ms, current_, load_step_});
  if (2 * best < end_ms - start_ms) {
    b.during = "between inputs, after " + (recent_.empty() ? std::string("none") : recent_.back().line);
    b.tolerated = false;
  }
  b.during += std::string(" [Run ") + (form_->sb_animate->Down() ? "down" : "up") +
              (form_->MovieRecording() ? ", movie" : "") + (form_->SettleFramesOwed() > 0 ? ", settling" : "") +
              ", view " + std::to_string(form_->GLPanel1->Width()) + "x" + std::to_string(form_->GLPanel1->Height()) +
              "]";
  return b;
}

void TSoak::OnWatchTick(int64_t now) {
  beat_steady_ms_ = SteadyMs();
  // A load that takes longer than the window's delay shows its busy indicator.
  if (form_ && form_->MeshLoadRunning()) {
    if (load_seen_ms_ < 0) {
      load_seen_ms_ = now;
      load_indicator_checked_ = false;
      ++loads_seen_;
    }
    if (!load_indicator_checked_ && now - load_seen_ms_ > form_->load_progress_delay_ms + 500) {
      load_indicator_checked_ = true;
      auto* p = form_->findChild<QProgressDialog*>("load_progress");
      if (p && p->isVisible())
        ++loads_with_indicator_;
      else
        Fail("a mesh load ran " + std::to_string(now - load_seen_ms_) + " ms without its busy indicator: " + current_);
    }
  } else {
    load_seen_ms_ = -1;
  }
  // No modal window but the scripted dialogs and the load's indicator.
  if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->objectName() != "load_progress") {
    Fail(std::string("a modal window opened outside the dialogs: ") + modal->metaObject()->className() + " \"" +
         modal->windowTitle().toStdString() + "\" during " + (in_step_ ? current_ : last_));
    modal->close();
  }
  if (now >= next_rss_ms_) {
    next_rss_ms_ = now + 1000;
    const long kb = soak::ResidentKb();
    rss_max_ = std::max(rss_max_, kb);
    if (now >= next_minute_ms_) {
      next_minute_ms_ += 60000;
      std::printf(
          "soak_window: %.0f s: resident memory %.1f MB, heap in use %.1f MB, %lld actions, longest wait "
          "%lld ms\n",
          now / 1000.0, kb / 1024.0, soak::HeapInUseKb() / 1024.0, static_cast<long long>(actions_),
          static_cast<long long>(watch_->Longest().ms));
      std::fflush(stdout);
    }
  }
}

// Runs on a thread of its own: an event loop that stops ticking, or an input
// that does not return while the loop spins (a modal loop nobody answers),
// ends the run with the report instead of hanging it.
void TSoak::Watchdog() {
  const int64_t limit = int64_t(opt_.hang_s) * 1000;
  while (!stop_watchdog_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const int64_t now = SteadyMs(), beat = beat_steady_ms_, step = step_steady_ms_;
    const char* what = nullptr;
    if (now - beat > limit) what = "the event loop stopped answering";
    if (step > 0 && now - step > limit) what = "an input did not return";
    if (!what) continue;
    std::fprintf(stderr, "\nsoak_window: %s for %d s\n", what, opt_.hang_s);
    WriteCrashReport();
    std::fflush(stderr);
    std::_Exit(3);
  }
}

void TSoak::Fail(const std::string& what) {
  std::fprintf(stderr, "soak_window: FAILURE after %lld actions: %s\n", static_cast<long long>(actions_), what.c_str());
  std::fflush(stderr);
  failures_.push_back(what);
}

// ---------------------------------------------------------------- the driver

void TSoak::Tick() {
  if (phase_ == TPhase::kDone || in_step_) return;
  const int64_t now = watch_->NowMs();
  // The reference of the memory and the end are taken at rest, between actions.
  if (phase_ == TPhase::kActing && steps_.empty() && rss_ref_ < 0 && now >= rss_ref_ms_) {
    phase_ = TPhase::kReference;
    wind_start_ms_ = now;
  }
  if (phase_ == TPhase::kActing && steps_.empty() && now >= int64_t(opt_.seconds) * 1000) {
    phase_ = TPhase::kWinding;
    wind_start_ms_ = now;
  }
  if (phase_ == TPhase::kReference) {
    if (!Rest()) return;
    rss_ref_ = soak::ResidentKb();
    heap_ref_ = soak::HeapInUseKb();
    kept_ref_ = soak::AllocatorFreeKb();
#if defined(__SANITIZE_ADDRESS__)
    if (opt_.heap_profile > 0) __sanitizer_print_memory_profile(size_t(opt_.heap_profile), 30);
#endif
    std::printf(
        "soak_window: %.1f s: resident memory %.1f MB at rest (the reference), heap in use %.1f MB, %lld "
        "actions\n",
        now / 1000.0, rss_ref_ / 1024.0, heap_ref_ / 1024.0, static_cast<long long>(actions_));
    std::fflush(stdout);
    phase_ = TPhase::kActing;
    return;
  }
  if (phase_ == TPhase::kWinding) {
    WindDown();
    return;
  }
  // A user cannot act while a mesh loads (the window takes no input then).
  if (form_->MeshLoadRunning() || now < idle_until_ms_) return;
  if (!steps_.empty())
    RunStep();
  else
    Act();
}

// Draws the next action and runs its first step. The kind and the action's
// own seed come from the run's generator whatever the action then finds, so
// that the same seed draws the same actions.
void TSoak::Act() {
  ++actions_;
  g_actions = actions_;
  int total = 0;
  for (const TKindWeight& k : kKinds) total += k.weight;
  int pick = Uniform(master_, 0, total - 1);
  const TKindWeight* kind = &kKinds[0];
  for (const TKindWeight& k : kKinds) {
    if (pick < k.weight) {
      kind = &k;
      break;
    }
    pick -= k.weight;
  }
  rng_.seed(master_());
  dialogs_.file_answers.clear();
  dialogs_.color_answers.clear();
  dialogs_.calls.clear();
  dialogs_.messages.clear();
  dialogs_.file_dialogs_shown.clear();
  dialogs_.colors_shown.clear();
  tail_.clear();
  action_start_ms_ = watch_->NowMs();
  QWidget* popup = QApplication::activePopupWidget();
  const std::string name = popup ? "popup" : kind->name;
  ++kind_counts_[name];
  char head[48];
  std::snprintf(head, sizeof head, "#%lld %.1fs ", static_cast<long long>(actions_), action_start_ms_ / 1000.0);
  line_ = head + name + " " + (popup ? HandlePopup(popup) : Do(kind->kind));
  g_ring.Push(line_ + " ...");
  if (steps_.empty())
    EndAction();
  else
    RunStep();
}

void TSoak::RunStep() {
  TStep step = std::move(steps_.front());
  steps_.pop_front();
  current_ = line_ + " / " + step.what;
  in_step_ = true;
  const int64_t start = watch_->NowMs();
  step_start_ms_ = start;
  step_handlers_.clear();
  step_steady_ms_ = SteadyMs();
  step.run();
  ++steps_done_;
  const int64_t end = watch_->NowMs();
  step_steady_ms_ = 0;
  in_step_ = false;
  recent_.push_back({start, end, current_, load_step_});
  if (recent_.size() > 64) recent_.pop_front();
  load_step_ = false;
  if (end - start > opt_.limit_ms) {  // what the window did meanwhile
    std::string handlers;
    for (const auto& [name, at] : step_handlers_) handlers += " " + name + "@" + std::to_string(at);
    std::fprintf(stderr,
                 "soak_window: the input took %lld ms (from %.3f s of the system's monotonic clock): %s; handlers (ms "
                 "into it):%s; the actions before:\n",
                 static_cast<long long>(end - start), (SteadyMs() - (end - start)) / 1000.0, current_.c_str(),
                 handlers.c_str());
    for (const std::string& line : g_ring.Last(12)) std::fprintf(stderr, "    %s\n", line.c_str());
  }
  if (end - start > longest_step_ms_) {
    longest_step_ms_ = end - start;
    longest_step_ = current_;
  }
  if (steps_.empty()) EndAction();
}

// The action's line in the report gets what its steps found and the dialogs
// they opened.
void TSoak::EndAction() {
  std::string said;
  for (const std::string& c : dialogs_.calls) said += " <" + c + ">";
  last_ = line_ + tail_ + said;
  g_ring.ReplaceLast(last_);
}

void TSoak::ThenReach(QWidget* w) {
  Then("reach " + w->objectName().toStdString(), [this, w] {
    if (!Reach(w)) Abandon("out of reach");
  });
}

void TSoak::ThenUse(QWidget* w, std::string what, std::function<void()> run) {
  Then(std::move(what), [this, w, run = std::move(run)] {
    if (!Usable(w)) return Abandon("gone");
    run();
  });
}

void TSoak::Abandon(const std::string& why) {
  steps_.clear();
  tail_ += " (" + why + ")";
}

std::string TSoak::Do(TKind kind) {
  switch (kind) {
    case TKind::kClick:
      return Click();
    case TKind::kType:
      return Type();
    case TKind::kPreset:
      return Preset();
    case TKind::kDrag:
      return Drag();
    case TKind::kWheel:
      return Wheel();
    case TKind::kSource:
      return Source();
    case TKind::kLoad:
      return Load(false);
    case TKind::kTime:
      return Time();
    case TKind::kSavePicture:
      return SavePicture();
    case TKind::kSaveSequence:
      return SaveSequence();
    case TKind::kLoadPicture:
      return LoadPicture();
    case TKind::kResize:
      return Resize();
    case TKind::kFullWindow:
      return FullWindow();
    case TKind::kRun:
      return RunToggle();
    case TKind::kKeys:
      return Keys();
    case TKind::kHelp:
      return Help();
    case TKind::kTab:
      return Tab();
    case TKind::kDrop:
      return Drop();
    case TKind::kIdle: {
      const int ms = Uniform(rng_, 0, 400);
      idle_until_ms_ = watch_->NowMs() + ms;
      return std::to_string(ms) + " ms";
    }
  }
  return "?";
}

// Brings the window to the same state of rest for both measurements of the
// memory, so that they differ by what the run kept, not by the state it left
// (a larger view holds larger frames): no popup, "Run" up, no movie or
// pictures being written, the panels shown, the size and the mesh at start,
// no flow sources; then two seconds for the frames owed.
// True once at rest that long.
bool TSoak::Rest() {
  const int64_t now = watch_->NowMs();
  if (now - wind_start_ms_ > 60000) {
    Fail("the window could not be brought to rest within 60 s");
    return true;
  }
  bool busy = false;
  if (QWidget* popup = QApplication::activePopupWidget()) {
    popup->close();
    busy = true;
  }
  if (form_->MeshLoadRunning()) busy = true;
  if (form_->sb_animate->Down()) form_->sb_animate->SetDown(false);
  if (form_->MovieRecording()) form_->EndMovie(false);
  if (form_->SequenceWriting()) {
    form_->but_movie_cancel->Click();
    busy = true;
  }
  if (!form_->panel_control->isVisible()) form_->Button15->Click();
  if (form_->size() != start_size_) form_->resize(start_size_);
  if (!posted_.empty() || posted_running_ > 0) busy = true;
  // No flow sources (their glyphs and paint fill lists of their own).
  if (!busy && form_->state.sources.source_count > 0) {
    if (!form_->state.sources.HasSelection()) form_->but_nextf->Click();
    form_->Button6->Click();
    busy = true;
  }
  // The mesh of the start again (a larger one holds more).
  if (!busy && (form_->MeshPath() != kStartMesh || form_->state.mesh.vertex_count != start_vertices_)) {
    dialogs_.file_answers = {QString(kStartMesh)};
    form_->but_load_mesh->Click();
    busy = true;
  }
  if (busy) {
    rest_since_ms_ = -1;
    return false;
  }
  if (rest_since_ms_ < 0) rest_since_ms_ = now;
  return now - rest_since_ms_ >= 2000;
}

// Ends the run at rest, then closes the window.
void TSoak::WindDown() {
  if (!Rest()) return;
  rss_end_ = soak::ResidentKb();
  heap_end_ = soak::HeapInUseKb();
  kept_end_ = soak::AllocatorFreeKb();
#if defined(__SANITIZE_ADDRESS__)
  if (opt_.heap_profile > 0) __sanitizer_print_memory_profile(size_t(opt_.heap_profile), 30);
#endif
  Finish();
}

void TSoak::Finish() {
  phase_ = TPhase::kDone;
  driver_.stop();
  watch_->Stop();
  for (const soak::TGap& g : watch_->Over())
    Fail("the event loop waited " + std::to_string(g.ms) + " ms (limit " + std::to_string(opt_.limit_ms) +
         "): " + g.during);
  const long grown = kSanitized ? heap_end_ - heap_ref_ : rss_end_ - (rss_ref_ >= 0 ? rss_ref_ : rss_start_);
  if (grown > long(opt_.rss_mb * 1024))
    Fail(std::string(kSanitized ? "the heap in use" : "resident memory") + " grew by " + std::to_string(grown / 1024) +
         " MB after the reference");
  Report();
  ClearOutput();
  if (opt_.quick_exit) {
    soak::ReleaseSoakFiles(files_);
    std::_Exit(failures_.empty() ? 0 : 1);
  }
  form_->close();
  form_.reset();
  soak::ReleaseSoakFiles(files_);
  exit_code_ = failures_.empty() ? 0 : 1;
  QApplication::exit(exit_code_);
}

void TSoak::Report() {
  auto mb = [](long kb) { return kb / 1024.0; };
  auto count = [this](const char* call) { return static_cast<long long>(dialog_counts_[call]); };
  std::printf("soak_window: seed %u, %d s, %lld actions of %lld inputs\n", opt_.seed, opt_.seconds,
              static_cast<long long>(actions_), static_cast<long long>(steps_done_));
  std::printf("  by kind:");
  for (const auto& [name, n] : kind_counts_) std::printf(" %s %lld", name.c_str(), static_cast<long long>(n));
  std::printf("\n  dialogs: %lld warnings, %lld messages, %lld file dialogs, %lld colour dialogs\n", count("warning"),
              count("message"), count("open") + count("open_picture") + count("save_picture"), count("color"));
  std::printf("  %d keys while the window was not active, %d mouse moves left the view\n", key_inactive_,
              g_outside_moves);
  std::vector<std::pair<int64_t, std::string>> texts;
  for (const auto& [text, n] : message_texts_) texts.emplace_back(n, text);
  std::sort(texts.rbegin(), texts.rend());
  std::printf("  messages and warnings shown, the most frequent:\n");
  for (size_t i = 0; i < texts.size() && i < 8; ++i)
    std::printf("    %6lld  %s\n", static_cast<long long>(texts[i].first), texts[i].second.c_str());
  const soak::TGap& g = watch_->Longest();
  std::printf("  longest wait of the event loop: %lld ms, %s\n", static_cast<long long>(g.ms), g.during.c_str());
  const soak::TGap& t = watch_->LongestTolerated();
  std::printf("  longest wait during a mesh load: %lld ms, %s\n", static_cast<long long>(t.ms), t.during.c_str());
  std::printf("  %d loads ran longer than their indicator's delay and showed it\n", loads_with_indicator_);
  std::printf("  longest input: %lld ms, %s\n", static_cast<long long>(longest_step_ms_), longest_step_.c_str());
  std::printf(
      "  resident memory: %.1f MB at start, %.1f MB at rest after %.0f s (reference), %.1f MB at rest at "
      "the end, %.1f MB at most; growth %.1f MB (limit %.0f)\n",
      mb(rss_start_), mb(rss_ref_), rss_ref_ms_ / 1000.0, mb(rss_end_), mb(rss_max_),
      mb(rss_end_ - (rss_ref_ >= 0 ? rss_ref_ : rss_start_)), opt_.rss_mb);
  std::printf(
      "  heap in use at rest: %.1f MB at the reference, %.1f MB at the end; free memory the allocator kept: "
      "%.1f MB, %.1f MB\n",
      mb(heap_ref_), mb(heap_end_), mb(kept_ref_), mb(kept_end_));
  std::printf("  failures: %zu\n", failures_.size());
  if (!failures_.empty()) {
    for (const std::string& f : failures_) std::printf("    %s\n", f.c_str());
    std::printf("  the last %d actions (replay: soak_window --seconds %d --seed %u):\n", opt_.last, opt_.seconds,
                opt_.seed);
    for (const std::string& line : g_ring.Last(opt_.last)) std::printf("    %s\n", line.c_str());
  }
  std::fflush(stdout);
}

// ---------------------------------------------------------------- input helpers

// Makes `w` reachable as a user reaches it: its tab chosen (one click). False
// when it cannot be reached (hidden, disabled, or the panels hidden by "Full
// window", which every other time the user first leaves by its X).
bool TSoak::Reach(QWidget* w) {
  QTabWidget* pages = form_->PageControl1;
  if (form_->panel_control->isAncestorOf(w) && !form_->panel_control->isVisible()) {
    if (++reach_hidden_ % 2 != 0) return false;
    ClickButton(form_->Button15);
    return false;  // one input per step: the control is reached by the next action
  }
  for (int i = 0; i < pages->count(); ++i)
    if (pages->widget(i)->isAncestorOf(w)) {
      if (!w->isVisibleTo(pages->widget(i))) return false;
      if (pages->currentIndex() != i) ClickTab(i);
      break;
    }
  return Usable(w);
}

void TSoak::ClickTab(int index) {
  QTabBar* bar = form_->PageControl1->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// A click where the button takes it: on a check box or radio button the box
// and its text, elsewhere the middle.
void TSoak::ClickButton(QAbstractButton* b) {
  QPoint at = b->rect().center();
  if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b)) {
    QStyleOptionButton o;
    o.initFrom(b);
    o.text = b->text();
    at = b->style()
             ->subElementRect(
                 qobject_cast<QCheckBox*>(b) ? QStyle::SE_CheckBoxClickRect : QStyle::SE_RadioButtonClickRect, &o, b)
             .center();
  }
  QTest::mouseClick(b, Qt::LeftButton, {}, at);
}

// A key pressed in the view, where the window's shortcuts take it.
void TSoak::Key(int key, Qt::KeyboardModifiers mods) {
  form_->activateWindow();
  form_->GLPanel1->requestActivate();
  if (QGuiApplication::focusWindow() != form_->GLPanel1 && !form_->isActiveWindow()) {
    ++key_inactive_;
    tail_ += " (window not active)";
  }
  QTest::keyClick(form_->GLPanel1, Qt::Key(key), mods);
}

// Runs `run` from the event loop once no step of the driver runs and no mesh
// loads: input that enters a loop of its own ("Run", the "?" menu), inside
// which the driver goes on acting.
void TSoak::Post(const std::string& what, std::function<void()> run) {
  posted_.push_back({what, std::move(run)});
  QTimer::singleShot(0, form_.get(), [this] { RunPosted(); });
}

void TSoak::RunPosted() {
  if (posted_.empty()) return;
  if (in_step_ || form_->MeshLoadRunning() || QApplication::activePopupWidget()) {
    QTimer::singleShot(10, form_.get(), [this] { RunPosted(); });
    return;
  }
  TStep posted = std::move(posted_.front());
  posted_.pop_front();
  ++posted_running_;
  g_ring.Push("  (posted) " + posted.what);
  posted.run();
  --posted_running_;
  g_ring.Push("  (posted, returned) " + posted.what);
}

// A drag of `urls` (or of `text`) entering `target`, then its drop.
void TSoak::SendDrop(QObject* target, const QList<QUrl>& urls, const QString& text) {
  QMimeData mime;
  if (!urls.isEmpty()) mime.setUrls(urls);
  if (!text.isEmpty()) mime.setText(text);
  QDragEnterEvent enter(QPoint(30, 30), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(QPointF(30, 30), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  drop.setAccepted(false);
  QCoreApplication::sendEvent(target, &drop);
  tail_ += drop.isAccepted() ? " taken" : " refused";
}

QPoint TSoak::PanelPixelOf(const TVec3& p) const {
  const double obj[3] = {p.x, p.y, p.z};
  double win[3] = {0, 0, 0};
  if (!ProjectObjectPoint(obj, form_->state.matrices, win) || !std::isfinite(win[0]) || !std::isfinite(win[1]))
    return QPoint(-1, -1);
  const double x = std::clamp(win[0], -1e6, 1e6), y = std::clamp(win[1], -1e6, 1e6);
  return QPoint(int(std::lround(x)), form_->GLPanel1->Height() - int(std::lround(y)));
}

// A place to save `name` to: mostly the output folder, else a missing folder,
// a read-only one, a full disk, a folder itself, no name at all, or a name
// without a folder (the current one).
QString TSoak::SavePath(const QString& name, std::string& where) {
  const int k = Uniform(rng_, 0, 19);
  if (k < 12) {
    where = "out";
    return QDir(files_.out_dir).filePath(name);
  }
  if (k < 14) {
    where = "missing folder";
    return QDir(files_.missing_dir).filePath(name);
  }
  if (k < 16) {
    where = "read-only folder";
    return QDir(files_.read_only_dir).filePath(name);
  }
  if (k < 17) {
    where = "full disk";
    return "/dev/full";
  }
  if (k < 18) {
    where = "a folder";
    return files_.out_dir;
  }
  if (k < 19) {
    where = "no name";
    return QString();
  }
  where = "current folder";
  return "soak_rel_" + name;
}

// The files saves left, so that a long run does not fill the disk.
void TSoak::ClearOutput() {
  QDir out(files_.out_dir);
  for (const QString& f : out.entryList(QDir::Files)) out.remove(f);
  for (const QString& f : QDir().entryList({"soak_rel_*"}, QDir::Files)) QDir().remove(f);
}

// ---------------------------------------------------------------- actions

// The popup open (a list's items, the "?" menu): an item chosen or Escape.
std::string TSoak::HandlePopup(QWidget* popup) {
  if (auto* menu = qobject_cast<QMenu*>(popup)) {
    std::vector<QAction*> actions;
    for (QAction* a : menu->actions())
      if (a->isEnabled() && !a->isSeparator()) actions.push_back(a);
    if (!actions.empty() && Chance(rng_, 0.75)) {
      QAction* a = Pick(rng_, actions);
      Then("item", [menu, a] { QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center()); });
      return "menu item \"" + a->text().toStdString() + "\"";
    }
    Then("Escape", [menu] { QTest::keyClick(menu, Qt::Key_Escape); });
    return "menu Escape";
  }
  const bool escape = Chance(rng_, 0.5);
  Then(escape ? "Escape" : "Return", [popup, escape] {
    QWidget* target = popup->focusWidget() ? popup->focusWidget() : popup;
    QTest::keyClick(target, escape ? Qt::Key_Escape : Qt::Key_Return);
    if (QApplication::activePopupWidget() == popup) popup->close();
  });
  return std::string(popup->metaObject()->className()) + (escape ? " Escape" : " Return");
}

std::string TSoak::Click() {
  QWidget* w = Pick(rng_, controls_);
  const std::string name = w->objectName().toStdString();
  if (w == form_->sb_animate || w == form_->but_help) {  // each starts a loop of its own
    ThenReach(w);
    ThenUse(w, "post", [this, w, name] { Post("click " + name, [w] { QTest::mouseClick(w, Qt::LeftButton); }); });
    return name + " (posted)";
  }
  ThenReach(w);
  if (auto* ud = dynamic_cast<TUpDown*>(w)) {
    const auto arrows = ud->findChildren<QToolButton*>();
    if (arrows.isEmpty()) return name + " no arrows";
    const int which = Uniform(rng_, 0, int(arrows.size()) - 1), times = Uniform(rng_, 1, 4);
    QToolButton* arrow = arrows[which];
    for (int i = 0; i < times; ++i) ThenUse(w, "arrow", [arrow] { QTest::mouseClick(arrow, Qt::LeftButton); });
    Then("position", [this, ud] { tail_ += " -> " + std::to_string(ud->Position()); });
    return name + (which == 0 ? " next x" : " prev x") + std::to_string(times);
  }
  if (auto* swatch = dynamic_cast<TColorSwatch*>(w)) {
    std::optional<int32_t> colour;
    if (Chance(rng_, 0.7)) colour = int32_t(rng_() & 0xFFFFFF);
    const Qt::MouseButton b = Chance(rng_, 0.8)   ? Qt::LeftButton
                              : Chance(rng_, 0.5) ? Qt::RightButton
                                                  : Qt::MiddleButton;
    ThenUse(w, "click", [this, swatch, colour, b] {
      dialogs_.color_answers.push_back(colour);
      QTest::mouseClick(swatch, b, {}, swatch->rect().center());
    });
    return name + (colour ? " colour " + std::to_string(*colour) : std::string(" cancel"));
  }
  if (auto* combo = dynamic_cast<TComboBox*>(w)) {
    if (Chance(rng_, 0.5)) {
      const bool escape = Chance(rng_, 0.2);
      const uint32_t item = rng_();
      ThenUse(w, "open", [combo] { QTest::mouseClick(combo, Qt::LeftButton); });
      Then(escape ? "Escape" : "item", [this, combo, escape, item] {
        if (!QApplication::activePopupWidget()) return Abandon("no list opened");
        if (escape || combo->count() == 0) {
          QTest::keyClick(combo->view(), Qt::Key_Escape);
          return;
        }
        const int i = int(item % uint32_t(combo->count()));
        const QRect rect = combo->view()->visualRect(combo->model()->index(i, 0));
        QTest::mouseClick(combo->view()->viewport(), Qt::LeftButton, {}, rect.center());
        tail_ += " item " + std::to_string(i) + " -> " + std::to_string(combo->ItemIndex());
      });
      return name + " list";
    }
    const int keys[] = {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End, Qt::Key_PageDown};
    const int key = keys[Uniform(rng_, 0, 4)];
    ThenUse(w, "key", [this, combo, key] {
      combo->setFocus();
      QTest::keyClick(combo, Qt::Key(key));
      tail_ += " -> " + std::to_string(combo->ItemIndex());
    });
    return name + " key " + std::to_string(key);
  }
  if (auto* track = dynamic_cast<TTrackBar*>(w)) {
    const double from = std::uniform_real_distribution<double>(0, 1)(rng_);
    const double to = std::uniform_real_distribution<double>(-0.1, 1.1)(rng_);
    if (Chance(rng_, 0.5)) {
      ThenUse(w, "click", [this, track, from] {
        QTest::mouseClick(track, Qt::LeftButton, {}, QPoint(int(from * (track->width() - 1)), track->height() / 2));
        tail_ += " -> " + std::to_string(track->Position());
      });
      return name + " click";
    }
    ThenUse(w, "press", [this, track, from] {
      pointer_ = QPoint(int(from * (track->width() - 1)), track->height() / 2);
      QTest::mousePress(track, Qt::LeftButton, {}, pointer_);
    });
    for (int i = 1; i <= 4; ++i)
      Then("move", [this, track, from, to, i] {
        pointer_ = QPoint(int((from + (to - from) * i / 4) * (track->width() - 1)), track->height() / 2);
        QTest::mouseMove(track, pointer_);
      });
    Then("release", [this, track] {
      QTest::mouseRelease(track, Qt::LeftButton, {}, pointer_);
      tail_ += " -> " + std::to_string(track->Position());
    });
    return name + " drag";
  }
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    ThenUse(w, "click", [this, b] {
      ClickButton(b);
      if (b->isCheckable()) tail_ += b->isChecked() ? " on" : " off";
    });
    return name;
  }
  ThenUse(w, "click", [w] { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); });
  return name;
}

// How a typed text ends: 0 Enter, 1 an arrow, 2 Tab, 3 nothing.
std::string TSoak::Ending(int ending) const {
  static const char* const names[] = {" Enter", " arrow", " Tab", ""};
  return names[ending];
}

// Replaces the edit's text by typing `text`, one key per step, then ends it.
void TSoak::ThenType(TEdit* edit, const std::string& text, int ending) {
  ThenReach(edit);
  ThenUse(edit, "select all", [edit] {
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  });
  ThenUse(edit, "Delete", [edit] { QTest::keyClick(edit, Qt::Key_Delete); });
  for (const QChar c : QString::fromStdString(text))
    ThenUse(edit, "key", [edit, c] {
      if (c.unicode() < 128) {
        QTest::keyClick(edit, char(c.unicode()));
      } else {  // a key of another keyboard: no key code, only its text
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
      }
    });
  static const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Up, Qt::Key_Tab};
  if (ending < 3) ThenUse(edit, Ending(ending).substr(1), [edit, ending] { QTest::keyClick(edit, keys[ending]); });
}

std::string TSoak::Type() {
  TEdit* e = Pick(rng_, edits_);
  // The range of the up-down the edit belongs to, if any.
  int lo = 1, hi = 0;
  for (QWidget* w : controls_)
    if (auto* ud = dynamic_cast<TUpDown*>(w); ud && ud->Associate() == e) {
      lo = ud->Min();
      hi = ud->Max();
    }
  const auto kind = soak::TTextKind(Uniform(rng_, 0, soak::kTextKinds - 1));
  const std::string text = soak::TypedText(rng_, kind, lo, hi);
  const int draw = Uniform(rng_, 0, 7);  // mostly Enter
  const int ending = draw < 5 ? 0 : draw - 4;
  ThenType(e, text, ending);
  return e->objectName().toStdString() + " " + soak::TextKindName(kind) + " '" + text + "'" + Ending(ending);
}

std::string TSoak::Preset() {
  TButton* b = Pick(rng_, presets_);
  ThenReach(b);
  ThenUse(b, "click", [this, b] { ClickButton(b); });
  return b->objectName().toStdString();
}

std::string TSoak::Drag() {
  const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
  const Qt::MouseButton b = buttons[Uniform(rng_, 0, 2)];
  Qt::KeyboardModifiers mods;
  if (Chance(rng_, 0.15)) mods |= Qt::ShiftModifier;
  if (Chance(rng_, 0.1)) mods |= Qt::ControlModifier;
  const double fx = std::uniform_real_distribution<double>(0, 1)(rng_);
  const double fy = std::uniform_real_distribution<double>(0, 1)(rng_);
  TGLPanel* panel = form_->GLPanel1;
  Then("press", [this, panel, b, mods, fx, fy] {
    pointer_ = QPoint(int(fx * (panel->Width() - 1)), int(fy * (panel->Height() - 1)));
    QTest::mousePress(panel, b, mods, pointer_);
  });
  const int moves = Uniform(rng_, 1, 8);
  for (int i = 0; i < moves; ++i) {
    QPoint by(Uniform(rng_, -60, 60), Uniform(rng_, -60, 60));
    const bool out = Chance(rng_, 0.05);  // out of the view
    Then("move", [this, panel, by, out] {
      pointer_ = out ? QPoint(panel->Width() + 5, pointer_.y()) : pointer_ + by;
      QTest::mouseMove(panel, pointer_);
    });
  }
  Then("release", [this, panel, b, mods] { QTest::mouseRelease(panel, b, mods, pointer_); });
  static const char* names[] = {"left", "right", "middle"};
  return std::string(names[b == Qt::LeftButton    ? 0
                           : b == Qt::RightButton ? 1
                                                  : 2]) +
         (mods & Qt::ShiftModifier ? "+shift" : "") + (mods & Qt::ControlModifier ? "+ctrl" : "") + " " +
         std::to_string(moves) + " moves";
}

std::string TSoak::Wheel() {
  const int deltas[] = {120, -120, 240, -360, 15, -15, 1200, -1200};
  const int delta = deltas[Uniform(rng_, 0, 7)];
  const double fx = std::uniform_real_distribution<double>(0, 1)(rng_);
  const double fy = std::uniform_real_distribution<double>(0, 1)(rng_);
  Then("wheel", [this, delta, fx, fy] {
    TGLPanel* panel = form_->GLPanel1;
    const QPoint at(int(fx * (panel->Width() - 1)), int(fy * (panel->Height() - 1)));
    QWheelEvent wheel(at, panel->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(panel, &wheel);
  });
  return std::to_string(delta);
}

// Flow sources: one added, "Show flow sources" checked, a glyph dragged.
std::string TSoak::Source() {
  std::string line;
  TFlowSourceTable& t = form_->state.sources;
  // Past a score of sources the user deletes some as often as he adds.
  if (t.source_count >= 20 && Chance(rng_, 0.4)) {
    ThenReach(form_->Button6);
    ThenUse(form_->but_nextf, "select", [this, &t] {
      if (!t.HasSelection()) ClickButton(form_->but_nextf);
    });
    ThenUse(form_->Button6, "delete", [this, &t] {
      ClickButton(form_->Button6);
      tail_ += " -> " + std::to_string(t.source_count) + " sources";
    });
    return "delete";
  }
  if (t.source_count == 0 || Chance(rng_, 0.3)) {
    TButton* add = Chance(rng_, 0.7) ? form_->but_add_flow : form_->but_add_paint;
    ThenReach(add);
    ThenUse(add, "add", [this, add] { ClickButton(add); });
    line += "add " + add->objectName().toStdString() + ", ";
  }
  ThenReach(form_->cb_showelements);
  Then("show", [this] {
    if (!form_->cb_showelements->Checked() && Usable(form_->cb_showelements)) {
      ClickButton(form_->cb_showelements);
      tail_ += " shown";
    }
  });
  const uint32_t which = rng_(), handle_pick = rng_();
  const QPoint jitter(Uniform(rng_, -2, 2), Uniform(rng_, -2, 2));
  const bool depth = Chance(rng_, 0.25);
  TGLPanel* panel = form_->GLPanel1;
  Then("grab", [this, &t, which, handle_pick, jitter, panel] {
    if (t.source_count == 0) return Abandon("no source");
    const int s = t.HasSelection() && which % 5 < 3 ? t.selected_source : 1 + int(which % uint32_t(t.source_count));
    const TFlowSource& src = t.flow_sources[s];
    const int handle = src.is_line ? int(handle_pick % 3) : 0;
    TVec3 p = handle == 1 ? src.p1 : src.p0;
    if (handle == 2) p = {(src.p0.x + src.p1.x) / 2, (src.p0.y + src.p1.y) / 2, (src.p0.z + src.p1.z) / 2};
    pointer_ = PanelPixelOf(p) + jitter;
    tail_ += " source " + std::to_string(s) + " handle " + std::to_string(handle);
    if (pointer_.x() < 0 || pointer_.y() < 0 || pointer_.x() >= panel->Width() || pointer_.y() >= panel->Height())
      return Abandon("outside the view");
    QTest::mousePress(panel, Qt::LeftButton, {}, pointer_);
    tail_ += form_->state.mouse.mouse_mode == 4 ? " grabbed" : " missed";
  });
  const int moves = Uniform(rng_, 1, 6);
  for (int i = 0; i < moves; ++i) {
    const QPoint by(Uniform(rng_, -40, 40), Uniform(rng_, -40, 40));
    Then("move", [this, panel, by, depth] {
      pointer_ += by;
      if (depth) {  // the depth drag takes Shift from the moves
        QMouseEvent move(QEvent::MouseMove, pointer_, panel->mapToGlobal(pointer_), Qt::NoButton, Qt::LeftButton,
                         Qt::ShiftModifier);
        QCoreApplication::sendEvent(panel, &move);
      } else {
        QTest::mouseMove(panel, pointer_);
      }
    });
  }
  Then("release", [this, panel] { QTest::mouseRelease(panel, Qt::LeftButton, {}, pointer_); });
  return line + "drag" + (depth ? " in depth" : "") + " by " + std::to_string(moves) + " moves";
}

// A mesh file loaded as a user does: the dialog of "Load mesh...", Ctrl+O, or
// a drop; sometimes the dialog is cancelled.
std::string TSoak::Load(bool time_steps_only) {
  std::vector<QString> from;
  if (time_steps_only) {
    for (const soak::TSoakFile& f : files_.meshes)
      if (f.time_steps) from.push_back(f.path);
  } else {
    const int k = Uniform(rng_, 0, 9);
    from = files_.Where(k < 5 ? soak::TOutcome::kLoads : k < 8 ? soak::TOutcome::kRefused : soak::TOutcome::kEither);
  }
  const QString path = Pick(rng_, from);
  const std::string name = QFileInfo(path).fileName().toStdString();
  const int how = Uniform(rng_, 0, 19);
  auto loaded = [this] { tail_ += " -> " + std::to_string(form_->state.mesh.vertex_count) + " vertices"; };
  if (!time_steps_only && Chance(rng_, 0.1)) {  // one step of "Subdivide when read:" on a small mesh
    const QString small = QString(FLOWSKIN_EXAMPLES_DIR) + (Chance(rng_, 0.5) ? "/sphere.ply" : "/torus_binary.ply");
    ThenReach(form_->cb_subdiv);
    ThenUse(form_->cb_subdiv, "subdivide on", [this] {
      if (!form_->cb_subdiv->Checked()) ClickButton(form_->cb_subdiv);
    });
    ThenUse(form_->but_load_mesh, "click", [this, small, loaded] {
      dialogs_.file_answers.push_back(small);
      load_step_ = true;
      ClickButton(form_->but_load_mesh);
      loaded();
    });
    ThenUse(form_->cb_subdiv, "subdivide off", [this] {
      if (form_->cb_subdiv->Checked()) ClickButton(form_->cb_subdiv);
    });
    return QFileInfo(small).fileName().toStdString() + " subdivided once by the dialog";
  }
  if (how < 2) {
    ThenReach(form_->but_load_mesh);
    ThenUse(form_->but_load_mesh, "click", [this] { ClickButton(form_->but_load_mesh); });
    return "dialog cancelled";
  }
  if (how < 14) {
    ThenReach(form_->but_load_mesh);
    ThenUse(form_->but_load_mesh, "click", [this, path, loaded] {
      dialogs_.file_answers.push_back(path);
      load_step_ = true;
      ClickButton(form_->but_load_mesh);
      loaded();
    });
    return name + " by the dialog";
  }
  if (how < 17) {
    Then("Ctrl+O", [this, path, loaded] {
      dialogs_.file_answers.push_back(path);
      load_step_ = true;
      Key(Qt::Key_O, Qt::ControlModifier);
      loaded();
    });
    return name + " by Ctrl+O";
  }
  const bool on_view = Chance(rng_, 0.5);
  Then("drop", [this, path, on_view, loaded] {
    load_step_ = true;
    SendDrop(on_view ? static_cast<QObject*>(form_->GLPanel1) : form_.get(), {QUrl::fromLocalFile(path)}, {});
    loaded();
  });
  return name + " dropped on the " + (on_view ? "view" : "window");
}

std::string TSoak::Time() {
  if (form_->state.mesh.time_count < 2 || !form_->gb_time->isVisibleTo(form_->gb_time->parentWidget()))
    return "load " + Load(true);
  TTrackBar* tb = form_->tb_time;
  const int sub = Uniform(rng_, 0, 5);
  if (sub == 0 || sub == 1) {
    const double at = std::uniform_real_distribution<double>(0, 1)(rng_);
    const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End};
    const int key = keys[Uniform(rng_, 0, 5)];
    ThenReach(tb);
    ThenUse(tb, "slider", [this, tb, sub, at, key] {
      if (sub == 0) {
        QTest::mouseClick(tb, Qt::LeftButton, {}, QPoint(int(at * (tb->width() - 1)), tb->height() / 2));
      } else {
        tb->setFocus();
        QTest::keyClick(tb, Qt::Key(key));
      }
      tail_ += " -> t " + form_->ed_time->Text().toStdString();
    });
    return sub == 0 ? "slider click" : "slider key " + std::to_string(key);
  }
  if (sub == 2 || sub == 3) {
    TEdit* e = Chance(rng_, 0.6) ? form_->ed_time : form_->ed_dtime;
    const auto kind = soak::TTextKind(Uniform(rng_, 0, soak::kTextKinds - 1));
    const double t_end = form_->state.mesh.time_values.back();
    const std::string text = soak::TypedText(rng_, kind, -1, int(std::clamp(t_end, 1.0, 1000.0)));
    ThenType(e, text, 0);
    return e->objectName().toStdString() + " " + soak::TextKindName(kind) + " '" + text + "' Enter";
  }
  if (sub == 4) {
    ThenReach(form_->cb_time_animate);
    ThenUse(form_->cb_time_animate, "click", [this] {
      ClickButton(form_->cb_time_animate);
      tail_ += form_->cb_time_animate->Checked() ? " on" : " off";
    });
    return "animate";
  }
  return "Run " + RunToggle();
}

std::string TSoak::SavePicture() {
  ClearOutput();
  if (Chance(rng_, 0.1)) {
    ThenReach(form_->but_save_pic);
    ThenUse(form_->but_save_pic, "click", [this] { ClickButton(form_->but_save_pic); });
    return "dialog cancelled";
  }
  const char* names[] = {"soak_pic.png", "soak_pic.bmp", "soak_pic.PNG", "soak_pic", "soak_pic.jpg"};
  std::string where;
  const QString path = SavePath(names[Uniform(rng_, 0, 4)], where);
  auto written = [this, path, where] {
    if (where == "out" && QFileInfo(path).isFile()) tail_ += " written";
  };
  if (Chance(rng_, 0.3)) {
    Then("Ctrl+S", [this, path, written] {
      dialogs_.file_answers.push_back(path);
      Key(Qt::Key_S, Qt::ControlModifier);
      written();
    });
    return QFileInfo(path).fileName().toStdString() + " to " + where + " by Ctrl+S";
  }
  ThenReach(form_->but_save_pic);
  ThenUse(form_->but_save_pic, "click", [this, path, written] {
    dialogs_.file_answers.push_back(path);
    ClickButton(form_->but_save_pic);
    written();
  });
  return QFileInfo(path).fileName().toStdString() + " to " + where;
}

std::string TSoak::SaveSequence() {
  if (form_->MovieRecording() || form_->SequenceWriting()) {
    const std::string what = form_->MovieRecording() ? "movie" : "pictures";
    if (Chance(rng_, 0.5)) {
      ThenUse(form_->but_movie_cancel, "cancel", [this] { ClickButton(form_->but_movie_cancel); });
      return what + " cancelled";
    }
    return what + " still being written";
  }
  ClearOutput();
  std::string line;
  if (Chance(rng_, 0.8)) {
    const std::string n = std::to_string(Chance(rng_, 0.8) ? Uniform(rng_, 1, 6) : Uniform(rng_, 7, 40));
    ThenType(form_->ednframe, n, 3);
    line += "#frames '" + n + "', ";
  } else {
    line += "#frames as they are, ";
  }
  ThenReach(form_->butsaveseq);
  if (Chance(rng_, 0.1)) {
    ThenUse(form_->butsaveseq, "click", [this] { ClickButton(form_->butsaveseq); });
    return line + "dialog cancelled";
  }
  const char* names[] = {"soak_seq", "soak_seq.png", "soak_movie.mp4", "soak_movie.webm", "soak_movie.MP4"};
  const QString name = names[Uniform(rng_, 0, 4)];
  std::string where;
  const QString path = SavePath(name, where);
  // Posted: pictures are written in a loop of their own, inside which the
  // user goes on (and may cancel them).
  ThenUse(form_->butsaveseq, "click", [this, path] {
    tail_ += " (" + form_->ednframe->Text().toStdString() + " frames, posted)";
    Post("click Save seq.", [this, path] {
      if (!Usable(form_->butsaveseq)) return;
      dialogs_.file_answers.push_back(path);
      ClickButton(form_->butsaveseq);
    });
  });
  return line + name.toStdString() + " to " + where;
}

std::string TSoak::LoadPicture() {
  const bool cancel = Chance(rng_, 0.1);
  const QString path = Pick(rng_, files_.pictures).path;
  ThenReach(form_->Button7);
  ThenUse(form_->Button7, "click", [this, cancel, path] {
    if (!cancel) dialogs_.file_answers.push_back(path);
    ClickButton(form_->Button7);
  });
  return cancel ? "dialog cancelled" : QFileInfo(path).fileName().toStdString();
}

// A new window size within the screen's room for windows, as a window
// manager keeps a window the user resizes.
std::string TSoak::Resize() {
  const QSize room = form_->screen()->availableVirtualGeometry().size();
  int w = 0, h = 0;
  const int k = Uniform(rng_, 0, 9);
  if (k < 3) {
    w = Uniform(rng_, 100, 500);
    h = Uniform(rng_, 100, 500);
  } else {
    w = Uniform(rng_, 500, std::max(500, room.width()));
    h = Uniform(rng_, 400, std::max(400, room.height()));
  }
  Then("resize", [this, w, h] {
    form_->resize(w, h);
    tail_ += " -> view " + std::to_string(form_->GLPanel1->Width()) + "x" + std::to_string(form_->GLPanel1->Height());
  });
  return std::to_string(w) + "x" + std::to_string(h);
}

std::string TSoak::FullWindow() {
  const int k = Uniform(rng_, 0, 2);
  Then("toggle", [this, k] {
    const bool full = !form_->panel_control->isVisible();
    if (k == 0) {
      tail_ += full ? " F11 (back)" : " F11";
      Key(Qt::Key_F11);
    } else if (full) {
      tail_ += k == 1 ? " Escape" : " X";
      if (k == 1)
        Key(Qt::Key_Escape);
      else
        ClickButton(form_->Button15);
    } else if (Reach(form_->Button14)) {
      tail_ += " Full window";
      ClickButton(form_->Button14);
    } else {
      tail_ += " (out of reach)";
    }
  });
  return "";
}

std::string TSoak::RunToggle() {
  const bool space = Chance(rng_, 0.3);
  Then("post", [this, space] {
    const bool down = form_->sb_animate->Down();
    if (space || !form_->sb_animate->isVisible()) {
      tail_ += down ? " Space, off" : " Space, on";
      Post(down ? "Space (Run off)" : "Space (Run on)", [this] { Key(Qt::Key_Space); });
    } else {
      tail_ += down ? " click, off" : " click, on";
      Post(down ? "click Run off" : "click Run on", [this] { QTest::mouseClick(form_->sb_animate, Qt::LeftButton); });
    }
  });
  return "(posted)";
}

std::string TSoak::Keys() {
  const int k = Uniform(rng_, 0, 5);
  const int keys[] = {Qt::Key_Left, Qt::Key_Up, Qt::Key_A, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Delete};
  const int key = keys[Uniform(rng_, 0, 5)];
  switch (k) {
    case 0:
      Then("F1", [this] { Key(Qt::Key_F1); });
      return "F1";
    case 1:
      Then("Ctrl+C", [this] { Key(Qt::Key_C, Qt::ControlModifier); });
      return "Ctrl+C";
    case 2:
      Then("Escape", [this] { Key(Qt::Key_Escape); });
      return "Escape";
    case 3:
      Then("key", [this, key] { Key(key); });
      return "key " + std::to_string(key);
    case 4:
      ThenReach(form_->but_copyclipboard);
      ThenUse(form_->but_copyclipboard, "click", [this] { ClickButton(form_->but_copyclipboard); });
      return "Copy image";
    default:
      Then("Ctrl+O", [this] { Key(Qt::Key_O, Qt::ControlModifier); });
      return "Ctrl+O cancelled";
  }
}

std::string TSoak::Help() {
  for (QDialog* side : {form_->HelpWindow, form_->AboutWindow})
    if (side && side->isVisible() && Chance(rng_, 0.6)) {
      QDialogButtonBox* box = side->findChild<QDialogButtonBox*>();
      if (!box || box->buttons().isEmpty()) continue;
      QAbstractButton* close = box->buttons().front();
      ThenUse(close, "close", [this, close] { ClickButton(close); });
      return side->objectName().toStdString() + " closed";
    }
  Then("?", [this] {
    if (!form_->but_help->isVisible()) {
      tail_ += " F1";
      Key(Qt::Key_F1);
      return;
    }
    tail_ += " (posted)";
    Post("click ?", [this] { QTest::mouseClick(form_->but_help, Qt::LeftButton); });
  });
  return "?";
}

std::string TSoak::Tab() {
  const int i = Uniform(rng_, 0, form_->PageControl1->count() - 1);
  Then("tab", [this, i] {
    if (!form_->panel_control->isVisible()) return Abandon("panels hidden");
    ClickTab(i);
  });
  return form_->PageControl1->tabText(i).toStdString();
}

std::string TSoak::Drop() {
  QList<QUrl> urls;
  QString text;
  std::string what;
  const int k = Uniform(rng_, 0, 3);
  if (k == 0) {
    urls = {QUrl::fromLocalFile(Pick(rng_, files_.meshes).path), QUrl::fromLocalFile(Pick(rng_, files_.meshes).path)};
    what = "two files";
  } else if (k == 1) {
    urls = {QUrl::fromLocalFile(Pick(rng_, files_.pictures).path)};
    what = "a picture";
  } else if (k == 2) {
    text = "sphere.ply";
    what = "text";
  } else {
    urls = {QUrl("https://example.invalid/mesh.ply")};
    what = "a remote file";
  }
  const bool on_view = Chance(rng_, 0.5);
  Then("drop", [this, urls, text, on_view] {
    load_step_ = true;
    SendDrop(on_view ? static_cast<QObject*>(form_->GLPanel1) : form_.get(), urls, text);
  });
  return what;
}

bool ParseArgs(int argc, char** argv, TOptions& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a != "--quick-exit" && i + 1 >= argc) return false;
    if (a == "--quick-exit") {
      o.quick_exit = true;
      continue;
    }
    const char* v = argv[++i];
    if (a == "--worker") {
      o.worker = v;
      continue;
    }
    char* end = nullptr;
    const long long n = std::strtoll(v, &end, 10);
    if (*end != '\0' || n < 0) return false;
    if (a == "--seconds")
      o.seconds = int(n);
    else if (a == "--seed")
      o.seed = uint32_t(n);
    else if (a == "--last")
      o.last = std::clamp(int(n), 1, soak::TActionRing::kSlots);
    else if (a == "--limit-ms")
      o.limit_ms = n;
    else if (a == "--rss-mb")
      o.rss_mb = double(n);
    else if (a == "--hang-s")
      o.hang_s = std::max(5, int(n));
    else if (a == "--heap-profile")
      o.heap_profile = std::clamp(int(n), 0, 100);
    else
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  SetHeapLimits();  // as the program's own start
  TOptions opt;
  if (!ParseArgs(argc, argv, opt)) {
    std::fprintf(stderr,
                 "usage: soak_window [--seconds N] [--seed S] [--last K] [--limit-ms L] [--rss-mb M] [--hang-s H] "
                 "[--worker PATH] [--heap-profile PERCENT] [--quick-exit]\n");
    return 2;
  }
#if defined(__SANITIZE_ADDRESS__)
  __sanitizer_set_death_callback(WriteCrashReport);
#else
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(sig, OnCrashSignal);
#endif
  SetImportWorkerPath(opt.worker);
  qInstallMessageHandler(OnQtMessage);
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  QApplication::setApplicationName("Flowskin");
  TSoak soak(opt);
  return soak.Run();
}
