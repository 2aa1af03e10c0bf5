#include "formats/import_library.h"

#include <assimp/BaseImporter.h>
#include <assimp/DefaultIOSystem.h>
#include <assimp/MemoryIOWrapper.h>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/version.h>

#include <assimp/DefaultLogger.hpp>
#include <assimp/Importer.hpp>
#include <cmath>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

#include "formats/read_failure.h"
#include "mesh/loop_subdivision.h"

namespace {

// The library's file access: the file being loaded is served from the bytes
// already read, under a name whose extension names its format (the library
// picks its reader by extension); every other file (the buffers a glTF file
// refers to, an OBJ material library) is opened from the disk.
class TMainFileIO : public Assimp::DefaultIOSystem {
 public:
  TMainFileIO(std::string name, std::string_view bytes) : name_(std::move(name)), bytes_(bytes) {}
  bool Exists(const char* file) const override { return name_ == file || DefaultIOSystem::Exists(file); }
  Assimp::IOStream* Open(const char* file, const char* mode) override {
    if (name_ != file) return DefaultIOSystem::Open(file, mode);
    return new Assimp::MemoryIOStream(reinterpret_cast<const uint8_t*>(bytes_.data()), bytes_.size(), false);
  }

 private:
  std::string name_;
  std::string_view bytes_;
};

// The library's logger while a file is read: keeps the first warning or error
// that tells of indices out of range. Some readers drop such faces with only a
// warning; the file is then refused rather than shown with holes.
class TIndexFaultLog : public Assimp::Logger {
 public:
  explicit TIndexFaultLog(std::string& fault) : fault_(fault) {}
  bool attachStream(Assimp::LogStream*, unsigned) override { return false; }
  bool detachStream(Assimp::LogStream*, unsigned) override { return false; }
  void OnDebug(const char*) override {}
  void OnVerboseDebug(const char*) override {}
  void OnInfo(const char*) override {}
  void OnWarn(const char* message) override { Note(message); }
  void OnError(const char* message) override { Note(message); }

