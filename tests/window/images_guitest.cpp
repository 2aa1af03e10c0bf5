// Pictures in and out of the real window: frame sequences and single frames
// against the frames the panel drew, the map image from bitmaps (and the files
// it refuses), "-> image map", the clipboard, failed writes, and mesh files
// dropped on the window.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>
#include <string>
#include <tuple>

#include "advection/image_map.h"
#include "advection/surface_passes_gl.h"
#include "output/picture_files.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/frame_recorder.h"

namespace {

QByteArray FileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool Is24BitBitmapOf(const QByteArray& bytes, int w, int h) {
  TBitmapHeader header;
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  return IsBitmap24(data, size_t(bytes.size())) && ReadBitmapHeader(data, size_t(bytes.size()), header) &&
         header.width == w && header.height == h;
}

// Whether the picture file shows exactly the recorded frame (top row of the
// picture = last row read back).
bool SameAsFrame(const QString& path, const std::vector<uint8_t>& frame, int w, int h) {
  const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB888);
  if (picture.width() != w || picture.height() != h) return false;
  for (int y = 0; y < h; ++y)
    if (std::memcmp(picture.constScanLine(y), &frame[size_t(h - 1 - y) * w * 3], size_t(w) * 3) != 0) return false;
  return true;
}

bool UpsideDownSymmetric(const std::vector<uint8_t>& frame, int w, int h) {
  for (int y = 0; y < h / 2; ++y)
    if (std::memcmp(&frame[size_t(y) * w * 3], &frame[size_t(h - 1 - y) * w * 3], size_t(w) * 3) != 0) return false;
  return true;
}

// Writes a w x h picture in `format` whose top half is red and bottom half blue.
QString WritePicture(const QTemporaryDir& dir, const char* name, QImage::Format format, int w, int h) {
  QImage picture(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) picture.setPixel(x, y, y < h / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  const QString path = dir.filePath(name);
  picture.convertToFormat(format).save(path);
  return path;
}

// A 32-bit bitmap file (BI_RGB, 4 x 4 white pixels), which the toolkit's
// writer never makes: it writes 24 bits for any picture without a palette.
QString Write32BitBitmap(const QTemporaryDir& dir) {
  QByteArray b(54 + 64, char(0xFF));
  auto put = [&](int at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = char(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put(2, uint32_t(b.size()), 4), put(6, 0, 4), put(10, 54, 4), put(14, 40, 4), put(18, 4, 4), put(22, 4, 4);
  put(26, 1, 2), put(28, 32, 2), put(30, 0, 4), put(34, 64, 4);
  for (int i = 38; i < 54; ++i) b[i] = 0;
  QFile f(dir.filePath("deep.bmp"));
  f.open(QIODevice::WriteOnly);
  f.write(b);
  return f.fileName();
}

// The map image as display list 9 uploads it: size and RGBA texels.
struct TMapTexture {
  int w = 0, h = 0;
  std::vector<uint8_t> rgba;
};
TMapTexture ReadMapTexture(TForm1& form) {
  form.GLPanel1->RenderContext()->makeCurrent(form.GLPanel1);
  GLuint tex = 0;
  glGenTextures(1, &tex);
  glBindTexture(GL_TEXTURE_2D, tex);
  glCallList(kMapImageList);
  TMapTexture t;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &t.w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &t.h);
  t.rgba.resize(size_t(t.w) * t.h * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, t.rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &tex);
  return t;
}

}  // namespace

class ImagesTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
  }
  // Makes the drawing area w x h through the window-size edits.
  // Sizes the drawing area and waits until the panel has handled its resize
  // (the window system reports it after the new size reads back), so that
  // its frames come before what the test does next.
  void ResizePanel(int w, int h) {
    bool resized = false;
    form->diag.on_event = [&](const char* handler, QObject*) {
      resized = resized || std::string(handler) == "GLPanel1Resize";
    };
    TypeInto(form->ed_winw, QString::number(w));
    TypeInto(form->ed_winh, QString::number(h));
    QTest::keyClick(form->ed_winw, Qt::Key_Return);
    const bool sized =
        QTest::qWaitFor([&] { return resized && form->GLPanel1->Width() == w && form->GLPanel1->Height() == h; }, 3000);
    form->diag.on_event = nullptr;
    ASSERT_TRUE(sized);
  }
  QTemporaryDir dir;
};

