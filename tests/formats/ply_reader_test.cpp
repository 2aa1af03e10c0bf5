#include "formats/ply_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

#include "formats/ply_scanner.h"
#include "formats/ply_writer.h"
#include "mesh/mesh_shapes.h"
#include "mesh/parallel_for.h"
#include "support/mesh_fixtures.h"
#include "support/mesh_validator.h"

namespace {

// Header + body helper: `props` are the vertex property lines' names.
std::string Ply(const std::string& props, int nv, int nf, const std::string& body, const std::string& extra = "") {
  std::string h = "ply\nformat ascii 1.0\nelement vertex " + std::to_string(nv) + "\n";
  for (size_t s = 0, e; s < props.size(); s = e + 1) {
    e = props.find(' ', s);
    if (e == std::string::npos) e = props.size();
    h += "property float " + props.substr(s, e - s) + "\n";
  }
  return h + "element face " + std::to_string(nf) + "\nproperty list uchar int vertex_indices\n" + extra +
         "end_header\n" + body;
}

bool Read(const std::string& text, TMesh& mesh, std::string& error, bool swap = false) {
  TPlyHeader h;
  return ReadPlyHeader(text, h, error) && ReadPlyData(text, h, swap, mesh, error);
}

TMesh ReadOk(const std::string& text, bool swap = false) {
  TMesh mesh;
  std::string error;
  EXPECT_TRUE(Read(text, mesh, error, swap)) << error;
  return mesh;
}

std::string ReadError(const std::string& text) {
  TMesh mesh;
  std::string error;
  EXPECT_FALSE(Read(text, mesh, error));
  return error;
}

const char* kTri = "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";

}  // namespace

TEST(PlyReader, ExtraPropertiesAfterXyzAreReadAndDiscarded) {
  const TMesh m = ReadOk(Ply("x y z nx ny nz", 3, 1, "0 0 0 9 9 9\n1 2 3 9 9 9\n4 5 6 9 9 9\n3 0 1 2\n"));
  ASSERT_EQ(m.vertex_count, 3);
  EXPECT_FLOAT_EQ(m.vertices[2].pos.x, 4);
  EXPECT_FLOAT_EQ(m.vertices[2].pos.z, 6);
  EXPECT_FALSE(m.has_user_velo);
  EXPECT_EQ(m.faces[0].v[2], 2);
}

TEST(PlyReader, BodyOrderIsFixedXyzVeloTexWhateverTheHeaderOrder) {
  // tz is unknown: one further value, discarded after tx ty.
  const TMesh m = ReadOk(
      Ply("x y z tx ty tz vx vy vz", 3, 1, "0 0 0 1 2 3 4 5 7\n1 0 0 0 0 0 0 0 0\n0 1 0 0 0 0 0 0 0\n3 0 1 2\n"));
  ASSERT_TRUE(m.has_user_velo && m.has_tex0);
  EXPECT_FLOAT_EQ(m.vertices[0].user_velo.x, 1);
  EXPECT_FLOAT_EQ(m.vertices[0].user_velo.z, 3);
  EXPECT_FLOAT_EQ(m.vertices[0].tex0[0], 4);
  EXPECT_FLOAT_EQ(m.vertices[0].tex0[1], 5);
  EXPECT_FLOAT_EQ(m.vertices[1].pos.x, 1);
}

TEST(PlyReader, TimeStepsAfterTheFaces) {
  const TMesh m = ReadOk(Ply(
      "x y z", 3, 1, std::string(kTri) + "0.5\n1 0 0 2 0 0 3 0 0\n1.5 4 0 0 5 0 0 6 0 0\n2.5 " + "0 0 7 0 0 8 0 0 9\n",
      "ntime 3\n"));
  ASSERT_EQ(m.time_count, 3);
  ASSERT_EQ(m.time_velo.size(), 3u);
  EXPECT_DOUBLE_EQ(m.time_values[1], 1.5);
  EXPECT_FLOAT_EQ(m.time_velo[0][2].x, 3);
  EXPECT_FLOAT_EQ(m.time_velo[2][2].z, 9);
  EXPECT_EQ(ReadOk(Ply("x y z", 3, 1, kTri)).time_count, 0);
}

TEST(PlyReader, SwapOrientationExchangesFirstTwoCorners) {
  const TMesh m = ReadOk(Ply("x y z", 3, 1, kTri), true);
  EXPECT_EQ(m.faces[0].v[0], 1);
  EXPECT_EQ(m.faces[0].v[1], 0);
  EXPECT_EQ(m.faces[0].v[2], 2);
}

