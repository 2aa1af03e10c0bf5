// "Save seq. ..." with a movie name: one movie file of the frames the panel
// showed, in order, at the panel's size (odd sides padded by one), and a movie
// that cannot be written reported with nothing drawn and no file left.
#include <QDir>
#include <QFile>
#include <QTabBar>
#include <QTemporaryDir>

#include "output/picture_files.h"
#include "output/picture_measures.h"
#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"
#include "support/movie_decoder_av.h"

namespace {

// Every frame the panel draws, as the 24-bit picture a grab gives, read from
// the back buffer before the panel swaps it.
struct TFramePictures {
  std::vector<QImage> frames;
  explicit TFramePictures(TForm1& form) {
    auto draw = form.GLPanel1->OnRedraw;
    form.GLPanel1->OnRedraw = [this, draw](TGLPanel* panel) {
      draw(panel);
      const int w = panel->Width(), h = panel->Height();
      std::vector<uint8_t> px(size_t(w) * h * 3);
      glReadBuffer(GL_BACK);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, px.data());
      glPixelStorei(GL_PACK_ALIGNMENT, 4);
      frames.push_back(BitmapOfFrame(px, w, h));
    };
  }
};

}  // namespace

class SaveMovieTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
    // An odd drawing area, as a window often has.
    TypeInto(form->ed_winw, "123");
    TypeInto(form->ed_winh, "75");
    QTest::keyClick(form->ed_winw, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->Width() == 123 && form->GLPanel1->Height() == 75; }, 3000))
        << form->GLPanel1->Width() << "x" << form->GLPanel1->Height();
  }
  QTemporaryDir dir;
};

TEST_F(SaveMovieTest, SaveSeqWithAMovieNameWritesTheFramesShownAsOneMovie) {
  struct Case {
    const char* name;
    const char* codec;
    int fps;  // "Movie fps"
  };
  TFramePictures recorder(*form);
  for (const Case& c : {Case{"run.mp4", "h264", 25}, Case{"run.WebM", "vp9", 12}}) {
    form->ud_movie_fps->SetPosition(c.fps);
    for (int i = 0; i < 30; ++i) form->RunLoopFrame();  // streaks on the torus
    const size_t before = recorder.frames.size();
    const int64_t drawn = form->diag.frames_drawn;
    dialogs.file_answers.push_back(dir.filePath(c.name));
    TypeInto(form->ednframe, "6");
    form->butsaveseq->Click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->MovieRecording(); }, 20000)) << c.name;
    // At least a draw after each frame taken (the window, live meanwhile, may draw more).
    EXPECT_GE(form->diag.frames_drawn - drawn, 5) << c.name;
    EXPECT_EQ(form->lab_load->text(), "Movie written: " + dir.filePath(c.name) + " (6 frames)");
    EXPECT_TRUE(dialogs.messages.empty()) << c.name;
    ASSERT_GE(recorder.frames.size(), before + 5);
    TDecodedMovie movie;
    std::string error;
    ASSERT_TRUE(DecodeMovie(dir.filePath(c.name).toStdString(), movie, error)) << error;
    EXPECT_EQ(movie.codec, c.codec);
    EXPECT_EQ(QSize(movie.width, movie.height), QSize(124, 76)) << c.name;
    EXPECT_NEAR(movie.fps, c.fps, 0.05);  // (WebM keeps times in whole milliseconds)
    ASSERT_EQ(movie.frames.size(), 6u) << c.name;
    // Each movie frame is a frame the panel showed, later ones later: the first
    // the one shown when the dialog closed.
    size_t next = before - 1;
    for (size_t k = 0; k < 6; ++k) {
      size_t best = next;
      for (size_t j = next; j < recorder.frames.size(); ++j)
        if (Psnr(recorder.frames[j], movie.frames[k]) > Psnr(recorder.frames[best], movie.frames[k])) best = j;
      EXPECT_GT(Psnr(recorder.frames[best], movie.frames[k]), 28) << c.name << " frame " << k;
      if (k == 0) {
        EXPECT_EQ(best, before - 1) << c.name;
      }
      next = best;  // (frames a draw apart can be near alike: the next may match as well)
    }
  }
  QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  files.sort();
  EXPECT_EQ(files, (QStringList{"run.WebM", "run.mp4"}));
}

