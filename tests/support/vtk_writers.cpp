#include "support/vtk_writers.h"

#include <zlib.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <sstream>

namespace fixtures {
namespace {

std::string Num(double v) {
  std::ostringstream s;
  s.precision(17);
  s << v;
  return s.str();
}

void PutBig(std::string& out, const void* p, size_t n) {
  const auto* b = static_cast<const char*>(p);
  for (size_t i = 0; i < n; ++i) out.push_back(b[n - 1 - i]);
}

template <typename T>
void Put(std::string& out, T v, bool big) {
  if (big != (std::endian::native == std::endian::big))
    PutBig(out, &v, sizeof v);
  else
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

std::string Base64(const std::string& in) {
  static const char* k = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < in.size(); i += 3) {
    const unsigned b0 = static_cast<unsigned char>(in[i]);
    const unsigned b1 = i + 1 < in.size() ? static_cast<unsigned char>(in[i + 1]) : 0;
    const unsigned b2 = i + 2 < in.size() ? static_cast<unsigned char>(in[i + 2]) : 0;
    out += k[b0 >> 2];
    out += k[((b0 & 3) << 4) | (b1 >> 4)];
    out += i + 1 < in.size() ? k[((b1 & 15) << 2) | (b2 >> 6)] : '=';
    out += i + 2 < in.size() ? k[b2 & 63] : '=';
  }
  return out;
}

// One array: its type name and packed bytes.
struct TPacked {
  const char* type;
  std::string bytes;
  std::string ascii;
};

TPacked Pack(const std::vector<double>& v, const char* type, bool big) {
  TPacked p{type, "", ""};
  for (const double x : v) {
    const std::string t = type;
    if (t == "Float64") Put(p.bytes, x, big);
    if (t == "Float32") Put(p.bytes, static_cast<float>(x), big);
    if (t == "Int64") Put(p.bytes, static_cast<int64_t>(x), big);
    if (t == "Int32") Put(p.bytes, static_cast<int32_t>(x), big);
    if (t == "UInt8") Put(p.bytes, static_cast<uint8_t>(x), big);
    p.ascii += Num(t == "Float32" ? static_cast<float>(x) : x) + " ";
  }
  return p;
}

// The block of one array: header and data, compressed in blocks with zlib.
std::string Block(const std::string& data, const TXmlLayout& l, bool& separate_header, std::string& header) {
  auto put_header = [&](uint64_t v) {
    if (l.uint64_header)
      Put(header, v, l.big_endian);
    else
      Put(header, static_cast<uint32_t>(v), l.big_endian);
  };
  header.clear();
  if (!l.zlib) {
    put_header(data.size());
    separate_header = false;
    return data;
  }
  separate_header = true;
  const size_t bs = static_cast<size_t>(l.zlib_block);
  const size_t blocks = (data.size() + bs - 1) / bs;
  std::string body;
  std::vector<uint64_t> sizes;
  for (size_t b = 0; b < blocks; ++b) {
    const size_t n = std::min(bs, data.size() - b * bs);
    uLongf out = compressBound(static_cast<uLong>(n));
    std::string z(out, '\0');
    compress2(reinterpret_cast<Bytef*>(z.data()), &out, reinterpret_cast<const Bytef*>(data.data() + b * bs),
              static_cast<uLong>(n), 6);
    z.resize(out);
    sizes.push_back(out);
    body += z;
  }
  put_header(blocks);
  put_header(bs);
  put_header(blocks == 0 ? 0 : data.size() - (blocks - 1) * bs);
  for (const uint64_t s : sizes) put_header(s);
  return body;
}

struct TXmlWriter {
  const TXmlLayout& l;
  std::string appended;