TEST(PlyReader, QuadsAndPolygonsBecomeTrianglesInPlaceKeepingTheirWinding) {
  // A square, a convex pentagon (4 below the square's lower edge) and a triangle after them.
  const TMesh m =
      ReadOk(Ply("x y z", 5, 3, "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0.5 -0.5 0\n4 0 1 2 3\n5 0 4 1 2 3\n3 2 3 1\n"));
  ASSERT_EQ(m.face_count, 6);
  const int want_quad[2][3] = {{0, 1, 2}, {0, 2, 3}};  // equal diagonals: the first
  for (int f = 0; f < 2; ++f)
    for (int k = 0; k < 3; ++k) EXPECT_EQ(m.faces[f].v[k], want_quad[f][k]) << f;
  double area = 0;
  for (int f = 2; f < 5; ++f) {
    const TVec3 &a = m.vertices[m.faces[f].v[0]].pos, &b = m.vertices[m.faces[f].v[1]].pos,
                &c = m.vertices[m.faces[f].v[2]].pos;
    const double twice = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    EXPECT_GT(twice, 0) << f;
    area += twice / 2;
  }
  EXPECT_NEAR(area, 1.25, 1e-6);
  EXPECT_EQ(m.faces[5].v[0], 2);
}

TEST(PlyReader, LineEndsCrCrLfAndLfAndTabsInTheBody) {
  for (const char* eol : {"\r", "\r\n", "\n"}) {
    std::string text =
        "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty "
        "float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n"
        "0\t0 0\n1 +2 0\n0 1 -1.5e1\n3 0 1 2\n";
    std::string converted;
    for (char c : text) converted += c == '\n' ? std::string(eol) : std::string(1, c);
    const TMesh m = ReadOk(converted);
    ASSERT_EQ(m.vertex_count, 3) << "eol " << int(eol[0]) << int(eol[1]);
    EXPECT_FLOAT_EQ(m.vertices[1].pos.y, 2);
    EXPECT_FLOAT_EQ(m.vertices[2].pos.z, -15);
  }
}

TEST(PlyReader, WriterOutputReadsBackExactly) {
  TMesh src = fixtures::Octahedron(1.25);
  src.has_user_velo = src.has_tex0 = true;
  for (int i = 0; i < src.vertex_count; ++i) {
    src.vertices[i].user_velo = TVec3{0.1f * i, -1.0f / 3, 7};
    src.vertices[i].tex0[0] = 0.7f / (i + 1);
  }
  const TMesh m = ReadOk(FormatPly(src));
  ASSERT_EQ(m.face_count, 8);
  for (int i = 0; i < src.vertex_count; ++i) {
    EXPECT_EQ(m.vertices[i].pos.x, src.vertices[i].pos.x);
    EXPECT_EQ(m.vertices[i].user_velo.y, src.vertices[i].user_velo.y);
    EXPECT_EQ(m.vertices[i].tex0[0], src.vertices[i].tex0[0]);
  }
}

