#define GL_GLEXT_PROTOTYPES 1  // framebuffer objects (OpenGL 3.0), called with any current context
#include "glpanel/glpanel.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <QDropEvent>
#include <QExposeEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QPlatformSurfaceEvent>
#include <QSurfaceFormat>
#include <QWheelEvent>
#include <algorithm>

#include "glpanel/egl_context.h"
#include "glpanel/framebuffer.h"

TFpGuard::TFpGuard() {
  // Saves the environment, clears the flags and masks every exception.
  std::feholdexcept(&saved_);
}

// Restores the saved control modes, then clears every pending flag, those raised
// by the drawing and any left from before.
TFpGuard::~TFpGuard() {
  std::fesetenv(&saved_);
  std::feclearexcept(FE_ALL_EXCEPT);
}

QSurfaceFormat TGLPanel::ContextFormat() {
  QSurfaceFormat f;
  f.setRenderableType(QSurfaceFormat::OpenGL);
  f.setProfile(QSurfaceFormat::CompatibilityProfile);
  f.setVersion(1, 1);
  f.setRedBufferSize(8);
  f.setGreenBufferSize(8);
  f.setBlueBufferSize(8);
  f.setAlphaBufferSize(0);
  f.setDepthBufferSize(32);
  f.setStencilBufferSize(0);
  f.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
  return f;
}

TShiftState ShiftOfMouse(const QMouseEvent* e) { return ShiftOfPointer(e); }

TShiftState ShiftOfPointer(const QSinglePointEvent* e) {
  TShiftState s;
  const Qt::KeyboardModifiers m = e->modifiers();
  s.shift = m.testFlag(Qt::ShiftModifier);
  s.alt = m.testFlag(Qt::AltModifier);
  s.ctrl = m.testFlag(Qt::ControlModifier);
  const Qt::MouseButtons b = e->buttons();
  s.left = b.testFlag(Qt::LeftButton);
  s.right = b.testFlag(Qt::RightButton);
  s.middle = b.testFlag(Qt::MiddleButton);
  return s;
}

TMouseButton ButtonOfMouse(const QMouseEvent* e) {
  switch (e->button()) {
    case Qt::RightButton:
      return TMouseButton::Right;
    case Qt::MiddleButton:
      return TMouseButton::Middle;
    default:
      return TMouseButton::Left;
  }
}

TGLPanel::TGLPanel(QWindow* parent) : QWindow(parent) {
  setSurfaceType(QSurface::OpenGLSurface);
  setFormat(ContextFormat());
}

TGLPanel::~TGLPanel() {
  if (context_ready_) DestroyContext();
}

int TGLPanel::Width() const { return draw_size_.isEmpty() ? qRound(width() * devicePixelRatio()) : draw_size_.width(); }
int TGLPanel::Height() const {
  return draw_size_.isEmpty() ? qRound(height() * devicePixelRatio()) : draw_size_.height();
}

void TGLPanel::SetDrawSize(QSize size) {
  if (egl_) {  // a headless panel has no window size to fall back on
    if (size.isEmpty() || size == draw_size_) return;
    draw_size_ = size;
    no_last_frame_ = true;
    if (MakeCurrent()) MakeDrawTarget();
    return;
  }
  if (size == QSize(qRound(width() * devicePixelRatio()), qRound(height() * devicePixelRatio()))) size = QSize();
  if (size == draw_size_) return;
  draw_size_ = size;
  no_last_frame_ = true;
  if (draw_target_ && MakeCurrent()) DeleteDrawTarget();
}

bool TGLPanel::MakeDrawTarget() {
  if (draw_target_ && draw_target_->size == draw_size_) return true;
  DeleteDrawTarget();
  auto* t = new TDrawTarget;
  t->size = draw_size_;
  const bool complete = MakeFramebuffer(draw_size_.width(), draw_size_.height(), *t);
  draw_target_ = t;
  if (!complete) DeleteDrawTarget();
  BindDefault();
  return complete;
}

void TGLPanel::DeleteDrawTarget() {
  if (!draw_target_) return;
  DeleteFramebuffer(*draw_target_);
  delete draw_target_;
  draw_target_ = nullptr;
}

// Draws and reads in the frame of the set size.
bool TGLPanel::BindDrawTarget() {
  if (!draw_target_) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, draw_target_->framebuffer);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  return true;
}

