// The import worker: the library's faults end in the worker as messages that
// name the file, the previous mesh stays byte for byte, no process is left
// behind, and the worker hands back exactly what the library read.
#include "formats/import_worker.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/import_library.h"
#include "formats/import_reply.h"
#include "formats/ply_writer.h"
#include "loading/mesh_loading.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_format_writers.h"
#include "support/mesh_validator.h"

namespace {

// True when no child of this process is left, running or unwaited.
bool NoChildLeft() { return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

bool ProcessGone(int pid) { return pid > 0 && kill(pid, 0) == -1 && errno == ESRCH; }

std::string Regression(const char* name) {
  std::ifstream in(std::filesystem::path(FLOWSKIN_FUZZ_DIR) / "import_regressions" / name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_GT(s.str().size(), 4u) << name;
  return s.str().substr(4);  // past the extension and option bytes of an import case
}

// A prepared mesh with a user value in its aux field, as a load leaves it.
TMesh PreviousMesh() {
  TMesh m;
  std::string error;
  EXPECT_TRUE(LoadMeshFromText(FormatPly(fixtures::Octahedron()), TLoadOptions{}, m, error)) << error;
  m.vertices[2].aux = 3;
  return m;
}

void ExpectUnchanged(const TMesh& m, const TMesh& before, const std::string& name) {
  EXPECT_EQ(MeshDifference(m, before), "") << name;
  ASSERT_EQ(m.vertices.size(), before.vertices.size()) << name;
  EXPECT_EQ(0, std::memcmp(m.vertices.data(), before.vertices.data(), sizeof(TVertex) * m.vertices.size())) << name;
  EXPECT_EQ(0, std::memcmp(m.faces.data(), before.faces.data(), sizeof(TFace) * m.faces.size())) << name;
}

}  // namespace

TEST(ImportWorker, FaultsEndInTheirMessageAndLeaveNoProcessBehind) {
  struct TCase {
    TWorkerFault fault;
    TImportLimits limits;
    TWorkerEnd end;
    const char* reason;
  };
  const TCase cases[] = {
      {TWorkerFault::kCrash,
       {30, 0, TWorkerFault::kCrash},
       TWorkerEnd::kCrashed,
       "The import library failed on this file (it crashed)"},
      {TWorkerFault::kHang,
       {1, 0, TWorkerFault::kHang},
       TWorkerEnd::kTimedOut,
       "The import library failed on this file (it gave up after 1 s)"},
      {TWorkerFault::kMemory,
       {30, 256, TWorkerFault::kMemory},
       TWorkerEnd::kOutOfMemory,
       "The import library failed on this file (it ran out of memory: more than 256 MB)"},
  };
  const std::string obj = fixtures::ObjText(fixtures::Cube());
  const TMesh before = PreviousMesh();
  for (const TCase& c : cases) {
    TImportedSoup soup;
    std::string reason;
    TWorkerRun run;
    EXPECT_FALSE(ReadSoupInWorker("cube.obj", obj, TMeshFormat::kObj, c.limits, soup, reason, &run));
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(static_cast<int>(run.end), static_cast<int>(c.end)) << c.reason;
    EXPECT_TRUE(soup.View().corners.empty() && soup.View().uv.empty()) << c.reason;
    EXPECT_TRUE(ProcessGone(run.pid)) << c.reason;
    EXPECT_TRUE(NoChildLeft()) << c.reason;
    // The same fault in a whole load: the file named, the mesh as it was.
    TMesh m = before;
    TLoadOptions options;
    options.import_limits = c.limits;
    std::string error;
    EXPECT_FALSE(LoadMeshFromBytes("/some/folder/cube.obj", obj, options, m, error));
    EXPECT_EQ(error, std::string("Cannot load \"cube.obj\": ") + c.reason);
    ExpectUnchanged(m, before, c.reason);
    EXPECT_TRUE(NoChildLeft()) << c.reason;
  }
}

// Files that crashed the library, made it loop or leak, or reached a reader
// of another format: each is refused with the file named, the mesh stays.
TEST(ImportWorker, HostileFilesAreRefusedNamedAndTheMeshStays) {
  struct TCase {
    const char* regression;
    const char* name;
    const char* reason;
  };
  const TCase cases[] = {
      // Declares more faces than it holds, the last face lines zero bytes: an
      // assertion of the library's triangulation.
      {"off_faces_cut_by_zero_bytes.case", "cut.off", "The import library failed on this file (it crashed)"},
      // Stray bytes in a normal: the library leaks on it.
      {"stl_stray_bytes_in_normal.case", "stray.stl", "Facet 0 has a normal that is not a number"},
      // Neither is binary glTF; other readers would take them (one loops for ever).
      {"glb_with_ply_like_text.case", "loop.glb", "Not a readable binary glTF file (its contents are not binary glTF)"},
      {"glb_with_other_model_text.case", "model.glb",
       "Not a readable binary glTF file (its contents are not binary glTF)"},
      // A texture coordinate whose bits are not a number, read as they stand.
      {"glb_uv_not_a_number.case", "nan.glb", "The file holds a texture coordinate that is not a finite number"},
  };
  const TMesh before = PreviousMesh();
  for (const TCase& c : cases) {
    const std::string bytes = Regression(c.regression);
    TMesh m = before;
    TLoadOptions options;
    options.import_limits.seconds = 10;  // the loop, were it reached, gives a different message
    std::string error;
    EXPECT_FALSE(LoadMesh(fixtures::WriteTempFile(c.name, bytes), options, m, error)) << c.name;
    EXPECT_EQ(error, std::string("Cannot load \"") + c.name + "\": " + c.reason);
    ExpectUnchanged(m, before, c.name);
    EXPECT_TRUE(NoChildLeft()) << c.name;
  }
}

// What crosses the socket arrives bit for bit: corners and texture
// coordinates of every format, from the worker as from the library here.
TEST(ImportWorker, HandsBackExactlyWhatTheLibraryReads) {
  TMesh sphere = fixtures::UvSphere(1, 16, 8);
  sphere.has_tex0 = true;
  for (TVertex& v : sphere.vertices) v.tex0[0] = 0.5f + 0.25f * v.pos.x, v.tex0[1] = 0.5f - 0.375f * v.pos.z;
  const struct {
    const char* name;
    TMeshFormat format;
    std::string bytes;
  } cases[] = {
      {"s.obj", TMeshFormat::kObj, fixtures::ObjText(sphere, true)},
      {"s.stl", TMeshFormat::kStlBinary, fixtures::StlBinary(sphere)},
      {"s.stl", TMeshFormat::kStlAscii, fixtures::StlAsciiText(sphere)},
      {"s.off", TMeshFormat::kOff, fixtures::OffText(sphere)},
      {"s.gltf", TMeshFormat::kGltf, fixtures::GltfText(sphere, true)},
      {"s.glb", TMeshFormat::kGlb, fixtures::GlbBytes(sphere)},
  };
  for (const auto& c : cases) {
    TTriangleSoup here;
    TImportedSoup imported;
    std::string reason;
    ASSERT_TRUE(ReadSoupWithLibrary(c.name, c.bytes, c.format, here, reason)) << c.name << ": " << reason;
    ASSERT_TRUE(ReadSoupInWorker(c.name, c.bytes, c.format, TImportLimits{}, imported, reason))
        << c.name << ": " << reason;
    const TSoupView there = imported.View();
    EXPECT_EQ(there.corners.size(), here.corners.size()) << MeshFormatName(c.format);
    EXPECT_EQ(there.uv.size(), here.uv.size()) << MeshFormatName(c.format);
    EXPECT_EQ(here.uv.empty(), c.format != TMeshFormat::kObj && c.format != TMeshFormat::kGltf);
    if (there.corners.size() == here.corners.size()) {
      EXPECT_EQ(0, std::memcmp(there.corners.data(), here.corners.data(), here.corners.size() * sizeof(TVec3)));
    }
    if (there.uv.size() == here.uv.size() && !here.uv.empty()) {
      EXPECT_EQ(0, std::memcmp(there.uv.data(), here.uv.data(), here.uv.size() * sizeof(here.uv[0])));
    }
  }
  EXPECT_TRUE(NoChildLeft());
}

TEST(ImportWorker, AHelperThatCannotStartIsAMessage) {
  const std::string saved = ImportWorkerPath();
  SetImportWorkerPath("/nonexistent/flowskin-import");
  TImportedSoup soup;
  std::string reason;
  TWorkerRun run;
  EXPECT_FALSE(ReadSoupInWorker("cube.obj", fixtures::ObjText(fixtures::Cube()), TMeshFormat::kObj, TImportLimits{},
                                soup, reason, &run));
  SetImportWorkerPath(saved);
  EXPECT_EQ(reason, "The import helper /nonexistent/flowskin-import cannot be started (No such file or directory)");
  EXPECT_EQ(static_cast<int>(run.end), static_cast<int>(TWorkerEnd::kNotStarted));
  EXPECT_TRUE(NoChildLeft());
}

TEST(ImportReply, HeadsAreReadBackOrRefusedWithTheirFault) {
  const auto head = [](TReplyKind kind, uint32_t reason, bool uv, uint64_t corners) {
    TReplyHead h;
    h.kind = kind, h.reason_bytes = reason, h.has_uv = uv, h.corner_count = corners;
    return EncodeReplyHead(h);
  };
  const auto patched = [](std::string bytes, size_t at, uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
    return bytes;
  };
  const std::string good = head(TReplyKind::kTriangles, 0, true, 36);
  const struct {
    std::string bytes;
    const char* fault;  // "" when it reads back
  } cases[] = {
      {good, ""},
      {head(TReplyKind::kRefused, 40, false, 0), ""},
      {head(TReplyKind::kTriangles, 0, false, 3000), ""},  // max_corners itself
      {good.substr(0, 23), "the answer is shorter than its head"},
      {"XSKR" + good.substr(4), "the answer does not start with its mark"},
      {patched(good, 4, 2), "the answer is of an unknown kind 2"},
      {patched(good, 12, 7), "the answer's texture flag is 7"},
      {head(TReplyKind::kRefused, kMaxReplyReasonBytes + 1, false, 0), "the answer's reason is too long"},
      {head(TReplyKind::kRefused, 5, false, 3), "a refusal carries triangles"},
      {head(TReplyKind::kTriangles, 0, false, 0), "the answer's corner count 0 is not a whole number of triangles"},
      {head(TReplyKind::kTriangles, 0, false, 35), "the answer's corner count 35 is not a whole number of triangles"},
      {head(TReplyKind::kTriangles, 0, false, 3003), "the answer holds 1001 triangles, more than can be taken"},
  };
  for (const auto& c : cases) {
    TReplyHead h;
    EXPECT_EQ(DecodeReplyHead(c.bytes, 3000, h), c.fault);
  }
  TReplyHead h;
  ASSERT_EQ(DecodeReplyHead(good, 3000, h), "");
  EXPECT_EQ(AnswerFileBytes(h), 36u * 20u);
  ASSERT_EQ(DecodeReplyHead(head(TReplyKind::kRefused, 40, false, 0), 3000, h), "");
  EXPECT_EQ(AnswerFileBytes(h), 0u);
  for (TMeshFormat f : {TMeshFormat::kObj, TMeshFormat::kStlAscii, TMeshFormat::kStlBinary, TMeshFormat::kOff,
                        TMeshFormat::kGltf, TMeshFormat::kGlb})
    EXPECT_EQ(FormatFromWord(FormatWord(f)), f) << MeshFormatName(f);
  EXPECT_EQ(FormatFromWord(FormatWord(TMeshFormat::kPly)), TMeshFormat::kUnknown);
}