 private:
  void Note(std::string_view message) {
    if (fault_.empty() && (message.find("out-of-range") != std::string_view::npos ||
                           message.find("out of range") != std::string_view::npos))
      fault_ = message;
  }
  std::string& fault_;
};

// Installs a TIndexFaultLog for the lifetime of the object (the library owns
// and deletes it).
struct TScopedImportLog {
  TScopedImportLog() { Assimp::DefaultLogger::set(new TIndexFaultLog(index_fault)); }
  ~TScopedImportLog() { Assimp::DefaultLogger::set(nullptr); }
  TScopedImportLog(const TScopedImportLog&) = delete;
  TScopedImportLog& operator=(const TScopedImportLog&) = delete;
  std::string index_fault;
};

const char* ExtensionOf(TMeshFormat format) {
  switch (format) {
    case TMeshFormat::kObj:
      return ".obj";
    case TMeshFormat::kStlAscii:
    case TMeshFormat::kStlBinary:
      return ".stl";
    case TMeshFormat::kOff:
      return ".off";
    case TMeshFormat::kGltf:
      return ".gltf";
    case TMeshFormat::kGlb:
      return ".glb";
    default:
      return "";
  }
}

// Mesh `mesh_index` of the scene placed by `transform`, once per node that uses it.
// Leaves `importer` only the readers that claim the extension `ext` (without
// its dot): the library otherwise hands contents its chosen reader refuses to
// every other reader it has, so a file could be read as a format it does not
// claim. The readers taken out are ours to delete.
void KeepOnlyReadersOf(Assimp::Importer& importer, const std::string& ext) {
  std::vector<Assimp::BaseImporter*> others;
  for (size_t i = 0; i < importer.GetImporterCount(); ++i) {
    Assimp::BaseImporter* reader = importer.GetImporter(i);
    std::set<std::string> extensions;
    reader->GetExtensionList(extensions);
    if (!extensions.count(ext)) others.push_back(reader);
  }
  for (Assimp::BaseImporter* reader : others) {
    importer.UnregisterLoader(reader);
    delete reader;
  }
}

struct TInstance {
  const aiMesh* mesh;
  aiMatrix4x4 transform;
};

// Walks the node tree (without recursion) and lists every use of a mesh with
// its node's global transform. Fails on a mesh index outside the scene.
bool ListInstances(const aiScene& scene, std::vector<TInstance>& out, std::string& reason) {
  std::vector<std::pair<const aiNode*, aiMatrix4x4>> stack;
  if (scene.mRootNode) stack.emplace_back(scene.mRootNode, scene.mRootNode->mTransformation);
  while (!stack.empty()) {
    const auto [node, transform] = stack.back();
    stack.pop_back();
    for (unsigned k = 0; k < node->mNumMeshes; ++k) {
      if (node->mMeshes[k] >= scene.mNumMeshes || !scene.mMeshes[node->mMeshes[k]]) {
        return Refuse(reason, "A node refers to a mesh the file does not hold");
      }
      out.push_back(TInstance{scene.mMeshes[node->mMeshes[k]], transform});
    }
    for (unsigned c = 0; c < node->mNumChildren; ++c)
      if (node->mChildren[c]) stack.emplace_back(node->mChildren[c], transform * node->mChildren[c]->mTransformation);
  }
  return true;
}

// Faces whose indices lie outside the mesh's vertices, before the library's
// own passes read them.
bool CheckIndices(const aiScene& scene, std::string& reason) {
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    const aiMesh* mesh = scene.mMeshes[m];
    if (!mesh || (mesh->mNumVertices > 0 && !mesh->mVertices) || (mesh->mNumFaces > 0 && !mesh->mFaces)) {
      return Refuse(reason, "Mesh " + std::to_string(m) + " of the file is incomplete");
    }
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
      const aiFace& face = mesh->mFaces[f];
      for (unsigned k = 0; k < face.mNumIndices; ++k)
        if (!face.mIndices || face.mIndices[k] >= mesh->mNumVertices) {
          return Refuse(reason, "Face " + std::to_string(f) + " refers to vertex " +
                                    (face.mIndices ? std::to_string(face.mIndices[k]) : std::string("(none)")) +
                                    "; the mesh has " + std::to_string(mesh->mNumVertices) + " vertices");
        }
    }
  }
  return true;
}

size_t CountTriangles(const std::vector<TInstance>& instances) {
  size_t n = 0;
  for (const TInstance& in : instances)
    for (unsigned f = 0; f < in.mesh->mNumFaces; ++f) n += in.mesh->mFaces[f].mNumIndices == 3;
  return n;
}

// Hands the triangles of every instance to `put` corner by corner (index,
// position in object space, texture coordinate or nullptr without `uv`). A
// mirroring transform (negative determinant) turns the triangles over, so their
// corners are taken in the opposite order to keep the surface facing out.
template <typename TPut>
bool FillSoup(const std::vector<TInstance>& instances, bool uv, TPut put, std::string& reason) {
  size_t corner = 0;
  for (const TInstance& in : instances) {
    const aiMesh& m = *in.mesh;
    const bool identity = in.transform.IsIdentity();
    const bool mirrored = in.transform.Determinant() < 0;
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      if (m.mFaces[f].mNumIndices != 3) continue;
      for (int c = 0; c < 3; ++c) {
        const unsigned i = m.mFaces[f].mIndices[mirrored ? (3 - c) % 3 : c];
        const aiVector3D p = identity ? m.mVertices[i] : in.transform * m.mVertices[i];
        const TVec3 v{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
        if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) {
          return Refuse(reason, "The file holds a coordinate that is not a finite number");
        }
        put(corner++, v, uv ? &m.mTextureCoords[0][i] : nullptr);
      }
    }
  }
  return true;
}