// Where a frame of the set size shows in the window: as large as fits,
// centred (device pixels, origin bottom left).
QRect TGLPanel::ShownRect() const {
  const int ww = qRound(width() * devicePixelRatio()), wh = qRound(height() * devicePixelRatio());
  if (draw_size_.isEmpty()) return QRect(0, 0, ww, wh);
  const double scale = std::min(double(ww) / draw_size_.width(), double(wh) / draw_size_.height());
  const int w = std::max(1, int(draw_size_.width() * scale)), h = std::max(1, int(draw_size_.height() * scale));
  return QRect((ww - w) / 2, (wh - h) / 2, w, h);
}

// A mouse position (logical window pixels, origin top left) in drawing pixels.
QPoint TGLPanel::ToDrawPixels(QPointF p) const {
  const qreal r = devicePixelRatio();
  const QPoint device(qRound(p.x() * r), qRound(p.y() * r));
  if (draw_size_.isEmpty()) return device;
  const QRect shown = ShownRect();
  const int wh = qRound(height() * r);
  const int top = wh - shown.y() - shown.height();  // the rectangle's top row, counted from the top
  return QPoint(qRound((device.x() - shown.x()) * double(draw_size_.width()) / shown.width()),
                qRound((device.y() - top) * double(draw_size_.height()) / shown.height()));
}

void TGLPanel::exposeEvent(QExposeEvent*) {
  if (isExposed()) Paint();
}

bool TGLPanel::event(QEvent* event) {
  // The window's surface is about to go (the panel is being taken down):
  // the last moment at which the context can still be made current on it.
  if (event->type() == QEvent::PlatformSurface && static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                                                      QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
    if (!egl_) ReleaseShownFrame();  // a headless panel's frames live in its own context
  if (event->type() == QEvent::Leave && OnMouseLeave) OnMouseLeave(this);
  if (event->type() == QEvent::UpdateRequest) {
    if (isExposed()) Paint();
    return true;
  }
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDragMoveEvent*>(event);
    drag->setAccepted(OnDragOver && OnDragOver(this, drag->mimeData()));
    return true;
  }
  if (event->type() == QEvent::Drop) {
    auto* drop = static_cast<QDropEvent*>(event);
    const bool take = OnDragOver && OnDragOver(this, drop->mimeData());
    drop->setAccepted(take);
    if (take && OnDrop) OnDrop(this, drop->mimeData());
    return true;
  }
  return QWindow::event(event);
}

void TGLPanel::resizeEvent(QResizeEvent*) {
  if (OnResize) OnResize(this);
}

// Every paint draws and swaps (held or keeping paints: shows the kept frame);
// the first one only creates the context, runs OnGLInit, OnResize and one Redraw.
void TGLPanel::Paint() {
  if (egl_) return;
  if (!context_ready_) {
    CreateContext();
    if (OnResize) {
      OnResize(this);
      Redraw();
    }
    return;
  }
  TFpGuard guard;
  if (!MakeCurrent()) return;
  if (held_ || keep_paints_) {
    ShowKeptFrame();
    return;
  }
  DoRedraw();
  SwapAndKeep();
}

void TGLPanel::Redraw() {
  if (!context_ready_ || held_) return;
  TFpGuard guard;
  // The panel's context is the program's only one; making it current again is
  // cheap and keeps drawing correct if the toolkit touched another context.
  if (!MakeCurrent()) return;
  DoRedraw();
  if (SwapBB && !egl_) {
    SwapAndKeep();
  } else {
    last_frame_swapped_ = false;
    no_last_frame_ = false;
  }
}

// Keeps the back buffer (read back, or copied into shown_frame_, which is
// made anew when the panel's size changed), then swaps. Without framebuffer
// blits nothing is kept. The blit is spelled out: the toolkit's helper selects
// a colour attachment as the read buffer of the window's own framebuffer,
// which leaves an error behind.
void TGLPanel::SwapAndKeep() {
  const QSize size(Width(), Height());
  if (DrawsOwnSize()) {
    // The frame stays in draw_target_.
  } else if (QOpenGLFramebufferObject::hasOpenGLFramebufferBlit() && !size.isEmpty()) {
    if (KeepByReadBack) {
      ReadBackShownFrame(size);
    } else {
      read_back_size_ = QSize();
      if (!shown_frame_ || shown_frame_->size() != size) {
        delete shown_frame_;
        shown_frame_ = new QOpenGLFramebufferObject(size);
      }
      const GLuint window_fbo = render_context_->defaultFramebufferObject();
      glBindFramebuffer(GL_READ_FRAMEBUFFER, window_fbo);
      glReadBuffer(GL_BACK);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shown_frame_->handle());
      glBlitFramebuffer(0, 0, size.width(), size.height(), 0, 0, size.width(), size.height(), GL_COLOR_BUFFER_BIT,
                        GL_NEAREST);
      QOpenGLFramebufferObject::bindDefault();  // both read and draw back to the window
    }
  }
  render_context_->swapBuffers(this);
  last_frame_swapped_ = true;
  no_last_frame_ = false;
}

