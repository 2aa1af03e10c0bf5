// Times the load of a large simulation surface against the binary PLY load of
// the same surface in one run: a ring torus of about 1,000,000 triangles
// written as little-endian binary PLY, as an XML PolyData file with appended
// raw Float32 points and Int32 cells, and the same with zlib blocks; each
// loaded by LoadMesh (reading and every preparation step) and read alone
// (file to raw mesh). Prints best-of-3 times and the ratios to PLY.
//
//   vtk_load_bench [nu nv]     (default 1000 500: 500,000 vertices, 1,000,000 triangles)
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "formats/cell_surface.h"
#include "formats/ply_reader.h"
#include "formats/ply_writer.h"
#include "formats/vtk_xml.h"
#include "loading/mesh_loading.h"
#include "mesh/mesh_shapes.h"

namespace {

template <typename T>
std::string Bytes(const std::vector<T>& v) {
  return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T));
}

// One appended block: a UInt32 byte count and the data, or with zlib the
// block header and 32 KiB blocks compressed at level 1 (what writers use for speed).
std::string Block(const std::string& data, bool zlib) {
  std::string out;
  auto put = [&](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
  if (!zlib) {
    put(static_cast<uint32_t>(data.size()));
    return out + data;
  }
  const size_t bs = 32768, blocks = (data.size() + bs - 1) / bs;
  std::string body;
  std::vector<uint32_t> sizes;
  for (size_t b = 0; b < blocks; ++b) {
    const size_t n = std::min(bs, data.size() - b * bs);
    uLongf len = compressBound(static_cast<uLong>(n));
    std::string z(len, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &len, reinterpret_cast<const Bytef*>(data.data() + b * bs),
              static_cast<uLong>(n), 1);
    z.resize(len);
    sizes.push_back(static_cast<uint32_t>(len));
    body += z;
  }
  put(static_cast<uint32_t>(blocks));
  put(static_cast<uint32_t>(bs));
  put(static_cast<uint32_t>(data.size() - (blocks - 1) * bs));
  for (const uint32_t s : sizes) put(s);
  return out + body;
}

std::string Vtp(const TMesh& m, bool zlib) {
  std::vector<float> pts;
  for (int32_t i = 0; i < m.vertex_count; ++i)
    pts.insert(pts.end(), {m.vertices[i].pos.x, m.vertices[i].pos.y, m.vertices[i].pos.z});
  std::vector<int32_t> conn, offsets;
  for (int32_t f = 0; f < m.face_count; ++f) {
    conn.insert(conn.end(), m.faces[f].v, m.faces[f].v + 3);
    offsets.push_back(3 * (f + 1));
  }
  const std::string blocks[3] = {Block(Bytes(pts), zlib), Block(Bytes(conn), zlib), Block(Bytes(offsets), zlib)};
  const size_t off1 = blocks[0].size(), off2 = off1 + blocks[1].size();
  std::string x =
      "<?xml version=\"1.0\"?>\n<VTKFile type=\"PolyData\" version=\"1.0\" byte_order=\"LittleEndian\" "
      "header_type=\"UInt32\"" +
      std::string(zlib ? " compressor=\"vtkZLibDataCompressor\"" : "") + ">\n<PolyData>\n<Piece NumberOfPoints=\"" +
      std::to_string(m.vertex_count) + "\" NumberOfPolys=\"" + std::to_string(m.face_count) +
      "\">\n<Points><DataArray type=\"Float32\" NumberOfComponents=\"3\" "
      "format=\"appended\" offset=\"0\"/></Points>\n<Polys><DataArray type=\"Int32\" Name=\"connectivity\" "
      "format=\"appended\" offset=\"" +
      std::to_string(off1) +
      "\"/><DataArray type=\"Int32\" "
      "Name=\"offsets\" format=\"appended\" offset=\"" +
      std::to_string(off2) + "\"/></Polys>\n</Piece>\n</PolyData>\n<AppendedData encoding=\"raw\">\n_";
  return x + blocks[0] + blocks[1] + blocks[2] + "\n</AppendedData>\n</VTKFile>\n";
}

std::string Write(const std::string& name, const std::string& bytes) {
  const std::string path = (std::filesystem::temp_directory_path() / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  const int nu = argc > 2 ? std::atoi(argv[1]) : 1000, nv = argc > 2 ? std::atoi(argv[2]) : 500;
  const TMesh torus = MakeTorusMesh(2, 0.7, nu, nv);
  const std::string files[3] = {Write("flowskin_bench.ply", FormatPlyBinary(torus, false)),
                                Write("flowskin_bench.vtp", Vtp(torus, false)),
                                Write("flowskin_bench_zlib.vtp", Vtp(torus, true))};
  const char* names[3] = {"binary PLY", "VTP appended raw", "VTP zlib"};
  std::printf("%d triangles, %d vertices\n", torus.face_count, torus.vertex_count);
  double load[3], read[3];
  for (int k = 0; k < 3; ++k) {
    std::string error;
    load[k] = Best(3, [&] {
                TMesh m;
                if (!LoadMesh(files[k], TLoadOptions{}, m, error) || m.face_count != torus.face_count) {
                  std::fprintf(stderr, "%s: %s\n", names[k], error.c_str());
                  std::exit(1);
                }
              }).wall;
    read[k] = Best(3, [&] {
                std::string bytes;
                TMesh m;
                if (!ReadFileText(files[k], bytes, error)) std::exit(1);
                if (k == 0) {
                  TPlyHeader h;
                  if (!ReadPlyHeader(bytes, h, error) || !ReadPlyData(bytes, h, false, m, error)) std::exit(1);
                } else {
                  TCellSurface s;
                  TSurfaceNotes notes;
                  if (!ReadVtkXml(bytes, s, error) || !BuildCellSurfaceMesh(s, false, nullptr, m, notes, error))
                    std::exit(1);
                }
              }).wall;
  }
  for (int k = 0; k < 3; ++k)
    std::printf("%-18s load %7.3f s (%.2fx PLY)   read %7.3f s (%.2fx PLY)   file %.1f MB\n", names[k], load[k],
                load[k] / load[0], read[k], read[k] / read[0],
                static_cast<double>(std::filesystem::file_size(files[k])) / 1e6);
  for (const std::string& f : files) std::filesystem::remove(f);
  return 0;
}