  std::string Array(const std::string& name, int comps, const std::vector<double>& v, const char* type) {
    const TPacked p = Pack(v, type, l.big_endian);
    std::string e = "<DataArray type=\"" + std::string(type) + "\" Name=\"" + name + "\" NumberOfComponents=\"" +
                    std::to_string(comps) + "\" format=\"";
    if (l.encoding == TXmlEncoding::kAscii) return e + "ascii\">" + p.ascii + "</DataArray>\n";
    bool separate = false;
    std::string header;
    const std::string body = Block(p.bytes, l, separate, header);
    const std::string encoded = separate ? Base64(header) + Base64(body) : Base64(header + body);
    if (l.encoding == TXmlEncoding::kBase64) return e + "binary\">\n" + encoded + "\n</DataArray>\n";
    e += "appended\" offset=\"" + std::to_string(appended.size()) + "\"/>\n";
    appended += l.encoding == TXmlEncoding::kAppendedRaw ? header + body : encoded;
    return e;
  }
};

std::vector<double> Flat(const std::vector<std::vector<int64_t>>& cells, std::vector<double>* offsets) {
  std::vector<double> c;
  for (const auto& cell : cells) {
    c.insert(c.end(), cell.begin(), cell.end());
    if (offsets) offsets->push_back(static_cast<double>(c.size()));
  }
  return c;
}

}  // namespace

std::string LegacyVtk(const TSimData& d, bool binary, bool polydata) {
  std::string out = "# vtk DataFile Version 3.0\ntest data\n" + std::string(binary ? "BINARY" : "ASCII") + "\n";
  out += polydata ? "DATASET POLYDATA\n" : "DATASET UNSTRUCTURED_GRID\n";
  auto numbers = [&](const std::vector<double>& v, const char* type) {
    if (!binary) {
      for (const double x : v) out += Num(std::string(type) == "float" ? static_cast<float>(x) : x) + " ";
      out += "\n";
      return;
    }
    for (const double x : v) {
      if (std::string(type) == "double") Put(out, x, true);
      if (std::string(type) == "float") Put(out, static_cast<float>(x), true);
      if (std::string(type) == "int") Put(out, static_cast<int32_t>(x), true);
    }
    out += "\n";
  };
  const size_t np = d.points.size() / 3;
  out += "POINTS " + std::to_string(np) + " double\n";
  numbers(d.points, "double");
  auto cell_block = [&](const char* key, auto pick) {
    std::vector<double> v;
    size_t n = 0;
    for (size_t c = 0; c < d.cells.size(); ++c) {
      if (!pick(c)) continue;
      ++n;
      v.push_back(static_cast<double>(d.cells[c].size()));
      v.insert(v.end(), d.cells[c].begin(), d.cells[c].end());
    }
    if (n == 0) return;
    out += std::string(key) + " " + std::to_string(n) + " " + std::to_string(v.size()) + "\n";
    numbers(v, "int");
  };
  if (polydata) {
    cell_block("POLYGONS", [&](size_t c) { return d.types[c] != 6; });
    cell_block("TRIANGLE_STRIPS", [&](size_t c) { return d.types[c] == 6; });
  } else {
    cell_block("CELLS", [](size_t) { return true; });
    out += "CELL_TYPES " + std::to_string(d.cells.size()) + "\n";
    numbers(std::vector<double>(d.types.begin(), d.types.end()), "int");
  }
  auto attributes = [&](const char* key, size_t n, const std::vector<TSimArray>& arrays) {
    if (arrays.empty()) return;
    out += std::string(key) + " " + std::to_string(n) + "\n";
    for (size_t i = 0; i < arrays.size(); ++i) {
      const TSimArray& a = arrays[i];
      if (a.components == 3 && i % 2 == 0) {
        out += "VECTORS " + a.name + " float\n";
        numbers(a.values, "float");
      } else if (a.components == 1 && i % 2 == 1) {
        out += "SCALARS " + a.name + " double\nLOOKUP_TABLE default\n";
        numbers(a.values, "double");
      } else {
        out +=
            "FIELD FieldData 1\n" + a.name + " " + std::to_string(a.components) + " " + std::to_string(n) + " double\n";
        numbers(a.values, "double");
      }
    }
  };
  attributes("POINT_DATA", np, d.point_data);
  attributes("CELL_DATA", d.cells.size(), d.cell_data);
  return out;
}

std::string VtkXml(const TSimData& d, const TXmlLayout& l, bool polydata) {
  TXmlWriter w{l, ""};
  const size_t np = d.points.size() / 3;
  std::string body =
      "<Points>\n" + w.Array("Points", 3, d.points, l.float32_points ? "Float32" : "Float64") + "</Points>\n";
  auto cells = [&](const char* element, auto pick, bool types) {
    std::vector<std::vector<int64_t>> chosen;
    std::vector<double> ty;
    for (size_t c = 0; c < d.cells.size(); ++c)
      if (pick(c)) {
        chosen.push_back(d.cells[c]);
        ty.push_back(d.types[c]);
      }
    std::vector<double> offsets;
    const std::vector<double> conn = Flat(chosen, &offsets);
    body += "<" + std::string(element) + ">\n" + w.Array("connectivity", 1, conn, "Int32") +
            w.Array("offsets", 1, offsets, "Int64") + (types ? w.Array("types", 1, ty, "UInt8") : "") + "</" + element +
            ">\n";
    return chosen.size();
  };
  std::string counts = "NumberOfPoints=\"" + std::to_string(np) + "\"";
  if (polydata) {
    counts += " NumberOfPolys=\"" +
              std::to_string(cells(
                  "Polys", [&](size_t c) { return d.types[c] != 6; }, false)) +
              "\"";
    counts += " NumberOfStrips=\"" +
              std::to_string(cells(
                  "Strips", [&](size_t c) { return d.types[c] == 6; }, false)) +
              "\"";
  } else {
    counts += " NumberOfCells=\"" +
              std::to_string(cells(
                  "Cells", [](size_t) { return true; }, true)) +
              "\"";
  }
  for (const auto* group : {&d.point_data, &d.cell_data}) {
    body += group == &d.point_data ? "<PointData>\n" : "<CellData>\n";
    for (const TSimArray& a : *group) body += w.Array(a.name, a.components, a.values, "Float64");
    body += group == &d.point_data ? "</PointData>\n" : "</CellData>\n";
  }
  const char* type = polydata ? "PolyData" : "UnstructuredGrid";
  std::string out = "<?xml version=\"1.0\"?>\n<VTKFile type=\"" + std::string(type) +
                    "\" version=\"1.0\" byte_order=\"" + (l.big_endian ? "BigEndian" : "LittleEndian") +
                    "\" header_type=\"" + (l.uint64_header ? "UInt64" : "UInt32") + "\"" +
                    (l.zlib ? " compressor=\"vtkZLibDataCompressor\"" : "") + ">\n<" + type + ">\n<Piece " + counts +
                    ">\n" + body + "</Piece>\n</" + type + ">\n";
  if (l.encoding == TXmlEncoding::kAppendedRaw || l.encoding == TXmlEncoding::kAppendedBase64)
    out += std::string("<AppendedData encoding=\"") + (l.encoding == TXmlEncoding::kAppendedRaw ? "raw" : "base64") +
           "\">\n_" + w.appended + "\n</AppendedData>\n";
  return out + "</VTKFile>\n";
}

std::string SimPly(const TSimData& d, const std::string& velocity) {
  const TSimArray* v = nullptr;
  for (const TSimArray& a : d.point_data)
    if (a.name == velocity && a.components == 3) v = &a;
  const size_t np = d.points.size() / 3;
  std::string out = "ply\nformat ascii 1.0\nelement vertex " + std::to_string(np) +
                    "\nproperty float x\nproperty float y\nproperty float z\n";
  if (v) out += "property float vx\nproperty float vy\nproperty float vz\n";
  out += "element face " + std::to_string(d.cells.size()) + "\nproperty list uchar int vertex_indices\nend_header\n";
  for (size_t i = 0; i < np; ++i) {
    out += Num(static_cast<float>(d.points[3 * i])) + " " + Num(static_cast<float>(d.points[3 * i + 1])) + " " +
           Num(static_cast<float>(d.points[3 * i + 2]));
    if (v)
      for (int k = 0; k < 3; ++k) out += " " + Num(static_cast<float>(v->values[3 * i + k]));
    out += "\n";
  }
  for (const auto& c : d.cells) {
    out += std::to_string(c.size());
    for (const int64_t i : c) out += " " + std::to_string(i);
    out += "\n";
  }
  return out;
}

TSimData QuadSheet(int nx, int ny) {
  TSimData d;
  TSimArray u{"U", 3, {}}, p{"p", 1, {}}, y{"yPlus", 1, {}};
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      const double x = double(i) / nx, yy = double(j) / ny, z = 0.2 * std::sin(3 * x) * std::cos(2 * yy);
      d.points.insert(d.points.end(), {x, yy, z});
      u.values.insert(u.values.end(), {-(yy - 0.5), x - 0.5, 0.1 * x});
      p.values.push_back(x * x - yy);
    }
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const int64_t a = j * (nx + 1) + i;
      d.cells.push_back({a, a + 1, a + nx + 2, a + nx + 1});
      d.types.push_back(9);
      y.values.push_back(1.0 + static_cast<double>(d.cells.size() - 1));
    }
  d.point_data = {u, p};
  d.cell_data = {y};
  return d;
}

}  // namespace fixtures
