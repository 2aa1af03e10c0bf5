// Movies written from the window ("Save seq." with a name ending in .mp4 or
// .webm): the frames are drawn and handed to the writer thread one per turn
// of the event loop, so the window answers (tabs, controls, the view) while a
// long movie is written; a progress bar and "Cancel" stand under the view.
// The first movie frame is the frame shown when the dialog closed, each next
// one the frame drawn after it. A movie cancelled or failed leaves no file;
// one completed is named in the line under the view. Its rate, quality and
// size are those of "Movie fps", "quality" and "Movie size"; a size other than
// the view's is drawn off screen at that size (the view shows it scaled to
// fit), starting with the frames the streaks need at that size.
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <future>
#include <iterator>

#include "glpanel/glpanel.h"
#include "output/movie_writer.h"
#include "render/frame_math.h"
#include "window/form1.h"

void TForm1::SaveMovie(const QString& path, int32_t n) {
  if (recording_) return;
  auto r = std::make_unique<TMovieRecording>();
  QString error;
  const TMovieSize& chosen = kMovieSizes[std::clamp(cb_movie_size->ItemIndex(), 0, int(std::size(kMovieSizes)) - 1)];
  r->size = chosen.width > 0 ? QSize(chosen.width, chosen.height) : QSize(GLPanel1->Width(), GLPanel1->Height());
  TMovieSettings settings;
  settings.fps = ud_movie_fps->Position();
  settings.quality = ud_movie_quality->Position();
  if (!r->writer.Open(path, r->size.width(), r->size.height(), settings, error)) {
    dialogs_->ShowWarning(error);
    return;
  }
  r->path = path;
  r->total = n;
  if (r->size != QSize(GLPanel1->Width(), GLPanel1->Height())) {
    GLPanel1->SetDrawSize(r->size);
    r->own_size = GLPanel1->DrawsOwnSize();
    ForgetPicture();
    r->warmup = SettleFrameCount(ud_alpha_text->Position());
  } else {
    FinishSettling();  // the first frame shows the streaks the view was about to show
  }
  recording_ = std::move(r);
  movie_progress->setRange(0, n);
  movie_progress->setValue(0);
  movie_progress->setFormat(
      recording_->warmup > 0 ? QString("preparing %1 x %2").arg(recording_->size.width()).arg(recording_->size.height())
                             : QString("%v of %m frames"));
  HideProbe();  // the movie's row takes the status line's place
  lab_load->hide();
  movie_row->show();
  butsaveseq->setEnabled(false);
  QTimer::singleShot(0, this, [this] { RecordMovieFrame(); });
}

void TForm1::RecordMovieFrame() {
  if (!recording_) return;
  TMovieRecording& r = *recording_;
  if (r.completing.valid()) {  // the file is being completed beside the window
    if (r.completing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
      QTimer::singleShot(20, this, [this] { RecordMovieFrame(); });
      return;
    }
    EndMovie(true);
    return;
  }
  if (r.warmup > 0) {
    --r.warmup;
    GLPanel1->Redraw();
    if (r.warmup == 0) movie_progress->setFormat(QString("%v of %m frames"));
    QTimer::singleShot(0, this, [this] { RecordMovieFrame(); });
    return;
  }
  QImage frame = GrabFrameBitmap();
  if (frame.isNull() && ++r.misses <= 3) {  // the view was resized: its next frame is drawn and taken
    GLPanel1->Redraw();
    QTimer::singleShot(0, this, [this] { RecordMovieFrame(); });
    return;
  }
  if (frame.isNull()) {
    dialogs_->ShowWarning(QString("Cannot write %1: the frame could not be read back").arg(r.path));
    EndMovie(false);
    return;
  }
  r.misses = 0;
  // The window may have been resized meanwhile: the movie keeps its size.
  if (frame.size() != r.size) frame = frame.scaled(r.size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  r.writer.Push(frame);
  QString error;
  if (r.writer.Failed(error)) {
    dialogs_->ShowWarning(error);
    EndMovie(false);
    return;
  }
  movie_progress->setValue(++r.done);
  if (r.done == r.total) {
    // Completing the file encodes the frames the encoder held back, which
    // took seconds for a large movie: the window answers meanwhile.
    movie_progress->setFormat(QString("completing %1").arg(QFileInfo(r.path).fileName()));
    but_movie_cancel->setEnabled(false);
    r.completing = std::async(std::launch::async, [&r] { return r.writer.Finish(r.completion_error); });
    QTimer::singleShot(20, this, [this] { RecordMovieFrame(); });
    return;
  }
  GLPanel1->Redraw();
  QTimer::singleShot(0, this, [this] { RecordMovieFrame(); });
}

void TForm1::EndMovie(bool finish) {
  if (!recording_) return;
  std::unique_ptr<TMovieRecording> r = std::move(recording_);
  // A movie being completed is complete once its completion ends.
  const bool completed = r->completing.valid();
  if (completed) finish = true;
  but_movie_cancel->setEnabled(true);
  if (r->own_size) {  // back to frames of the view's size
    GLPanel1->SetDrawSize(QSize());
    ForgetPicture();
    RequestRedraw();
  }
  movie_row->hide();
  lab_load->show();
  butsaveseq->setEnabled(true);
  QString error;
  if (!finish) {
    lab_load->setText(QString("Movie %1 not written").arg(r->path));
    return;  // the writer abandons it: no file
  }
  const bool written = completed ? r->completing.get() : r->writer.Finish(error);
  if (completed) error = r->completion_error;
  if (!written) {
    dialogs_->ShowWarning(error);  // as a picture that cannot be written
    return;
  }
  lab_load->setText(QString("Movie written: %1 (%2 frames)").arg(r->path).arg(r->total));
}