// The back buffer's pixels into read_back_ as they are (pixel transfer is the
// identity between frames), bottom row first. A frame much smaller than the
// buffer gives its memory back: the largest frame ever kept held it for good.
void TGLPanel::ReadBackShownFrame(QSize size) {
  const size_t bytes = static_cast<size_t>(size.width()) * size.height() * 4;
  if (read_back_.capacity() > 2 * bytes + 4096) std::vector<uint8_t>().swap(read_back_);
  read_back_.resize(bytes);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, read_back_.data());
  read_back_size_ = size;
}

// A frame that was read back is written into shown_frame_ (made anew at its
// size when needed): the same pixels the blit would have copied. The bound
// texture stays bound. False when shown_frame_ could not be made.
bool TGLPanel::PutReadBackIntoShownFrame() {
  if (read_back_size_.isEmpty()) return true;
  if (!shown_frame_ || shown_frame_->size() != read_back_size_) {
    delete shown_frame_;
    shown_frame_ = new QOpenGLFramebufferObject(read_back_size_);
  }
  if (!shown_frame_->isValid()) return false;
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  glBindTexture(GL_TEXTURE_2D, shown_frame_->texture());
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, read_back_size_.width(), read_back_size_.height(), GL_RGBA, GL_UNSIGNED_BYTE,
                  read_back_.data());
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
  read_back_size_ = QSize();
  return true;
}

// The kept copy of the last swapped frame back into the back buffer, then a
// swap without keeping (the copy is that frame already).
void TGLPanel::ShowKeptFrame() {
  const QSize size(Width(), Height());
  if (DrawsOwnSize() && draw_target_) {
    ShowDrawTarget();
  } else if (PutReadBackIntoShownFrame() && shown_frame_ && shown_frame_->size() == size) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, shown_frame_->handle());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, render_context_->defaultFramebufferObject());
    glDrawBuffer(GL_BACK);
    glBlitFramebuffer(0, 0, size.width(), size.height(), 0, 0, size.width(), size.height(), GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    QOpenGLFramebufferObject::bindDefault();
  } else {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  render_context_->swapBuffers(this);
}

bool TGLPanel::BeginReadLastFrame() {
  if (no_last_frame_ || !MakeCurrent()) return false;
  if (DrawsOwnSize()) return BindDrawTarget();
  if (!last_frame_swapped_) {
    glReadBuffer(GL_BACK);
    return true;
  }
  if (!PutReadBackIntoShownFrame()) return false;
  if (!shown_frame_ || shown_frame_->size() != QSize(Width(), Height())) return false;
  return shown_frame_->bind();
}

void TGLPanel::ForgetLastFrame() { no_last_frame_ = true; }

void TGLPanel::EndReadLastFrame() {
  if (context_ready_ && (last_frame_swapped_ || DrawsOwnSize())) BindDefault();
}

bool TGLPanel::MakeCurrent() {
  if (!context_ready_) return false;
  if (egl_) return egl_->MakeCurrent() && BindDrawTarget();
  return render_context_->makeCurrent(this);
}

void TGLPanel::DoneCurrent() {
  if (egl_)
    egl_->DoneCurrent();
  else if (render_context_)
    render_context_->doneCurrent();
}

// Where drawing goes when no frame of the set size is being drawn or read:
// the window's own framebuffer, or a headless panel's only one.
void TGLPanel::BindDefault() {
  if (egl_)
    BindDrawTarget();
  else
    QOpenGLFramebufferObject::bindDefault();
}

