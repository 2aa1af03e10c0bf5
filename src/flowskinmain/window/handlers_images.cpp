// Image mapping and image output: a picture mapped onto the surface, the
// frame frozen into the map image, and frames to the clipboard and to files.
#include <QClipboard>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>

#include "advection/image_io_gl.h"
#include "advection/image_map.h"
#include "colorconversion/colorconversion.h"
#include "formats/read_failure.h"
#include "glpanel/glpanel.h"
#include "output/frame_writer.h"
#include "output/movie_writer.h"
#include "output/picture_files.h"
#include "window/form1.h"

namespace {

constexpr const char* kNot24Bit = "24 bit bitmap expected";
constexpr const char* kNotAPicture = "A 24-bit bitmap, PNG or JPEG picture expected";

// Reads the picture file `path` for the map image. An uncompressed 24-bit
// bitmap (judged by the file's own header) is read as it stands; a file that
// looks like a bitmap but whose header is not that gives "24 bit bitmap
// expected". PNG and JPEG pictures (judged by their contents) are read by the
// toolkit's readers and turned into 24 bits, dropping any transparency; any
// other picture is refused, and a file that cannot be read or decoded gives
// the system's or the reader's words. On success `bgr` holds the picture as
// blue-green-red rows.
bool ReadMapPicture(const QString& path, QImage& bgr, QString& error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    error = file.errorString();
    return false;
  }
  const QByteArray bytes = file.readAll();
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  const bool bitmap24 = IsBitmap24(data, size_t(bytes.size()));
  if (!bitmap24 && bytes.startsWith("BM")) {
    error = kNot24Bit;
    return false;
  }
  QImageReader reader(path);
  reader.setDecideFormatFromContent(true);
  const QByteArray format = reader.format();
  if (!bitmap24 && format != "png" && format != "jpeg" && !format.isEmpty()) {
    error = kNotAPicture;
    return false;
  }
  QImage picture;
  if (!reader.read(&picture)) {
    error = reader.errorString();
    return false;
  }
  bgr = picture.convertToFormat(QImage::Format_BGR888);
  return true;
}

}  // namespace

// "Load image...": asks for a picture; a cancel changes nothing. The file must
// be a 24-bit bitmap, a PNG or a JPEG picture (else a warning naming the file
// and the reason, and the previous map image stays); its top-left 512 x 512 pixels at most become the map image, in a
// texture of the powers of two not below the cropped size, compiled into
// display list 9 with the panel's context made current. Then image_loaded,
// "Show mapped image" checked, and one frame.
void TForm1::Button7Click(QObject*) {
  QString path;
  if (!dialogs_->OpenPicture(OpenPictureDialog1, path)) return;
  QImage bgr;
  QString error;
  if (!ReadMapPicture(path, bgr, error)) {
    dialogs_->ShowWarning(QString::fromStdString(LoadFailureText(path.toStdString(), error.toStdString())));
    return;
  }
  if (!GLPanel1->MakeCurrent()) return;
  TMapImage map = MapImageFromBgr(bgr.constBits(), size_t(bgr.bytesPerLine()), bgr.width(), bgr.height());
  CompileMapImageList(map.tex_width, map.tex_height, map.pixels.data());
  state.image.tex_width = map.tex_width;
  state.image.tex_height = map.tex_height;
  state.image.image_pixels = std::move(map.pixels);
  OpenPictureDialog1.initial_dir = QFileInfo(path).absolutePath();
  ShowMappedImage();
}

// "-> image map": the frame texture, stretched over 512 x 512 window pixels
// and read back, blended with the Diffuse colour by "Alpha shade" so that it
// looks as the shaded overlay made it look, becomes the map image (display
// list 9); every vertex's tex0 takes its current frame-texture coordinate tex,
// so the present state of the animation is pinned onto the surface.
void TForm1::but_save_textClick(QObject*) {
  if (!GLPanel1->MakeCurrent()) return;
  const TRGBInt diffuse = SplitColor(sh_diffuse->Color());
  const int32_t alpha_shade = ud_alpha_shade->Position();
  std::vector<uint8_t> pixels = DrawAndReadFrameTexture(state.frame.lighting_on);
  state.view.tex_width = kMapReadSize;  // the next frame sets them from the panel again
  state.view.tex_height = kMapReadSize;
  BlendWithDiffuse(pixels, diffuse, alpha_shade);
  CompileMapImageList(kMapReadSize, kMapReadSize, pixels.data());
  state.image.map_pixels = std::move(pixels);
  state.image.tex_width = state.image.tex_height = kMapReadSize;
  for (int32_t i = 0; i < state.mesh.vertex_count; ++i) {
    TVertex& v = state.mesh.vertices[i];
    v.tex0[0] = v.tex[0];
    v.tex0[1] = v.tex[1];
  }
  ShowMappedImage();
}

// A map image now exists: "Show mapped image" is checked without a frame of
// its own, then image_loaded and one frame.
void TForm1::ShowMappedImage() {
  ++state.frame.redraw_suspended;
  cb_sh_image->SetChecked(true);
  --state.frame.redraw_suspended;
  state.image.image_loaded = true;
  RequestRedraw();
}

