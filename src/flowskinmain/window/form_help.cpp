// The window explains itself: the "?" button with Help and About, a tooltip on
// every control, the keyboard shortcuts and the mouse wheel in the view.
#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QShortcut>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolButton>

#include "glpanel/glpanel.h"
#include "window/control_tips.h"
#include "window/form1.h"
#include "window/program_info.h"

namespace {

// A window beside the main one (not modal: the main window stays usable),
// with the widget `body` and a "Close" button.
QDialog* SideWindow(QWidget* parent, const QString& name, const QString& title, QWidget* body) {
  auto* d = new QDialog(parent);
  d->setObjectName(name);
  d->setWindowTitle(title);
  auto* v = new QVBoxLayout(d);
  v->addWidget(body);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::close);
  v->addWidget(buttons);
  return d;
}

}  // namespace

void TForm1::InstallHelpAndKeys() {
  but_help = new QToolButton;
  but_help->setObjectName("but_help");
  but_help->setText("?");
  but_help->setPopupMode(QToolButton::InstantPopup);
  auto* menu = new QMenu(but_help);
  // The key is shown after the tab; the shortcut itself is the window's F1
  // below (a second one on the same key would make both ambiguous).
  menu->addAction("Help\tF1", this, &TForm1::ShowHelp)->setObjectName("act_help");
  menu->addAction("About Flowskin", this, &TForm1::ShowAbout)->setObjectName("act_about");
  but_help->setMenu(menu);
  but_help->setFixedSize(30, 30);
  // Beside "Run", which stays at the right edge.
  auto* row = static_cast<QBoxLayout*>(panel_message->layout());
  row->insertWidget(row->indexOf(sb_animate), but_help);
  ApplyControlTips(this);

  const auto key = [this](QKeySequence seq, const char* name, std::function<void()> run) {
    auto* s = new QShortcut(seq, this);
    s->setObjectName(name);
    connect(s, &QShortcut::activated, this, std::move(run));
  };
  key(Qt::Key_F1, "key_help", [this] { ShowHelp(); });
  key(QKeySequence::Open, "key_load_mesh", [this] { but_load_mesh->Click(); });
  key(Qt::Key_Space, "key_run", [this] { sb_animate->click(); });
  key(Qt::Key_F11, "key_full_window", [this] { ToggleFullWindow(); });
  key(Qt::Key_Escape, "key_back", [this] {
    if (Button15->isVisible()) Button15->Click();
  });
  key(QKeySequence::Save, "key_save_image", [this] { but_save_pic->Click(); });
  key(QKeySequence::Copy, "key_copy_image", [this] { but_copyclipboard->Click(); });
  GLPanel1->OnMouseWheel = [this](TGLPanel* panel, TShiftState shift, int x, int y, int delta) {
    GLPanel1MouseWheel(panel, shift, x, y, delta);
  };
}

void TForm1::ToggleFullWindow() {
  if (panel_control->isVisible())
    Button14->Click();
  else
    Button15->Click();
}

void TForm1::ShowHelp() {
  if (!HelpWindow) {
    auto* text = new QTextBrowser;
    text->setObjectName("help_text");
    text->setOpenExternalLinks(true);
    text->setHtml(HelpPageHtml(ReadmePath()));
    HelpWindow = SideWindow(this, "HelpWindow", "Flowskin Help", text);
    HelpWindow->resize(460, 560);
  }
  HelpWindow->show();
  HelpWindow->raise();
}

void TForm1::ShowAbout() {
  if (!AboutWindow) {
    auto* label = new QLabel;
    label->setObjectName("about_text");
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    AboutWindow = SideWindow(this, "AboutWindow", "About Flowskin", label);
  }
  // The driver is known once the view has its context.
  auto* label = AboutWindow->findChild<QLabel*>("about_text");
  label->setText(ProgramVersion() + "\n\nFlow on surfaces by image-space texture advection.\n\n" +
                 LibraryVersions(GLPanel1->GLDescription()));
  AboutWindow->show();
  AboutWindow->raise();
}