bool TGLPanel::StartHeadless(QSize size, QString& error) {
  if (context_ready_ || size.isEmpty()) {
    error = context_ready_ ? "the drawing area has a context already" : "the drawing size is empty";
    return false;
  }
  auto egl = std::make_unique<TEglContext>();
  std::string reason;
  if (!egl->Create(reason)) {
    error = QString::fromStdString(reason);
    return false;
  }
  egl_ = std::move(egl);
  draw_size_ = size;
  if (!MakeDrawTarget()) {
    error = QString("no framebuffer of %1 x %2 could be made").arg(size.width()).arg(size.height());
    egl_.reset();
    draw_size_ = QSize();
    return false;
  }
  context_ready_ = true;
  no_last_frame_ = true;
  DoGLInit();
  if (OnResize) OnResize(this);
  return true;
}

// Context creation is not checked for success: drawing into a panel whose
// context failed simply has no effect (makeCurrent fails, nothing is drawn).
void TGLPanel::CreateContext() {
  if (!handle()) create();
  render_context_ = new QOpenGLContext();
  render_context_->setFormat(requestedFormat());
  render_context_->create();
  render_context_->makeCurrent(this);
  context_ready_ = true;
  DoGLInit();
}

// The copy of the shown frame is released while its context is current when
// the window still has its surface; otherwise its GL name is left to the
// context's own release below, and its memory is freed all the same.
void TGLPanel::ReleaseShownFrame() {
  read_back_size_ = QSize();
  read_back_.clear();
  read_back_.shrink_to_fit();
  if (!shown_frame_ && !draw_target_) return;
  const bool current = MakeCurrent();
  delete shown_frame_;
  shown_frame_ = nullptr;
  if (current) {
    DeleteDrawTarget();
  } else {
    delete draw_target_;
    draw_target_ = nullptr;
  }
  if (current) DoneCurrent();
}

void TGLPanel::DestroyContext() {
  ReleaseShownFrame();
  delete render_context_;
  render_context_ = nullptr;
  egl_.reset();
  context_ready_ = false;
}

void TGLPanel::DoGLInit() {
  if (!OnGLInit) return;
  TFpGuard guard;
  OnGLInit(this);
}

void TGLPanel::DoRedraw() {
  if (!OnRedraw) return;
  if (draw_size_.isEmpty()) {
    OnRedraw(this);
    return;
  }
  if (!MakeDrawTarget()) return;  // no frame rather than one of another size
  BindDrawTarget();
  OnRedraw(this);
  ShowDrawTarget();
}

// The frame of the set size, scaled to fit, into the window's back buffer
// (the rest of the window dark grey).
void TGLPanel::ShowDrawTarget() {
  if (!draw_target_ || egl_) return;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, render_context_->defaultFramebufferObject());
  glDrawBuffer(GL_BACK);
  glViewport(0, 0, qRound(width() * devicePixelRatio()), qRound(height() * devicePixelRatio()));
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.2f, 0.2f, 0.2f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const QRect to = ShownRect();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, draw_target_->framebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBlitFramebuffer(0, 0, draw_size_.width(), draw_size_.height(), to.x(), to.y(), to.x() + to.width(),
                    to.y() + to.height(), GL_COLOR_BUFFER_BIT, GL_LINEAR);
  QOpenGLFramebufferObject::bindDefault();
}

// Mouse positions in drawing pixels, like Width()/Height().
void TGLPanel::mousePressEvent(QMouseEvent* e) {
  const QPoint p = ToDrawPixels(e->position());
  if (OnMouseDown) OnMouseDown(this, ButtonOfMouse(e), ShiftOfMouse(e), p.x(), p.y());
}

void TGLPanel::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = ToDrawPixels(e->position());
  if (OnMouseMove) OnMouseMove(this, ShiftOfMouse(e), p.x(), p.y());
}

void TGLPanel::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint p = ToDrawPixels(e->position());
  if (OnMouseUp) OnMouseUp(this, ButtonOfMouse(e), ShiftOfMouse(e), p.x(), p.y());
}

void TGLPanel::wheelEvent(QWheelEvent* e) {
  const QPoint p = ToDrawPixels(e->position());
  const int delta = e->angleDelta().y();
  if (OnMouseWheel && delta != 0) OnMouseWheel(this, ShiftOfPointer(e), p.x(), p.y(), delta);
  e->accept();
}

QString TGLPanel::GLDescription() {
  if (!MakeCurrent()) return QString();
  const auto text = [](GLenum name) {
    const auto* s = reinterpret_cast<const char*>(glGetString(name));
    return s ? QString::fromLatin1(s) : QString();
  };
  return text(GL_VERSION) + ", " + text(GL_RENDERER);
}