// The scene of a file read with the library, its meshes placed, ready to be
// handed out as triangles.
struct TReadScene {
  Assimp::Importer importer;
  std::vector<TInstance> instances;
  size_t triangles = 0;
  bool uv = false;
};

bool ReadScene(const std::string& path, std::string_view bytes, TMeshFormat format, TReadScene& read,
               std::string& reason) {
  const std::string name = std::filesystem::path(path).replace_extension(ExtensionOf(format)).string();
  TScopedImportLog log;
  Assimp::Importer& importer = read.importer;
  importer.SetIOHandler(new TMainFileIO(name, bytes));  // the importer owns it
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
  KeepOnlyReadersOf(importer, std::string(ExtensionOf(format)).substr(1));
  const aiScene* scene = importer.ReadFile(name, 0);
  if (!scene) {
    // The library names no reason when no reader of the format takes the contents.
    const std::string why = importer.GetErrorString();
    reason =
        std::string("not a readable ") + MeshFormatName(format) + " file (" +
        (why.starts_with("No suitable reader") ? std::string("its contents are not ") + MeshFormatName(format) : why) +
        ")";
    return false;
  }
  if (!log.index_fault.empty()) {
    return Refuse(reason, "A face refers to a vertex the file does not hold (" + log.index_fault + ")");
  }
  if (scene->mNumMeshes == 0) {
    return Refuse(reason, "The file holds no meshes (empty scene)");
  }
  if (!CheckIndices(*scene, reason)) return false;
  scene = importer.ApplyPostProcessing(aiProcess_Triangulate);
  if (!scene || !ListInstances(*scene, read.instances, reason)) {
    if (!scene) reason = std::string("the triangles cannot be made (") + importer.GetErrorString() + ")";
    return false;
  }
  read.triangles = CountTriangles(read.instances);
  if (read.triangles == 0) {
    return Refuse(reason, "The file holds no triangles");
  }
  // The soup, then the joined mesh with its vertex records (at most three per triangle).
  const double bytes_needed =
      static_cast<double>(read.triangles) * (3 * (sizeof(TVec3) + 8 + 16) + sizeof(TFace) + 3.0 * sizeof(TVertex) + 64);
  if (bytes_needed > MeshMemoryLimit()) {
    return Refuse(reason, "Not enough memory for a mesh of " + std::to_string(read.triangles) + " triangles");
  }
  read.uv = true;  // only when every mesh has them
  for (const TInstance& in : read.instances) read.uv = read.uv && in.mesh->HasTextureCoords(0);
  return true;
}

}  // namespace

bool ReadSoupWithLibrary(const std::string& path, std::string_view bytes, TMeshFormat format, TTriangleSoup& soup,
                         std::string& reason) {
  TReadScene read;
  if (!ReadScene(path, bytes, format, read, reason)) return false;
  soup.corners.reserve(3 * read.triangles);
  soup.uv.reserve(read.uv ? 3 * read.triangles : 0);
  return FillSoup(
      read.instances, read.uv,
      [&soup](size_t, const TVec3& v, const aiVector3D* t) {
        soup.corners.push_back(v);
        if (t) soup.uv.push_back({t->x, t->y});
      },
      reason);
}

bool ReadSoupWithLibrary(const std::string& path, std::string_view bytes, TMeshFormat format,
                         const TSoupAllocator& allocate, std::string& reason) {
  TReadScene read;
  if (!ReadScene(path, bytes, format, read, reason)) return false;
  const TSoupArrays out = allocate(3 * read.triangles, read.uv);
  return FillSoup(
      read.instances, read.uv,
      [&out](size_t i, const TVec3& v, const aiVector3D* t) {
        out.corners[i] = v;
        if (t) out.uv[i] = {t->x, t->y};
      },
      reason);
}

std::string ImportLibraryVersion() {
  return "Assimp " + std::to_string(aiGetVersionMajor()) + "." + std::to_string(aiGetVersionMinor()) + "." +
         std::to_string(aiGetVersionPatch());
}
