// The compiled part of the Python module `flowskin`: scenes drawn with no
// window system through the batch command's own session, options given as
// the batch command's arguments (one parser, one set of messages), frames
// handed over as numpy arrays. python/flowskin/__init__.py builds the
// friendly calls on top.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <QApplication>
#include <QImage>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "batch/batch_run.h"
#include "batch/batch_session.h"
#include "formats/import_worker.h"

namespace py = pybind11;

namespace {

// What Flowskin refuses (a file, a control, a value), with its own message.
struct TFlowskinError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The application object every session needs: made once, on the off-screen
// platform, and kept for the life of the process.
void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  DropOffScreenRemarks();
  static int argc = 1;
  static char name[] = "flowskin";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  QApplication::setApplicationName("Flowskin");
}

// Batch arguments (the program's name first) parsed; a bad one raises with
// the command line's message.
TBatchOptions Parse(const std::vector<std::string>& args) {
  TBatchOptions o;
  std::string error;
  if (!ParseBatchOptions(args, o, error)) throw TFlowskinError(error);
  return o;
}

py::array_t<uint8_t> ToArray(const QImage& picture) {
  if (picture.isNull()) throw TFlowskinError("the frame could not be read back");
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  const py::ssize_t h = rgb.height(), w = rgb.width();
  py::array_t<uint8_t> a({h, w, py::ssize_t(3)});
  uint8_t* out = a.mutable_data();
  for (int y = 0; y < rgb.height(); ++y) std::memcpy(out + y * w * 3, rgb.constScanLine(y), size_t(w) * 3);
  return a;
}

class TPySession {
 public:
  explicit TPySession(const std::vector<std::string>& args) {
    const TBatchOptions o = Parse(args);
    EnsureApplication();
    session_ = std::make_unique<TBatchSession>();
    QString error;
    if (!session_->Open(o, error)) throw TFlowskinError(error.toStdString());
  }
  void Apply(const std::vector<std::string>& args) {
    QString error;
    if (!session_->Apply(Parse(args).steps, error)) throw TFlowskinError(error.toStdString());
  }
  void Step() { session_->Step(); }
  py::array_t<uint8_t> Picture() { return ToArray(session_->Picture()); }
  std::string Probe(int x, int y) { return session_->Probe(x, y).toStdString(); }

 private:
  std::unique_ptr<TBatchSession> session_;
};

}  // namespace

PYBIND11_MODULE(_flowskin, m) {
  m.doc() = "Flowskin's drawing, with no window system";
  py::register_exception<TFlowskinError>(m, "FlowskinError", PyExc_RuntimeError);
  m.def(
      "set_import_worker", [](const std::string& path) { SetImportWorkerPath(path); },
      "The import worker program (flowskin-import) that reads meshes through the import library");
  m.def(
      "usage", [] { return BatchUsage(); }, "The batch command's options");
  m.def(
      "write",
      [](const std::vector<std::string>& args) {
        const TBatchOptions o = Parse(args);
        EnsureApplication();
        QString error;
        if (!WriteBatchFrames(o, error)) throw TFlowskinError(error.toStdString());
      },
      "Writes pictures or a movie as the batch command with these arguments does");
  py::class_<TPySession>(m, "Session")
      .def(py::init<const std::vector<std::string>&>(), "Opens a scene from batch arguments")
      .def("apply", &TPySession::Apply, "Applies the steps of batch arguments")
      .def("step", &TPySession::Step, "Draws one step of the Run loop")
      .def("picture", &TPySession::Picture, "The frame last drawn, H x W x 3 uint8")
      .def("probe", &TPySession::Probe, "What the status line shows for pixel (x, y) from the top left");
}