TEST(PlyReaderBadInput, MalformedNumbersAreInvalidNumericInput) {
  EXPECT_EQ(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1x 0\n3 0 1 2\n")), "Invalid numeric input");
  EXPECT_EQ(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 1.0 2\n")), "Invalid numeric input");
  EXPECT_EQ(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 - 2\n")), "Invalid numeric input");
  EXPECT_EQ(ReadError("ply\nelement vertex three\n"), "Invalid numeric input");
}

TEST(PlyReaderBadInput, TruncatedBodyIsAnErrorNotZeros) {
  // Long numbers, so that the size check of the header passes and the numbers run out.
  const std::string body = "0.000000 0.000000 0.000000\n1.000000 0.000000 0.000000\n0.0000 1.000000 0.000000\n";
  const std::string error = ReadError(Ply("x y z", 3, 1, body + "3 0 1"));
  EXPECT_NE(error.find("end of file"), std::string::npos) << error;
  EXPECT_NE(ReadError(Ply("x y z", 3, 1, body + "3 0 1 2\n0.5 1 2", "ntime 1\n")).find("end of file"),
            std::string::npos);
}

TEST(PlyReaderBadInput, FaceIndicesOutOfRangeAndShortFaces) {
  EXPECT_NE(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n")).find("refers to vertex 3"),
            std::string::npos);
  EXPECT_NE(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 -1 2\n")).find("vertex -1"), std::string::npos);
  EXPECT_NE(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n2 0 1\n")).find("at least 3"), std::string::npos);
}

TEST(PlyReaderBadInput, NonFiniteAndOutOfRangeValues) {
  for (const char* bad : {"nan", "inf", "-inf", "1e39"})
    EXPECT_FALSE(ReadError(Ply("x y z", 3, 1, std::string("0 0 0\n1 ") + bad + " 0\n0 1 0\n3 0 1 2\n")).empty());
  EXPECT_NE(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 nan 0\n0 1 0\n3 0 1 2\n")).find("not finite"), std::string::npos);
}

TEST(PlyReaderBadInput, CountsNegativeZeroOrBeyondTheFileSize) {
  EXPECT_NE(ReadError(Ply("x y z", -3, 1, kTri)).find("Negative"), std::string::npos);
  EXPECT_EQ(ReadError(Ply("x y z", 0, 1, kTri)), "The file has no vertices");
  EXPECT_EQ(ReadError(Ply("x y z", 3, 0, kTri)), "The file has no faces");
  EXPECT_EQ(ReadError("ply\ncomment nothing here\n"), "The file has no vertices");
  EXPECT_EQ(ReadError("ply\nelement vertex 3\nproperty float x\n"), "The file has no faces");
  // A header claiming two billion vertices fails before allocating them.
  EXPECT_NE(ReadError(Ply("x y z", 2000000000, 1, kTri)).find("more than the file"), std::string::npos);
  EXPECT_NE(ReadError(Ply("x y z", 3, 1, kTri, "ntime 2000000000\n")).find("more than the file"), std::string::npos);
}

TEST(PlyReaderBadInput, MissingEndHeader) {
  EXPECT_EQ(ReadError("ply\nelement vertex 3\nelement face 1\n0 0 0\n"), "The header has no end_header line");
}

TEST(PlyReaderBadInput, MissingFileIsFileNotFound) {
  TMesh mesh;
  std::string error;
  EXPECT_FALSE(ReadPlyFile("/nonexistent/dir/none.ply", false, mesh, error));
  EXPECT_EQ(error, "File not found");
  // A folder opens like a file on some systems; it must not be read as one.
  const std::string folder = fixtures::WriteTempFile("x.ply", "");
  EXPECT_FALSE(ReadPlyFile(folder.substr(0, folder.rfind('/')), false, mesh, error));
  EXPECT_EQ(error.rfind("Not a file", 0), 0u) << error;
}

// A large file is read in parts on several threads; the parts meet exactly.
TEST(PlyReader, FileTextIsTheFileWhateverItsSizeAndTheThreads) {
  for (const size_t size : {size_t{0}, size_t{5}, (size_t{24} << 20) + 7}) {
    std::string bytes(size, ' ');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i * 7919 % 26);
    const std::string path = fixtures::WriteTempFile("whole.bin", bytes);
    for (const int threads : {1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << size << " bytes, " << threads << " threads");
      SetParallelThreads(threads);
      std::string text = "left over", error;
      EXPECT_TRUE(ReadFileText(path, text, error)) << error;
      EXPECT_TRUE(text == bytes);
    }
  }
  SetParallelThreads(0);
}

TEST(PlyReader, HeaderWordsAreFoundWhereTheReaderLooksForThem) {
  // The first word "vertex" anywhere counts (case matters, a tab belongs to the
  // word); "ntime" counts only after the face count.
  const std::string text =
      "ply\ncomment Vertex 9 vertex\t5\ncomment vertex 3 first\nelement vertex 7\nproperty float x\n"
      "property float y\nproperty float z\ncomment ntime 2\nelement face 1\nproperty list uchar int "
      "vertex_indices\nend_header\n" +
      std::string(kTri);
  TPlyHeader h;
  std::string error;
  ASSERT_TRUE(ReadPlyHeader(text, h, error)) << error;
  EXPECT_EQ(h.vertex_count, 3);
  EXPECT_EQ(h.face_count, 1);
  EXPECT_EQ(h.time_count, 0);
  EXPECT_EQ(h.extra_count, 0);
  const TMesh m = ReadOk(text);
  EXPECT_FLOAT_EQ(m.vertices[1].pos.x, 1);
  EXPECT_EQ(m.faces[0].v[2], 2);
}

TEST(PlyReader, FaceIntegersWithSignsLeadingZerosAndLongDigitRuns) {
  const TMesh m = ReadOk(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n+3 0 0000000000000000001 +2\n"));
  EXPECT_EQ(m.faces[0].v[1], 1);
  EXPECT_EQ(m.faces[0].v[2], 2);
  EXPECT_FALSE(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 1 99999999999999999999\n")).empty());
  EXPECT_EQ(ReadError(Ply("x y z", 3, 1, "0 0 0\n1 0 0\n0 1 0\n3 0 1 2x\n")), "Invalid numeric input");
}

// Plain decimals take a quicker path than std::from_chars; every number must
// come out with the bits from_chars gives, and everything else (exponents,
// long digit runs, stray characters) must be read or refused as before.
TEST(PlyReader, DecimalsReadWithTheBitsOfFromChars) {
  std::vector<std::string> numbers = {"0",
                                      "-0",
                                      "+7",
                                      "-0.000000",
                                      "4.999921",
                                      "0.1",
                                      ".5",
                                      "5.",
                                      "1.2.3",
                                      "1e5",
                                      "-2.5E-3",
                                      "9007199254740993",
                                      "9007199254740992.5",
                                      "12345678901234567890",
                                      "0.00000000000000000001",
                                      "+-1",
                                      "-+1",
                                      "1.5abc",
                                      "nan",
                                      "-",
                                      "123456789.123456789"};
  uint64_t seed = 12345;
  const auto next = [&seed] { return (seed = seed * 6364136223846793005u + 1442695040888963407u) >> 33; };
  for (int i = 0; i < 20000; ++i) {
    std::string t = next() % 3 == 0 ? "-" : next() % 7 == 0 ? "+" : "";
    const int whole = 1 + next() % 10, fraction = next() % 12;
    for (int d = 0; d < whole; ++d) t += static_cast<char>('0' + next() % 10);
    if (fraction > 0) t += '.';
    for (int d = 0; d < fraction; ++d) t += static_cast<char>('0' + next() % 10);
    numbers.push_back(t);
  }
  for (const std::string& n : numbers) {
    SCOPED_TRACE(n);
    const std::string text = n + " ";  // the scanner reads it in place
    TPlyScanner sc(text);
    double got = 0;
    const ScanStatus status = sc.Real(got);
    const char* begin = n.data() + (n.size() > 1 && n[0] == '+' && n[1] != '-');
    double want = 0;
    const auto [end, ec] = std::from_chars(begin, n.data() + n.size(), want);
    const bool whole_number = ec == std::errc() && end == n.data() + n.size() && end != begin;
    ASSERT_EQ(status == ScanStatus::kOk, whole_number);
    if (whole_number) {
      EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0) << got << " against " << want;
    }
  }
}

namespace {

// Offset of the line `k` lines after "end_header" (0: the first vertex line).
size_t BodyLine(const std::string& text, int k) {
  size_t p = text.find("end_header\n") + 11;
  for (int i = 0; i < k; ++i) p = text.find('\n', p) + 1;
  return p;
}

}  // namespace

// A large file has its faces read by a second thread from where one vertex
// per line puts them. Whatever the layout, the mesh and the first error are
// those of one thread reading from the start.
TEST(PlyReader, LargeFilesReadTheSameOnOneAndTwoThreadsWhateverTheLineLayout) {
  const TMesh torus = MakeTorusMesh(1.0, 0.3, 128, 80);  // 10,240 vertices, 20,480 faces
  const std::string text = FormatPly(torus);
  const int nv = torus.vertex_count;
  auto replace = [&](int line, size_t skip, size_t count, const std::string& with) {
    std::string t = text;
    return t.replace(BodyLine(t, line) + skip, count, with);
  };
  auto joined = [&](int line) {  // this line and the next one made one
    std::string t = text;
    return t.replace(BodyLine(t, line + 1) - 1, 1, " ");
  };
  const struct {
    const char* name;
    std::string text;
    bool ok;
  } cases[] = {
      {"one vertex per line", text, true},
      {"two vertices on one line", joined(10), true},
      {"a vertex over two lines", replace(10, 0, 0, "\n"), true},
      {"blank lines before the faces", replace(nv, 0, 0, "\n \r\n"), true},
      {"a quad among the faces", replace(nv + 500, 0, 1, "4 0"), true},
      {"a face index out of range", replace(nv + 15000, 2, 0, "9"), false},
      {"the same, two vertices on one line", joined(10).replace(BodyLine(text, nv + 15000) - 1, 0, "9"), false},
      {"a malformed vertex number", replace(5000, 0, 0, "x"), false},
      {"a malformed vertex number late in the vertices", replace(8000, 0, 2, "1e999"), false},
      {"two vertices on one line late in the vertices", joined(8000), true},
      {"a short face, a vertex over two lines", replace(20, 0, 0, "\n").replace(BodyLine(text, nv + 300) + 1, 0, "2 "),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TMesh mesh[2];
    std::string error[2];
    bool ok[2];
    for (int threads : {1, 2}) {
      SetParallelThreads(threads);
      ok[threads - 1] = Read(c.text, mesh[threads - 1], error[threads - 1]);
    }
    SetParallelThreads(0);
    EXPECT_EQ(ok[0], ok[1]);
    EXPECT_EQ(error[0], error[1]);
    EXPECT_EQ(MeshDifference(mesh[0], mesh[1]), "");
    EXPECT_EQ(ok[0], c.ok) << error[0];
  }
}
