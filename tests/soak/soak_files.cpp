#include "soak/soak_files.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>

#include "formats/mesh_files.h"
#include "support/load_case.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_format_writers.h"
#include "support/vtk_writers.h"

namespace soak {
namespace {

class TWriter {
 public:
  TWriter(const QString& dir, TSoakFiles& files) : dir_(dir), files_(files) {}

  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(dir_).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
      std::fprintf(stderr, "soak: cannot write %s\n", qPrintable(path));
      return QString();
    }
    return path;
  }
  void Mesh(const QString& name, const std::string& bytes, TOutcome outcome, bool time_steps = false) {
    const QString path = Write(name, QByteArray::fromStdString(bytes));
    if (!path.isEmpty()) files_.meshes.push_back({path, outcome, time_steps});
  }
  void Picture(const QString& name, const QByteArray& bytes, TOutcome outcome) {
    const QString path = Write(name, bytes);
    if (!path.isEmpty()) files_.pictures.push_back({path, outcome});
  }

 private:
  QString dir_;
  TSoakFiles& files_;
};

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray Noise(int bytes, quint32 seed) {
  QByteArray b(bytes, 0);
  QRandomGenerator g(seed);
  for (char& c : b) c = char(g.bounded(256));
  return b;
}

// A mesh whose velocity changes over `steps` time steps.
std::string TimePly(TMesh m, int steps) {
  m.time_count = steps;
  for (int t = 0; t < steps; ++t) {
    m.time_values.push_back(0.5 * t);
    std::vector<TVec3> v(m.vertex_count);
    for (int32_t i = 0; i < m.vertex_count; ++i) {
      const TVec3& p = m.vertices[i].pos;
      v[i] = {-p.y + 0.1f * t, p.x, 0.2f * t};
    }
    m.time_velo.push_back(std::move(v));
  }
  return fixtures::PlyText(m);
}

// Every file below `dir` whose name the loader takes, but no reference files.
std::vector<QString> MeshFilesBelow(const QString& dir) {
  std::vector<QString> out;
  QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    if (path.endsWith(".ref") || !IsMeshFileName(path.toStdString())) continue;
    out.push_back(path);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// A folder that takes no new file: a read-only file system mounted on it
// where that is allowed (root), else one without write permission.
std::string MakeReadOnly(const QString& dir) {
  QDir().mkpath(dir);
  const QByteArray d = QFile::encodeName(dir);
  if (geteuid() == 0 && mount("tmpfs", d.constData(), "tmpfs", MS_RDONLY, "size=16k") == 0) return "read-only mount";
  chmod(d.constData(), 0555);
  const QString probe = QDir(dir).filePath("probe");
  QFile f(probe);
  if (!f.open(QIODevice::WriteOnly)) return "no write permission";
  f.close();
  QFile::remove(probe);
  return "";  // writable after all: the caller uses another place
}

}  // namespace

std::vector<QString> TSoakFiles::Where(TOutcome outcome) const {
  std::vector<QString> out;
  for (const TSoakFile& f : meshes)
    if (f.outcome == outcome) out.push_back(f.path);
  return out;
}