TEST_F(SaveMovieTest, AMovieThatCannotBeWrittenIsReportedAndNothingIsDrawn) {
  Settle();
  const int64_t drawn = form->diag.frames_drawn;
  const QString missing = dir.filePath("no/such/folder/run.mp4");
  dialogs.file_answers.push_back(missing);
  TypeInto(form->ednframe, "3");
  form->butsaveseq->Click();
  EXPECT_EQ(dialogs.messages, std::vector<QString>{"Cannot write " + missing + ": No such file or directory"});
  EXPECT_EQ(dialogs.calls.back(), "warning");  // as for pictures
  EXPECT_EQ(form->diag.frames_drawn, drawn);
  EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

// A long movie: the window answers while it is written (a tab switch, the
// frames go on), and "Cancel" stops it leaving no file.
TEST_F(SaveMovieTest, TheWindowAnswersWhileAMovieIsWrittenAndCancelLeavesNoFile) {
  const QString path = dir.filePath("long.mp4");
  dialogs.file_answers.push_back(path);
  TypeInto(form->ednframe, "2000");
  form->butsaveseq->Click();
  ASSERT_TRUE(form->MovieRecording());
  EXPECT_TRUE(form->movie_progress->isVisible());
  EXPECT_TRUE(form->but_movie_cancel->isVisible());
  EXPECT_FALSE(form->butsaveseq->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->movie_progress->value() >= 5; }, 10000));
  // A click on a tab is taken at once, between two frames.
  const int before = form->movie_progress->value();
  QTabBar* tabs = form->PageControl1->tabBar();
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
  EXPECT_EQ(form->PageControl1->currentIndex(), 3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->movie_progress->value() >= before + 5; }, 10000));
  EXPECT_TRUE(form->MovieRecording());
  form->but_movie_cancel->Click();
  EXPECT_FALSE(form->MovieRecording());
  EXPECT_FALSE(form->movie_progress->isVisible());
  EXPECT_TRUE(form->butsaveseq->isEnabled());
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(QDir(dir.path()).isEmpty())
      << QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).join(" ").toStdString();
}

// "Movie size": a movie of 640 x 480 from a view of 256 x 256, drawn at its
// own size (its streaks as fine as a view of that size shows them, not a
// small view scaled up, and its texture taken at that size), while the window
// keeps its size; afterwards the view draws at its own size again. "View"
// gives the view's size.
TEST_F(SaveMovieTest, AMovieTakesTheChosenSizeWhateverTheWindows) {
  TypeInto(form->ed_winw, "256");
  TypeInto(form->ed_winh, "256");
  QTest::keyClick(form->ed_winw, Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return form->GLPanel1->Width() == 256 && form->GLPanel1->Height() == 256; }, 3000));
  for (int i = 0; i < 40; ++i) form->RunLoopFrame();  // a still view, its streaks grown
  struct Row {
    int index;  // of cb_movie_size
    QSize size;
  };
  for (const Row& r : {Row{1, {640, 480}}, Row{0, {256, 256}}}) {
    SCOPED_TRACE(r.index);
    form->cb_movie_size->SetItemIndex(r.index);
    const QString path = dir.filePath(QString("sized%1.mp4").arg(r.index));
    dialogs.file_answers.push_back(path);
    TypeInto(form->ednframe, "3");
    form->butsaveseq->Click();
    ASSERT_TRUE(form->MovieRecording());
    if (r.index != 0) {
      EXPECT_EQ(QSize(form->GLPanel1->Width(), form->GLPanel1->Height()), r.size);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->MovieRecording(); }, 60000));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QSize(form->GLPanel1->Width(), form->GLPanel1->Height()), QSize(256, 256));
    EXPECT_EQ(form->ed_winw->Text(), "256");
    TDecodedMovie movie;
    std::string error;
    ASSERT_TRUE(DecodeMovie(path.toStdString(), movie, error)) << error;
    EXPECT_EQ(QSize(movie.width, movie.height), r.size);
    ASSERT_EQ(movie.frames.size(), 3u);
    if (r.index != 0) {
      const TTextureMeasures m = MeasurePicture(movie.frames.back(), -1);
      EXPECT_GT(m.interior_pixels, 20000);  // the torus fills the frame, not a corner of it
      EXPECT_GT(m.coherence, 0.55);         // streaks, not noise or a blur
    }
  }
  // The view draws again at its own size: a picture has the window's size.
  form->RequestRedraw();
  EXPECT_EQ(form->GrabFrameBitmap().size(), QSize(256, 256));
}
