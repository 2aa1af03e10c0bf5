// The window's frame: the drawing area with the message panel below it on the
// left, the control panel with the five tabs on the right.
#include <QBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>

#include "glpanel/glpanel.h"
#include "window/controls/control_label.h"
#include "window/form1.h"
#include "window/form_builders.h"

namespace {

constexpr int kControlPanelWidth = 312;  // every tab and label whole in DejaVu Sans at 11 pixels
constexpr int kMessagePanelHeight = 38;
constexpr int kDrawingSize = 512;  // drawing area at start, square

QLabel* BoldLabel(const QString& name, const QString& caption) {
  auto* l = new TElidedLabel(caption);
  l->setObjectName(name);
  QFont f = l->font();
  f.setBold(true);
  f.setPixelSize(16);
  l->setFont(f);
  return l;
}

// A tab page that scrolls vertically when its content is taller than the window.
QWidget* Scrolled(QWidget* page) {
  auto* s = new QScrollArea;
  s->setWidget(page);
  s->setWidgetResizable(true);
  s->setFrameShape(QFrame::NoFrame);
  s->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  return s;
}

}  // namespace

void TForm1::BuildWindow() {
  setWindowTitle("Flowskin");
  setObjectName("Form1");
  auto* central = new QWidget;
  auto* h = new QHBoxLayout(central);
  h->setContentsMargins(0, 0, 0, 0);
  h->setSpacing(0);
  auto* left = new QVBoxLayout;
  left->setContentsMargins(0, 0, 0, 0);
  left->setSpacing(0);
  left->addWidget(BuildDrawingArea(), 1);
  left->addWidget(BuildMessagePanel());
  h->addLayout(left, 1);
  h->addWidget(BuildControlPanel());
  setCentralWidget(central);
  setAcceptDrops(true);
  // The client area is sized so that the drawing area is 512 x 512 at start.
  resize(kDrawingSize + kControlPanelWidth, kDrawingSize + kMessagePanelHeight);
  move(17, 10);
}

QWidget* TForm1::BuildDrawingArea() {
  Panel2 = new QWidget;
  Panel2->setObjectName("Panel2");
  GLPanel1 = new TGLPanel;
  GLPanel1->setObjectName("GLPanel1");
  GLPanel1->SwapBB = true;
  GLPanel1->OnResize = FORM_HANDLER(GLPanel1Resize);
  GLPanel1->OnGLInit = FORM_HANDLER(GLPanel1GLInit);
  GLPanel1->OnRedraw = FORM_HANDLER(GLPanel1Redraw);
  GLPanel1->OnMouseDown = FORM_HANDLER(GLPanel1MouseDown);
  GLPanel1->OnMouseMove = FORM_HANDLER(GLPanel1MouseMove);
  GLPanel1->OnMouseUp = FORM_HANDLER(GLPanel1MouseUp);
  GLPanel1->OnMouseLeave = [this](TGLPanel*) { HideProbe(); };
  GLPanel1->OnDragOver = [this](TGLPanel* panel, const QMimeData* mime) { return FormDragOver(panel, mime); };
  GLPanel1->OnDrop = [this](TGLPanel* panel, const QMimeData* mime) { FormDragDrop(panel, mime); };
  GLPanel1Container = QWidget::createWindowContainer(GLPanel1, Panel2);
  GLPanel1Container->setObjectName("GLPanel1Container");
  GLPanel1Container->setMinimumSize(16, 16);
  auto* v = new QVBoxLayout(Panel2);
  v->setContentsMargins(0, 0, 0, 0);
  v->addWidget(GLPanel1Container);
  // "X" lies over the drawing area; it needs its own native window to stay
  // above the GL window.
  Button15 = new TButton("Button15", "X", Panel2);
  Button15->setAttribute(Qt::WA_NativeWindow);
  Button15->setGeometry(8, 8, 25, 25);
  Button15->OnClick = FORM_HANDLER(Button15Click);
  Button15->hide();
  return Panel2;
}