TEST_F(ImagesTest, SaveSeqWritesEachFrameAsA24BitBitmapAndDrawsTheNext) {
  ResizePanel(301, 300);  // rows of 903 bytes: not a multiple of 4
  TFrameRecorder recorder(*form);
  for (int i = 0; i < 5; ++i) form->RunLoopFrame();  // some flow on the torus
  const int w = form->GLPanel1->Width(), h = form->GLPanel1->Height();
  ASSERT_FALSE(UpsideDownSymmetric(recorder.frames.back(), w, h));
  const size_t before = recorder.frames.size();
  const int64_t drawn = form->diag.frames_drawn;
  const QString base = dir.filePath("run");
  dialogs.file_answers.push_back(base);
  TypeInto(form->ednframe, "3");
  form->butsaveseq->Click();
  EXPECT_EQ(form->diag.frames_drawn - drawn, 3);
  ASSERT_EQ(recorder.frames.size(), before + 3);
  for (int i = 1; i <= 3; ++i) {
    const QString name = base + QString("00%1.bmp").arg(i);
    EXPECT_TRUE(Is24BitBitmapOf(FileBytes(name), w, h)) << name.toStdString();
    // File i holds the frame on screen before the i-th draw of the sequence.
    EXPECT_TRUE(SameAsFrame(name, recorder.frames[before + i - 2], w, h)) << name.toStdString();
  }
  EXPECT_FALSE(QFile::exists(base + "004.bmp"));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImagesTest, SaveSeqWithoutAPositiveCountWritesAndDrawsNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", nullptr}, {"-4", nullptr}, {"x3", "'x3' is not a valid integer value"}};
  for (const auto& [count, message] : cases) {
    dialogs.messages.clear();
    const int64_t drawn = form->diag.frames_drawn;
    dialogs.file_answers.push_back(dir.filePath("none"));
    TypeInto(form->ednframe, count);
    form->butsaveseq->Click();
    EXPECT_EQ(form->diag.frames_drawn, drawn) << count;
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << count;
    if (message)
      EXPECT_EQ(dialogs.messages, std::vector<QString>{message});
    else
      EXPECT_TRUE(dialogs.messages.empty()) << count;
  }
}

TEST_F(ImagesTest, SaveImageWritesTheShownFrameAndReportsAFolderItCannotWriteTo) {
  TFrameRecorder recorder(*form);
  form->RequestRedraw();
  Settle();
  const int w = form->GLPanel1->Width(), h = form->GLPanel1->Height();
  const int64_t drawn = form->diag.frames_drawn;
  for (const char* name : {"shot.bmp", "shot.PNG"}) {
    dialogs.file_answers.push_back(dir.filePath(name));
    form->but_save_pic->Click();
    EXPECT_TRUE(SameAsFrame(dir.filePath(name), recorder.frames.back(), w, h)) << name;
  }
  EXPECT_TRUE(Is24BitBitmapOf(FileBytes(dir.filePath("shot.bmp")), w, h));
  EXPECT_TRUE(FileBytes(dir.filePath("shot.PNG")).startsWith("\x89PNG"));
  EXPECT_EQ(form->diag.frames_drawn, drawn);
  // A folder that does not exist: one message each, nothing drawn, nothing written.
  const QString missing = dir.filePath("no/such/folder/x");
  dialogs.file_answers.push_back(missing + ".bmp");
  form->but_save_pic->Click();
  dialogs.file_answers.push_back(missing);
  TypeInto(form->ednframe, "3");
  form->butsaveseq->Click();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_TRUE(dialogs.messages[0].startsWith("Cannot write " + missing + ".bmp")) << dialogs.messages[0].toStdString();
  EXPECT_TRUE(dialogs.messages[1].startsWith("Cannot write " + missing + "001.bmp"));
  EXPECT_EQ(form->diag.frames_drawn, drawn);
}

