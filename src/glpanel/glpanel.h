#pragma once
// TGLPanel: a window that owns one OpenGL context and hands drawing to its owner.
// The context (compatibility profile, RGB 8/8/8, depth 32, double buffered) is
// created lazily at the first expose; then OnGLInit fires once, OnResize, and one
// Redraw. Every later paint and every explicit Redraw runs OnRedraw inside the
// floating-point guard and shows the back buffer. The panel knows nothing of
// what is drawn. Shown inside widgets through QWidget::createWindowContainer.
#include <QWindow>
#include <cfenv>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "glpanel/framebuffer.h"

class QMimeData;
class TEglContext;
class QOpenGLContext;
class QOpenGLFramebufferObject;
class QSurfaceFormat;

enum class TMouseButton { Left, Right, Middle };

// Modifier keys and mouse buttons held during a mouse event.
struct TShiftState {
  bool shift = false, alt = false, ctrl = false;
  bool left = false, right = false, middle = false;
};

class QMouseEvent;
// Buttons and modifier keys held during a mouse event, and the button that
// changed; shared by the panel and the window's controls.
TShiftState ShiftOfMouse(const QMouseEvent* e);
// The same for any pointer event (a mouse or a wheel event).
class QSinglePointEvent;
TShiftState ShiftOfPointer(const QSinglePointEvent* e);
TMouseButton ButtonOfMouse(const QMouseEvent* e);

class TGLPanel : public QWindow {
  Q_OBJECT
 public:
  explicit TGLPanel(QWindow* parent = nullptr);
  ~TGLPanel() override;

  // The GL context every frame is drawn in: a compatibility context with 8-bit
  // colour, no alpha or stencil, a deep depth buffer, double buffered. The
  // program's other contexts (tests, benchmarks) ask for the same.
  static QSurfaceFormat ContextFormat();

  // Owner's events; the panel passes itself as sender. Unassigned ones are skipped.
  std::function<void(TGLPanel*)> OnRedraw;
  std::function<void(TGLPanel*)> OnGLInit;
  std::function<void(TGLPanel*)> OnResize;
  // Mouse positions are panel pixels, origin top-left.
  std::function<void(TGLPanel*, TMouseButton, TShiftState, int x, int y)> OnMouseDown;
  std::function<void(TGLPanel*, TShiftState, int x, int y)> OnMouseMove;
  std::function<void(TGLPanel*, TMouseButton, TShiftState, int x, int y)> OnMouseUp;
  std::function<void(TGLPanel*)> OnMouseLeave;  // the pointer left the panel
  // The wheel: delta in eighths of a degree (120 per notch), positive when
  // turned away from the user.
  std::function<void(TGLPanel*, TShiftState, int x, int y, int delta)> OnMouseWheel;

  // Drops on the panel: OnDragOver tells whether the dragged data would be
  // taken (the drag is refused when it is unset or says no); OnDrop receives
  // data that OnDragOver accepted.
  std::function<bool(TGLPanel*, const QMimeData*)> OnDragOver;
  std::function<void(TGLPanel*, const QMimeData*)> OnDrop;

  // Whether an explicit Redraw shows the back buffer; a paint always swaps.
  bool SwapBB = true;

  // How the panel keeps each swapped frame: read back into memory (quicker
  // where the rasteriser copies out of a window by drawing, and put into the
  // kept copy only when that is asked for) or copied by the GL.
  bool KeepByReadBack = false;

  // Explicit redraw: draws through OnRedraw and (with SwapBB) swaps. Does nothing
  // before the context exists; never creates it.
  void Redraw();

  // While held, the panel draws nothing new: OnRedraw is not called, an
  // explicit Redraw does nothing and a paint shows the frame last swapped again
  // (or the clear colour when there is none of the panel's size). The owner
  // holds the panel while what its frames draw from is being replaced.
  void Hold(bool held) { held_ = held; }
  bool Held() const { return held_; }
  // While set, a paint shows the frame last swapped again instead of drawing
  // a new one; explicit Redraws draw as ever. The owner sets it while frames
  // drawn one after the other become pictures, whatever the window system
  // asks meanwhile.
  void KeepPaints(bool keep) { keep_paints_ = keep; }