QWidget* TForm1::BuildMessagePanel() {
  panel_message = new QWidget;
  panel_message->setObjectName("panel_message");
  panel_message->setFixedHeight(kMessagePanelHeight);
  auto* h = new QHBoxLayout(panel_message);
  h->setContentsMargins(8, 2, 4, 2);
  lab_ntri = BoldLabel("lab_ntri", "triangles");
  lab_load = new TElidedLabel;
  lab_load->setObjectName("lab_load");
  QFont small = lab_load->font();
  small.setPixelSize(10);
  small.setStretch(QFont::Condensed);
  lab_load->setFont(small);
  lab_load->setMinimumWidth(1);  // a long text never widens the window
  // While a movie or a sequence of pictures is written its progress and
  // "Cancel" take the place of the load line under the counts, so they never
  // widen the window.
  movie_progress = new QProgressBar;
  movie_progress->setObjectName("movie_progress");
  movie_progress->setMinimumWidth(1);
  movie_progress->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  movie_progress->setMaximumHeight(14);
  movie_progress->setFont(small);
  movie_progress->hide();
  but_movie_cancel = new TButton("but_movie_cancel", "Cancel");
  but_movie_cancel->OnClick = [this](QObject*) {
    if (sequence_writing_)
      sequence_cancelled_ = true;  // the pictures written so far stay
    else
      EndMovie(false);
  };
  but_movie_cancel->setFont(small);
  but_movie_cancel->setMaximumHeight(14);
  but_movie_cancel->setMinimumWidth(1);
  but_movie_cancel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  but_movie_cancel->hide();
  auto* counts = new QVBoxLayout;
  counts->setContentsMargins(0, 0, 0, 0);
  counts->setSpacing(0);
  counts->addWidget(lab_ntri);
  counts->addWidget(lab_load);
  lab_probe = new TElidedLabel;
  lab_probe->setObjectName("lab_probe");
  lab_probe->setFont(small);
  lab_probe->setMinimumWidth(1);
  lab_probe->hide();
  counts->addWidget(lab_probe);
  movie_row = new QWidget;
  movie_row->setObjectName("movie_row");
  movie_row->setMinimumWidth(1);
  auto* movie_items = new QHBoxLayout(movie_row);
  movie_items->setContentsMargins(0, 0, 0, 0);
  movie_items->setSpacing(4);
  movie_items->addWidget(movie_progress, 3);
  movie_items->addWidget(but_movie_cancel, 1);
  movie_progress->show();
  but_movie_cancel->show();
  movie_row->hide();
  counts->addWidget(movie_row);
  lab_time = new QLabel("t");
  lab_time->setObjectName("lab_time");
  lab_time->hide();
  lab_fps = BoldLabel("lab_fps", "fps  ");
  lab_fps->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  sb_animate = new TSpeedButton("sb_animate", "Run");
  sb_animate->setFixedSize(60, 30);
  sb_animate->OnClick = FORM_HANDLER(sb_animateClick);
  h->addLayout(counts, 100);  // nearly all the free width goes to the counts
  h->addWidget(lab_time);
  h->addStretch(1);
  h->addWidget(lab_fps);
  h->addWidget(sb_animate);
  return panel_message;
}

QWidget* TForm1::BuildControlPanel() {
  panel_control = new QWidget;
  panel_control->setObjectName("panel_control");
  panel_control->setFixedWidth(kControlPanelWidth);
  // Compact controls so that every row of a tab fits the panel's width.
  QFont f = panel_control->font();
  f.setPixelSize(11);
  panel_control->setFont(f);
  panel_control->setStyleSheet(
      "QPushButton { padding: 2px 5px; min-width: 0px; }"
      "QTabBar::tab { padding: 3px 5px; }"
      "QGroupBox { font-weight: bold; }"
      "QGroupBox > QWidget, QGroupBox QLabel, QGroupBox QCheckBox, QGroupBox QRadioButton,"
      " QGroupBox QPushButton, QGroupBox QLineEdit { font-weight: normal; }");
  auto* v = new QVBoxLayout(panel_control);
  v->setContentsMargins(0, 0, 0, 0);
  PageControl1 = new QTabWidget;
  PageControl1->setObjectName("PageControl1");
  PageControl1->setUsesScrollButtons(false);
  PageControl1->addTab(Scrolled(BuildTabGeneral()), "General");
  PageControl1->addTab(Scrolled(BuildTabTexture()), "Texture");
  PageControl1->addTab(Scrolled(BuildTabFlow()), "Flow");
  PageControl1->addTab(Scrolled(BuildTabData()), "Data");
  PageControl1->addTab(Scrolled(BuildTabShade()), "Shade");
  PageControl1->setCurrentIndex(0);
  v->addWidget(PageControl1);
  return panel_control;
}