TEST_F(ImagesTest, CopyImagePutsThePanelOnTheClipboard) {
  TFrameRecorder recorder(*form);
  form->RequestRedraw();
  form->but_copyclipboard->Click();
  const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888);
  const int w = form->GLPanel1->Width(), h = form->GLPanel1->Height();
  ASSERT_EQ(copied.size(), QSize(w, h));
  EXPECT_EQ(std::memcmp(copied.constScanLine(0), &recorder.frames.back()[size_t(h - 1) * w * 3], size_t(w) * 3), 0);
}

TEST_F(ImagesTest, A24BitBitmapBecomesTheMapImageShownOnTheSurface) {
  form->cbshtexture->SetChecked(false);  // the shaded surface, at full opacity
  const QString path = WritePicture(dir, "tall.bmp", QImage::Format_RGB888, 100, 400);
  ASSERT_TRUE(IsBitmap24(reinterpret_cast<const uint8_t*>(FileBytes(path).constData()), FileBytes(path).size()));
  const int64_t requests = form->diag.redraw_requests;
  dialogs.file_answers.push_back(path);
  form->Button7->Click();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form->diag.redraw_requests - requests, 1);
  EXPECT_TRUE(form->state.image.image_loaded);
  EXPECT_TRUE(form->cb_sh_image->Checked());
  const TMapTexture t = ReadMapTexture(*form);
  ASSERT_EQ(t.w, 128);
  ASSERT_EQ(t.h, 512);
  const auto texel = [&](int x, int y) {
    return std::vector<uint8_t>(&t.rgba[(y * 128 + x) * 4], &t.rgba[(y * 128 + x) * 4 + 4]);
  };
  EXPECT_EQ(texel(0, 0), (std::vector<uint8_t>{255, 0, 0, 255}));     // texture row 0: the picture's top
  EXPECT_EQ(texel(99, 399), (std::vector<uint8_t>{0, 0, 255, 255}));  // its bottom row
  // The lit grey surface turns red and blue where the picture lies on it.
  auto coloured = [&] {
    const TPanelImage img(*form);
    int red = 0, blue = 0;
    for (int y = 0; y < img.Height(); y += 2)
      for (int x = 0; x < img.Width(); x += 2) {
        const TRgb p = img.At(x, y);
        red += p.r > p.b + 60;
        blue += p.b > p.r + 60;
      }
    return std::pair{red, blue};
  };
  const auto [red, blue] = coloured();
  EXPECT_GT(red, 500);
  EXPECT_GT(blue, 500);
  form->cb_sh_image->SetChecked(false);
  EXPECT_EQ(coloured(), (std::pair{0, 0}));
}