  bool ContextReady() const { return context_ready_; }
  // Makes the panel's context current (false before it exists or when that
  // fails); DoneCurrent releases it.
  bool MakeCurrent();
  void DoneCurrent();

  // Frames of `size` drawn with no window system at all: the context comes
  // from EGL's surfaceless platform and every frame is drawn into a
  // framebuffer of that size, which stays bound between frames. Then OnGLInit
  // and OnResize run (no frame is drawn); paints do nothing, as nothing is
  // shown. Call once, before the panel is first exposed; false with the
  // reason when no such context can be made.
  bool StartHeadless(QSize size, QString& error);
  bool Headless() const { return egl_ != nullptr; }
  // Makes the frame last drawn the source of pixel reads (glReadPixels) of the
  // current context: the back buffer when that frame was not swapped, else a
  // copy of it that the panel keeps from every swapped frame (after a swap the
  // back buffer holds nothing defined, and the front buffer cannot be read on
  // every platform). False when there is no such frame yet. Call
  // EndReadLastFrame after the reads.
  bool BeginReadLastFrame();
  void EndReadLastFrame();
  // Makes the last frame unreadable: BeginReadLastFrame fails until the next
  // frame is drawn (the owner calls this when what the last frame showed no
  // longer stands, such as a different mesh or drawing size). No GL call.
  void ForgetLastFrame();
  // The window's context; null before it exists and for a headless panel.
  QOpenGLContext* RenderContext() const { return render_context_; }
  // "VERSION, RENDERER" of the context's driver; empty before the context exists.
  QString GLDescription();
  // Drawing size in device pixels: the window's, or the size set below.
  int Width() const;
  int Height() const;
  // Frames drawn at `size` rather than the window's (an empty size: the
  // window's again): each is drawn into a framebuffer of that size, which
  // is then the frame last drawn, and shown scaled to fit the window, with
  // mouse positions scaled back to it. Needs the context; drops the last frame.
  void SetDrawSize(QSize size);
  bool DrawsOwnSize() const { return !draw_size_.isEmpty(); }

 protected:
  void exposeEvent(QExposeEvent* event) override;
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void Paint();
  void CreateContext();
  void DestroyContext();
  void DoGLInit();
  void DoRedraw();

  void SwapAndKeep();
  void ShowDrawTarget();
  QRect ShownRect() const;
  QPoint ToDrawPixels(QPointF window_position) const;
  void ReadBackShownFrame(QSize size);
  bool PutReadBackIntoShownFrame();
  void ShowKeptFrame();
  void ReleaseShownFrame();
  void BindDefault();

  QOpenGLContext* render_context_ = nullptr;
  std::unique_ptr<TEglContext> egl_;                 // the headless panel's context instead
  QOpenGLFramebufferObject* shown_frame_ = nullptr;  // copy of the last swapped frame
  std::vector<uint8_t> read_back_;                   // RGBA rows of the last swapped frame, when it was read back
  QSize read_back_size_;                             // its size; empty when shown_frame_ is up to date
  // Frames of draw_size_ (glpanel/framebuffer.h).
  struct TDrawTarget : TFramebufferNames {
    QSize size;
  };
  TDrawTarget* draw_target_ = nullptr;
  bool MakeDrawTarget();
  void DeleteDrawTarget();
  bool BindDrawTarget();
  QSize draw_size_;  // empty: frames of the window's size
  bool context_ready_ = false;
  bool last_frame_swapped_ = true;
  bool held_ = false;
  bool keep_paints_ = false;
  bool no_last_frame_ = false;  // ForgetLastFrame was called after the last frame drawn
};

// Runs a scope with all floating-point exceptions masked: saves the environment,
// masks everything, and on exit restores the saved control modes and clears
// every pending flag.
class TFpGuard {
 public:
  TFpGuard();
  ~TFpGuard();
  TFpGuard(const TFpGuard&) = delete;
  TFpGuard& operator=(const TFpGuard&) = delete;

 private:
  std::fenv_t saved_;
};
