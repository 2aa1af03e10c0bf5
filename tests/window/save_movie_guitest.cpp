// "Save seq. ..." with a movie name: one movie file of the frames the panel
// showed, in order, at the panel's size (odd sides padded by one), and a movie
// that cannot be written reported with nothing drawn and no file left.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "output/picture_files.h"
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
  };
  TFramePictures recorder(*form);
  for (const Case& c : {Case{"run.mp4", "h264"}, Case{"run.WebM", "vp9"}}) {
    for (int i = 0; i < 30; ++i) form->RunLoopFrame();  // streaks on the torus
    const size_t before = recorder.frames.size();
    const int64_t drawn = form->diag.frames_drawn;
    dialogs.file_answers.push_back(dir.filePath(c.name));
    TypeInto(form->ednframe, "6");
    form->butsaveseq->Click();
    EXPECT_EQ(form->diag.frames_drawn - drawn, 6) << c.name;
    EXPECT_TRUE(dialogs.messages.empty()) << c.name;
    ASSERT_EQ(recorder.frames.size(), before + 6);
    TDecodedMovie movie;
    std::string error;
    ASSERT_TRUE(DecodeMovie(dir.filePath(c.name).toStdString(), movie, error)) << error;
    EXPECT_EQ(movie.codec, c.codec);
    EXPECT_EQ(QSize(movie.width, movie.height), QSize(124, 76)) << c.name;
    EXPECT_NEAR(movie.fps, 25, 0.01);
    ASSERT_EQ(movie.frames.size(), 6u) << c.name;
    // Movie frame k (0-based) is the frame shown before the k-th draw of the sequence.
    for (size_t k = 0; k < 6; ++k) {
      const QImage& shown = recorder.frames[before + k - 1];
      const double own = Psnr(shown, movie.frames[k]);
      EXPECT_GT(own, 28) << c.name << " frame " << k;
      EXPECT_GT(own, Psnr(recorder.frames[before + k], movie.frames[k]) + 1) << c.name << " frame " << k;
    }
  }
  QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  files.sort();
  EXPECT_EQ(files, (QStringList{"run.WebM", "run.mp4"}));
}

TEST_F(SaveMovieTest, AMovieThatCannotBeWrittenIsReportedAndNothingIsDrawn) {
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