TEST_F(ImagesTest, PicturesOtherThan24BitBitmapsKeepThePreviousMap) {
  dialogs.file_answers.push_back(WritePicture(dir, "good.bmp", QImage::Format_RGB888, 100, 400));
  form->Button7->Click();
  const TMapTexture kept = ReadMapTexture(*form);
  QByteArray cut = FileBytes(dir.filePath("good.bmp"));
  cut.truncate(cut.size() / 2);
  QFile truncated(dir.filePath("cut.bmp"));
  ASSERT_TRUE(truncated.open(QIODevice::WriteOnly) && truncated.write(cut) == cut.size());
  truncated.close();
  QFile text(dir.filePath("notes.bmp2"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not a picture") > 0);
  text.close();
  const std::pair<QString, const char*> cases[] = {
      {Write32BitBitmap(dir), "24 bit bitmap expected"},
      {WritePicture(dir, "grey.bmp", QImage::Format_Indexed8, 8, 8), "24 bit bitmap expected"},
      {WritePicture(dir, "small.ppm", QImage::Format_RGB888, 8, 8), "A 24-bit bitmap, PNG or JPEG picture expected"},
      {dir.filePath("cut.bmp"), "24 bit bitmap expected"},
      {dir.filePath("notes.bmp2"), nullptr},  // not a picture at all: the loader's own message
      {dir.filePath("missing.bmp"), "No such file or directory"},
  };
  for (const auto& [path, reason] : cases) {
    dialogs.messages.clear();
    dialogs.calls.clear();
    const int64_t requests = form->diag.redraw_requests;
    dialogs.file_answers.push_back(path);
    form->Button7->Click();
    ASSERT_EQ(dialogs.messages.size(), 1u) << path.toStdString();
    EXPECT_EQ(dialogs.calls.back(), "warning");
    // A warning that names the file, then the reason.
    const QString named = "Cannot load \"" + QFileInfo(path).fileName() + "\": ";
    ASSERT_TRUE(dialogs.messages[0].startsWith(named)) << dialogs.messages[0].toStdString();
    const QString said = dialogs.messages[0].mid(named.size());
    if (reason)
      EXPECT_EQ(said, reason) << path.toStdString();
    else
      EXPECT_TRUE(!said.isEmpty() && !said.contains("expected")) << said.toStdString();
    EXPECT_EQ(form->diag.redraw_requests, requests);
    const TMapTexture now = ReadMapTexture(*form);
    EXPECT_EQ(now.w, kept.w);
    EXPECT_EQ(now.rgba, kept.rgba) << path.toStdString();
  }
}

TEST_F(ImagesTest, PngAndJpegPicturesBecomeTheMapImageToo) {
  // name, format written, picture size, texture size.
  struct Case {
    const char* name;
    QImage::Format format;
    int w, h, tw, th;
  };
  const Case cases[] = {
      {"tall.png", QImage::Format_RGB888, 100, 400, 128, 512},
      {"clear.png", QImage::Format_ARGB32, 3, 5, 4, 8},  // transparency dropped
      {"wide.jpg", QImage::Format_RGB888, 700, 40, 512, 64},
      {"photo.jpeg", QImage::Format_Grayscale8, 16, 16, 16, 16},
  };
  for (const Case& c : cases) {
    const QString path = WritePicture(dir, c.name, c.format, c.w, c.h);
    dialogs.file_answers.push_back(path);
    form->state.image.image_loaded = false;
    form->Button7->Click();
    ASSERT_TRUE(dialogs.messages.empty()) << c.name << ": " << dialogs.messages.front().toStdString();
    EXPECT_TRUE(form->state.image.image_loaded) << c.name;
    const TMapTexture t = ReadMapTexture(*form);
    ASSERT_EQ(t.w, c.tw) << c.name;
    ASSERT_EQ(t.h, c.th) << c.name;
    // Every texel of the (cropped) picture is the decoded pixel, top row first,
    // with alpha 255; the top is red and the bottom blue in all but the grey one.
    const QImage decoded = QImage(path).convertToFormat(QImage::Format_RGB888);
    int differing = 0;
    for (int y = 0; y < std::min(c.h, 512); ++y)
      for (int x = 0; x < std::min(c.w, 512); ++x) {
        const uint8_t* texel = &t.rgba[size_t(y * c.tw + x) * 4];
        const QRgb p = decoded.pixel(x, y);
        differing += texel[0] != qRed(p) || texel[1] != qGreen(p) || texel[2] != qBlue(p) || texel[3] != 255;
      }
    EXPECT_EQ(differing, 0) << c.name;
    if (c.format != QImage::Format_Grayscale8) {
      EXPECT_GT(t.rgba[0], 200) << c.name;
      EXPECT_GT(t.rgba[size_t((c.h - 1) * c.tw) * 4 + 2], 200) << c.name;
    }
  }
}

TEST_F(ImagesTest, ImageMapFreezesTheFrameBlendedWithTheDiffuseColour) {
  for (int i = 0; i < 5; ++i) form->RunLoopFrame();
  form->sh_diffuse->SetColor(MakeColor(192, 0, 255));
  form->but_save_text->Click();
  EXPECT_TRUE(form->state.image.image_loaded);
  EXPECT_TRUE(form->cb_sh_image->Checked());
  for (int i : {0, 500, form->state.mesh.vertex_count - 1}) {
    const TVertex& v = form->state.mesh.vertices[i];
    EXPECT_EQ(v.tex0[0], v.tex[0]);
    EXPECT_EQ(v.tex0[1], v.tex[1]);
  }
  // Every texel is a quarter frame and three quarters diffuse: red at least
  // 144, green at most 64, blue at least 191; alpha 255.
  const TMapTexture t = ReadMapTexture(*form);
  ASSERT_EQ(t.w, 512);
  ASSERT_EQ(t.h, 512);
  for (size_t i = 0; i < t.rgba.size(); i += 4 * 97) {
    EXPECT_GE(t.rgba[i], 144);
    EXPECT_LE(t.rgba[i + 1], 64);
    EXPECT_GE(t.rgba[i + 2], 191);
    EXPECT_EQ(t.rgba[i + 3], 255);
  }
}

TEST_F(ImagesTest, DroppedMeshFilesLoadAndOtherFilesDoNothing) {
  QFile bad(dir.filePath("broken.PLY"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("ply\nformat ascii 1.0\nelement vertex x\n") > 0);
  bad.close();
  // A drag entering `target`, then the drop; whether the drop was taken.
  auto drop = [&](QObject* target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    event.setAccepted(false);
    QCoreApplication::sendEvent(target, &event);
    return enter.isAccepted() && event.isAccepted();
  };
  const int torus_vertices = form->state.mesh.vertex_count;
  const QUrl sphere = QUrl::fromLocalFile(ExamplePath("sphere.ply"));
  EXPECT_FALSE(drop(form->GLPanel1, {QUrl::fromLocalFile(dir.filePath("x.bmp"))}));
  EXPECT_FALSE(drop(form.get(), {sphere, sphere}));
  EXPECT_EQ(form->state.mesh.vertex_count, torus_vertices);
  EXPECT_TRUE(drop(form->GLPanel1, {sphere}));
  EXPECT_EQ(form->state.mesh.vertex_count, 4098);
  EXPECT_EQ(form->MeshPath(), ExamplePath("sphere.ply"));
  EXPECT_TRUE(drop(form.get(), {QUrl::fromLocalFile(dir.filePath("broken.PLY"))}));
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(form->state.mesh.vertex_count, 4098);
  EXPECT_TRUE(dialogs.messages.size() == 1 && !dialogs.messages[0].isEmpty());
}

TEST(SequenceFileName, APngOrBitmapEndingStaysAfterTheNumber) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"out/run", 1, "out/run001.bmp"}, {"out/run.png", 42, "out/run042.png"}, {"a.PNG", 1000, "a1000.PNG"},
      {"shot.Bmp", 7, "shot007.Bmp"},   {"run.jpg", 1, "run.jpg001.bmp"},      {"dir.png/x", 2, "dir.png/x002.bmp"},
  };
  for (const auto& [base, i, name] : cases) EXPECT_EQ(SequenceFileName(base, i), name) << base;
}

