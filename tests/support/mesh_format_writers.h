#pragma once
// The text or bytes of a mesh in the formats the importer reads, for the tests
// to write small files of every format. Each writes positions and faces of the
// mesh (vertices[].pos, faces[].v of a raw or prepared mesh) so that a load
// gives back the same surface; numbers are written in their shortest form that
// reads back to the same single-precision value. With `uv` the texture
// coordinates tex0 are written too, in the format's own convention.
#include <string>
#include <vector>

#include "mesh/mesh_model.h"

namespace fixtures {

// "v x y z", optional "vt u v", then "f a/a b/b c/c" (indices from 1).
std::string ObjText(const TMesh& mesh, bool uv = false);
// "solid" ... "facet normal 0 0 0 / outer loop / vertex ..." per triangle.
std::string StlAsciiText(const TMesh& mesh);
// 80-byte header, triangle count, 50 bytes per triangle (little-endian).
std::string StlBinary(const TMesh& mesh);
// "OFF", "V F 0", vertex lines, "3 a b c" face lines.
std::string OffText(const TMesh& mesh);
// glTF JSON with one buffer embedded as a base64 data URI (positions, uv with v
// counted from the top, indices), one mesh, and one node per entry of `nodes`
// using that mesh; an entry holds the node's transform members, for example
// "\"translation\":[5,0,0]" (empty: none).
std::string GltfText(const TMesh& mesh, bool uv = false, const std::vector<std::string>& nodes = {""});
// The same as binary glTF: JSON chunk and binary chunk.
std::string GlbBytes(const TMesh& mesh);

}  // namespace fixtures