TSoakFiles MakeSoakFiles(const QString& work_dir, const QString& examples_dir, const QString& corpus_dir,
                         const QString& fuzz_dir) {
  TSoakFiles files;
  TWriter in(QDir(work_dir).filePath("in"), files);

  // The examples: every kind of PLY the program ships and a simulation file.
  for (const char* name : {"sphere.ply", "sphere_swirl.ply", "torus.ply", "torus_binary.ply", "torus_flow.ply",
                           "wave_mapped.ply", "motorbike_wss.vtp"})
    files.meshes.push_back({QDir(examples_dir).filePath(name), TOutcome::kLoads});

  // Small files of every format the import worker and the simulation readers take.
  TMesh sphere = fixtures::Sphere(1, 3);
  in.Mesh("ball.obj", fixtures::ObjText(sphere, true), TOutcome::kLoads);
  in.Mesh("ball_ascii.stl", fixtures::StlAsciiText(sphere), TOutcome::kLoads);
  in.Mesh("ball_binary.stl", fixtures::StlBinary(sphere), TOutcome::kLoads);
  in.Mesh("ball.off", fixtures::OffText(sphere), TOutcome::kLoads);
  in.Mesh("ball.gltf", fixtures::GltfText(sphere, true, {"", "\"translation\":[3,0,0]"}), TOutcome::kLoads);
  in.Mesh("ball.glb", fixtures::GlbBytes(sphere), TOutcome::kLoads);
  const fixtures::TSimData sheet = fixtures::QuadSheet(14, 9);
  in.Mesh("sheet_ascii.vtk", fixtures::LegacyVtk(sheet, false, true), TOutcome::kLoads);
  in.Mesh("sheet_binary_grid.vtk", fixtures::LegacyVtk(sheet, true, false), TOutcome::kLoads);
  in.Mesh("sheet_ascii.vtp", fixtures::VtkXml(sheet, {}, true), TOutcome::kLoads);
  in.Mesh("sheet_zlib.vtu", fixtures::VtkXml(sheet, {fixtures::TXmlEncoding::kBase64, true}, false), TOutcome::kLoads);
  in.Mesh("sheet_raw_be.vtp",
          fixtures::VtkXml(sheet, {fixtures::TXmlEncoding::kAppendedRaw, false, true, true, true}, true),
          TOutcome::kLoads);
  in.Mesh("sheet_appended64.vtu", fixtures::VtkXml(sheet, {fixtures::TXmlEncoding::kAppendedBase64, true, true}, false),
          TOutcome::kLoads);
  in.Mesh("sheet_velocity.ply", fixtures::SimPly(sheet, "U"), TOutcome::kLoads);

  // Time-dependent data.
  in.Mesh("octa_times.ply", TimePly(fixtures::Octahedron(), 3), TOutcome::kLoads, true);
  in.Mesh("ball_times.ply", TimePly(fixtures::Sphere(1, 2), 6), TOutcome::kLoads, true);
  for (const char* name : {"foam/VTK/blocks.vtm.series", "vtk9/series/flow.vtp.series", "vtk9/flow_double_quotes.pvd"})
    files.meshes.push_back({QDir(corpus_dir).filePath(name), TOutcome::kLoads, true});

  // Broken files: cut short, noise under every extension, empty, missing, a folder.
  const QByteArray sphere_ply = ReadAll(QDir(examples_dir).filePath("sphere.ply"));
  const QByteArray torus_bin = ReadAll(QDir(examples_dir).filePath("torus_binary.ply"));
  const QByteArray vtp = ReadAll(QDir(examples_dir).filePath("motorbike_wss.vtp"));
  in.Mesh("cut_ascii.ply", sphere_ply.left(sphere_ply.size() * 2 / 5).toStdString(), TOutcome::kRefused);
  in.Mesh("cut_header.ply", sphere_ply.left(60).toStdString(), TOutcome::kRefused);
  in.Mesh("cut_binary.ply", torus_bin.left(torus_bin.size() * 3 / 5).toStdString(), TOutcome::kRefused);
  in.Mesh("cut.vtp", vtp.left(vtp.size() / 2).toStdString(), TOutcome::kRefused);
  const std::string glb = fixtures::GlbBytes(sphere);
  in.Mesh("cut.glb", glb.substr(0, glb.size() / 2), TOutcome::kRefused);
  quint32 seed = 11;
  for (const char* ext :
       {".ply", ".obj", ".stl", ".off", ".gltf", ".glb", ".vtk", ".vtp", ".vtu", ".vtm", ".pvd", ".series", ".PLY"}) {
    in.Mesh(QString("noise") + ext, Noise(3000 + int(seed) * 97, seed).toStdString(), TOutcome::kEither);
    ++seed;
  }
  for (const char* ext : {".ply", ".obj", ".stl", ".vtk", ".vtu", ".glb"})
    in.Mesh(QString("empty") + ext, std::string(), TOutcome::kRefused);
  files.meshes.push_back({QDir(work_dir).filePath("in/missing.ply"), TOutcome::kRefused});
  files.meshes.push_back({"/nonexistent-folder/mesh.obj", TOutcome::kRefused});
  QDir().mkpath(QDir(work_dir).filePath("in/folder.ply"));
  files.meshes.push_back({QDir(work_dir).filePath("in/folder.ply"), TOutcome::kRefused});

  // The format corpus, and the fuzz seeds and regressions as the files they stand for.
  for (const QString& path : MeshFilesBelow(corpus_dir)) files.meshes.push_back({path, TOutcome::kEither});
  for (const QString& path : MeshFilesBelow(QDir(fuzz_dir).filePath("vtk_seeds")))
    files.meshes.push_back({path, TOutcome::kEither});
  int n = 0;
  for (const char* dir : {"seeds", "regressions"}) {
    QDirIterator it(QDir(fuzz_dir).filePath(dir), QDir::Files);
    while (it.hasNext()) {
      const QByteArray input = ReadAll(it.next());
      const QString name = QFileInfo(it.filePath()).fileName().remove(".case");
      in.Mesh(QString("fuzz%1_%2").arg(n++).arg(name), input.mid(kLoadCaseOptionBytes).toStdString(),
              TOutcome::kEither);
    }
  }
  for (const char* dir : {"import_seeds", "import_regressions"}) {
    QDirIterator it(QDir(fuzz_dir).filePath(dir), QDir::Files);
    while (it.hasNext()) {
      const QByteArray input = ReadAll(it.next());
      const std::string name = ImportCaseName(std::string_view(input.constData(), input.size()));
      in.Mesh(QString("import%1_").arg(n++) + QString::fromStdString(name),
              input.mid(1 + kLoadCaseOptionBytes).toStdString(), TOutcome::kEither);
    }
  }
  {
    QDirIterator it(QDir(fuzz_dir).filePath("vtk_regressions"), QDir::Files);
    while (it.hasNext()) in.Mesh(QString("vtkreg%1.vtu").arg(n++), ReadAll(it.next()).toStdString(), TOutcome::kEither);
  }

  // Pictures: a bitmap, PNG and JPEG pictures, the odd bitmaps of the fuzz
  // seeds, and broken ones.
  files.pictures.push_back({QDir(examples_dir).filePath("checker.bmp"), TOutcome::kLoads});
  QImage img(300, 200, QImage::Format_RGB32);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, (x ^ y) % 256));
  const QString png = QDir(work_dir).filePath("in/stripes.png"), jpg = QDir(work_dir).filePath("in/stripes.jpg");
  QImage big(1100, 700, QImage::Format_ARGB32);
  big.fill(qRgba(200, 30, 90, 128));
  const QString big_png = QDir(work_dir).filePath("in/big_clear.png");
  if (img.save(png)) files.pictures.push_back({png, TOutcome::kLoads});
  if (img.save(jpg)) files.pictures.push_back({jpg, TOutcome::kLoads});
  if (big.save(big_png)) files.pictures.push_back({big_png, TOutcome::kLoads});
  {
    QDirIterator it(QDir(fuzz_dir).filePath("bitmap_seeds"), QDir::Files);
    while (it.hasNext()) files.pictures.push_back({it.next(), TOutcome::kEither});
  }
  in.Picture("noise.png", Noise(5000, 99), TOutcome::kRefused);
  in.Picture("noise.bmp", "BM" + Noise(5000, 98), TOutcome::kRefused);
  in.Picture("empty.bmp", QByteArray(), TOutcome::kRefused);
  in.Picture("cut.png", ReadAll(png).left(300), TOutcome::kRefused);
  files.pictures.push_back({QDir(examples_dir).filePath("sphere.ply"), TOutcome::kRefused});
  files.pictures.push_back({QDir(work_dir).filePath("in/missing.png"), TOutcome::kRefused});

  // Places to save to.
  files.out_dir = QDir(work_dir).filePath("out");
  QDir().mkpath(files.out_dir);
  files.missing_dir = QDir(work_dir).filePath("no/such/folder");
  files.read_only_dir = QDir(work_dir).filePath("read_only");
  files.read_only_how = MakeReadOnly(files.read_only_dir);
  if (files.read_only_how.empty()) {  // root without mounts: a place no one may create files in
    files.read_only_dir = "/proc";
    files.read_only_how = "/proc";
  }
  return files;
}

void ReleaseSoakFiles(TSoakFiles& files) {
  if (files.read_only_how == "read-only mount") umount2(QFile::encodeName(files.read_only_dir).constData(), MNT_DETACH);
  files.read_only_how.clear();
}

}  // namespace soak