TEST_F(ImagesTest, PictureDialogsOfferPngJpegAndBitmapsAndSequencesKeepAPngEnding) {
  form->but_save_pic->Click();  // cancelled
  form->Button7->Click();       // cancelled
  ASSERT_GE(dialogs.file_dialogs_shown.size(), 2u);
  const size_t n = dialogs.file_dialogs_shown.size();
  EXPECT_EQ(QtFilterOf(dialogs.file_dialogs_shown[n - 2].filter),
            "PNG pictures (*.PNG *.png);;24-bit bitmaps (*.BMP *.bmp);;All files (*.*)");
  const QString open = QtFilterOf(dialogs.file_dialogs_shown[n - 1].filter);
  EXPECT_TRUE(open.startsWith("Pictures (*.BMP *.bmp *.PNG *.png *.JPG *.jpg *.JPEG *.jpeg);;")) << open.toStdString();
  for (const auto& [base, first, png] : {std::tuple{"run.png", "run001.png", true}, {"run.BMP", "run001.BMP", false}}) {
    dialogs.file_answers.push_back(dir.filePath(base));
    TypeInto(form->ednframe, "2");
    form->butsaveseq->Click();
    const QByteArray bytes = FileBytes(dir.filePath(first));
    EXPECT_EQ(bytes.startsWith("\x89PNG"), png) << base;
    EXPECT_EQ(bytes.startsWith("BM"), !png) << base;
  }
  EXPECT_TRUE(dialogs.messages.empty());
}
