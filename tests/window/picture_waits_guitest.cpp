// Picture commands that take many frames let the window answer meanwhile:
// the frames still owed after a change are drawn before a picture while the
// event loop runs, and a sequence of pictures is written with its progress
// and "Cancel" under the view, the files holding frames drawn one after the
// other.
#include <QDir>
#include <QExposeEvent>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "support/form_fixture.h"
#include "support/form_frame_helpers.h"

class PictureWaitsTest : public FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    LoadThroughDialog(*form, dialogs, ExamplePath("torus_flow.ply"));
  }
  QTemporaryDir dir;
};

TEST_F(PictureWaitsTest, FramesOwedBeforeAPictureAreDrawnWhileTheEventLoopRuns) {
  const struct {
    const char* command;
    std::function<void(TForm1&, TScriptedDialogs&, const QTemporaryDir&)> run;
  } commands[] = {
      {"Copy image", [](TForm1& f, TScriptedDialogs&, const QTemporaryDir&) { f.but_copyclipboard->Click(); }},
      {"Save image",
       [](TForm1& f, TScriptedDialogs& d, const QTemporaryDir& t) {
         d.file_answers.push_back(t.filePath("one.png"));
         f.but_save_pic->Click();
       }},
      {"Save seq.",
       [](TForm1& f, TScriptedDialogs& d, const QTemporaryDir& t) {
         f.ednframe->SetText("1");
         d.file_answers.push_back(t.filePath("seq"));
         f.butsaveseq->Click();
       }},
  };
  form->settle_after_changes = true;
  for (const auto& c : commands) {
    SCOPED_TRACE(c.command);
    form->Button18->Click();  // "Reset View": a changed view, then the frames the streaks need
    const int owed = form->SettleFramesOwed();
    ASSERT_GT(owed, 10);
    const int64_t drawn = form->diag.frames_drawn;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(0);
    c.run(*form, dialogs, dir);
    tick.stop();
    EXPECT_EQ(form->SettleFramesOwed(), 0);
    EXPECT_GE(form->diag.frames_drawn - drawn, owed);
    // The event loop ran between the owed frames: drawn at once, it ran not at all.
    EXPECT_GE(ticks, owed / 2);
    EXPECT_TRUE(dialogs.messages.empty());
  }
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("one.png")));
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("seq001.bmp")));
}

// While a long sequence is written: a click on a tab is taken between two
// pictures, a paint the window system asks for shows the frame last drawn
// (no frame of its own between the pictures), and "Cancel" ends the sequence
// keeping the pictures written, numbered without a gap.
TEST_F(PictureWaitsTest, ALongSequenceLetsTheWindowAnswerAndCancelLeavesNoPicture) {
  dialogs.file_answers.push_back(dir.filePath("run"));
  TypeInto(form->ednframe, "2000");
  bool shown = false, tab_taken = false, paint_drew = true;
  int cancelled_at = -1;
  QTimer between;
  QObject::connect(&between, &QTimer::timeout, [&] {
    if (!form->SequenceWriting()) return;
    const int written = form->movie_progress->value();
    shown = shown || (form->movie_progress->isVisible() && form->but_movie_cancel->isVisible() &&
                      !form->butsaveseq->isEnabled() && form->movie_progress->text().endsWith("of 2000 pictures"));
    if (written >= 3 && !tab_taken) {
      QTabBar* tabs = form->PageControl1->tabBar();
      QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
      tab_taken = form->PageControl1->currentIndex() == 3;
      const int64_t drawn = form->diag.frames_drawn;
      QExposeEvent expose(QRegion(0, 0, 50, 50));
      QCoreApplication::sendEvent(form->GLPanel1, &expose);
      paint_drew = form->diag.frames_drawn != drawn;
    }
    if (written >= 6 && cancelled_at < 0) {
      cancelled_at = written;
      QTest::mouseClick(form->but_movie_cancel, Qt::LeftButton);
    }
  });
  between.start(1);
  form->butsaveseq->Click();
  between.stop();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(tab_taken);
  EXPECT_FALSE(paint_drew);
  ASSERT_GE(cancelled_at, 6);
  EXPECT_FALSE(form->SequenceWriting());
  EXPECT_FALSE(form->movie_row->isVisible());
  EXPECT_TRUE(form->butsaveseq->isEnabled());
  EXPECT_TRUE(dialogs.messages.empty());
  // A cancelled run is all or nothing too: no picture of it is left, staged or named.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

// Once every frame of a movie is taken, the encoder completes the file (the
// frames it held back are encoded then) while the window answers; "Cancel"
// cannot undo a movie being completed.
TEST_F(PictureWaitsTest, AMovieIsCompletedWhileTheWindowAnswers) {
  const QString path = dir.filePath("end.mp4");
  dialogs.file_answers.push_back(path);
  TypeInto(form->ednframe, "4");
  bool answered_while_completing = false, cancel_offered_while_completing = false;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (!form->MovieRecording() || form->movie_progress->value() != 4) return;
    answered_while_completing = true;
    cancel_offered_while_completing = cancel_offered_while_completing || form->but_movie_cancel->isEnabled();
  });
  tick.start(0);
  form->butsaveseq->Click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form->MovieRecording(); }, 20000));
  tick.stop();
  EXPECT_TRUE(answered_while_completing);
  EXPECT_FALSE(cancel_offered_while_completing);
  EXPECT_TRUE(form->but_movie_cancel->isEnabled());  // for the next movie
  EXPECT_EQ(form->lab_load->text(), "Movie written: " + path + " (4 frames)");
  EXPECT_TRUE(QFileInfo(path).size() > 0);
  EXPECT_TRUE(dialogs.messages.empty());
}