// The frame last drawn, whole panel, as a 24-bit bitmap (panel pixels, top row
// first), read where the panel keeps it (the back buffer, or its copy of the
// shown frame); no frame is drawn. Null before the panel has drawn a frame.
QImage TForm1::GrabFrameBitmap() {
  if (!GLPanel1->BeginReadLastFrame()) return QImage();
  const int32_t w = GLPanel1->Width(), h = GLPanel1->Height();
  const std::vector<uint8_t> pixels = ReadFramePixels(w, h);
  GLPanel1->EndReadLastFrame();
  return BitmapOfFrame(pixels, w, h);
}

// "Copy image": the frame on the clipboard.
void TForm1::but_copyclipboardClick(QObject*) {
  FinishSettling();  // the picture shows the streaks the view is about to show
  const QImage bitmap = GrabFrameBitmap();
  if (!bitmap.isNull()) QGuiApplication::clipboard()->setImage(bitmap);
}

// "Save image...": the frame, grabbed before the dialog opens, written to the
// chosen file: a PNG picture when the name ends in ".png", else a 24-bit
// bitmap. A failed write is reported.
void TForm1::but_save_picClick(QObject*) {
  FinishSettling();
  const QImage bitmap = GrabFrameBitmap();
  if (bitmap.isNull()) return;
  QString path, error;
  if (!dialogs_->SavePicture(SavePictureDialog1, path)) return;
  SavePictureDialog1.initial_dir = QFileInfo(path).absolutePath();
  if (!SavePicture(bitmap, path, error)) dialogs_->ShowWarning(error);
}

// "Save seq. ...": asks for a base name, then writes "#frames" frames as
// base001.bmp, base002.bmp, ... (at least three digits; PNG pictures
// base001.png, ... for a base ending in ".png"), drawing the next
// frame after each file, so the first file holds the frame shown when the
// dialog closed (WritePictureSequence). A name ending in ".mp4" or ".webm"
// instead gets the frames as one movie of that name. A count that is not an
// integer is reported, a count of 0 or less does nothing; a failed write is
// reported and ends the sequence, which leaves no file (nor does a movie).
void TForm1::butsaveseqClick(QObject*) {
  QString base, error;
  // The pictures' dialog, offering movies too.
  TFileDialogState dialog = SavePictureDialog1;
  dialog.filter =
      "PNG pictures|*.PNG|24-bit bitmaps|*.BMP|MP4 movies (H.264)|*.MP4|WebM movies (VP9)|*.WEBM|"
      "All files|*.*";
  if (!dialogs_->SavePicture(dialog, base)) return;
  SavePictureDialog1.initial_dir = QFileInfo(base).absolutePath();
  int32_t n = 0;
  if (!ReadIntegerEdit(ednframe, n) || n <= 0) return;
  if (MovieKindOf(base) != TMovieKind::None) {
    SaveMovie(base, n);
    return;
  }
  FinishSettling();
  WritePictureSequence(base, n);
}

// After each picture the next frame is drawn and the window's pending
// messages run, as in the "Run" loop, with the progress and "Cancel" under
// the view: a long sequence no longer stops the window (64 pictures of a
// large view took seconds; a count typed by mistake, days). The panel's
// paints meanwhile show the frame last drawn, so the files hold frames drawn
// one after the other. All or nothing, as a batch run writes: the pictures
// take their names only once every one was written; a failure, "Cancel" or
// the window's closing leaves none of them. Returns when all are written, one
// could not be (reported), "Cancel" was pressed, or the window was closed.
void TForm1::WritePictureSequence(const QString& base, int32_t n) {
  if (sequence_writing_) return;
  sequence_writing_ = true;
  sequence_cancelled_ = false;
  movie_progress->setRange(0, n);
  movie_progress->setValue(0);
  movie_progress->setFormat("%v of %m pictures");
  HideProbe();
  lab_load->hide();
  movie_row->show();
  butsaveseq->setEnabled(false);
  GLPanel1->KeepPaints(true);
  QString error;
  TFrameWriter writer;
  bool complete = false;
  for (int32_t i = 1; i <= n; ++i) {
    QImage frame = GrabFrameBitmap();
    if (frame.isNull()) {  // the view was resized meanwhile: its next frame is taken
      GLPanel1->Redraw();
      frame = GrabFrameBitmap();
    }
    // Each picture is written before the next frame is drawn, so a failure draws no more.
    writer.Push(frame, SequenceFileName(base, i));
    if (!writer.Flush(error)) {
      dialogs_->ShowWarning(error);
      break;
    }
    GLPanel1->Redraw();
    movie_progress->setValue(i);
    if (i == n) {
      complete = true;
      break;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (sequence_cancelled_ || !isVisible() || QCoreApplication::closingDown()) break;
  }
  if (complete && !writer.Finish(error)) dialogs_->ShowWarning(error);
  GLPanel1->KeepPaints(false);
  movie_row->hide();
  lab_load->show();
  butsaveseq->setEnabled(true);
  sequence_writing_ = false;
}
