#include "data/file_array_memory.h"

#include <vector>

#include "data/file_arrays.h"

void RememberFlowChoice(TFileArrayMemory& memory, const TMesh& mesh) {
  const int a = mesh.flow_array.array;
  if (a < 0 || a >= static_cast<int>(mesh.file_arrays.size())) return;
  memory.flow_array = mesh.file_arrays[a].name;
  const TFlowArrayChoice& c = mesh.flow_array;
  memory.options[memory.flow_array] = TFlowOptions{c.reverse, c.tangential, c.normalise};
}

void RememberFileScalar(TFileArrayMemory& memory, const TMesh& mesh) {
  const std::vector<TFileScalar> scalars = FileScalars(mesh);
  if (mesh.file_scalar >= 0 && mesh.file_scalar < static_cast<int32_t>(scalars.size()))
    memory.file_scalar = scalars[static_cast<size_t>(mesh.file_scalar)].label;
}

bool ApplyFileArrayMemory(const TFileArrayMemory& memory, TMesh& mesh) {
  const TFlowArrayChoice before = mesh.flow_array;
  const int32_t scalar_before = mesh.file_scalar;
  for (const int i : FlowArrayIndices(mesh))
    if (!memory.flow_array.empty() && mesh.file_arrays[i].name == memory.flow_array) mesh.flow_array.array = i;
  if (mesh.flow_array.array >= 0) {
    const auto it = memory.options.find(mesh.file_arrays[mesh.flow_array.array].name);
    if (it != memory.options.end()) {
      mesh.flow_array.reverse = it->second.reverse;
      mesh.flow_array.tangential = it->second.tangential;
      mesh.flow_array.normalise = it->second.normalise;
    }
  }
  const std::vector<TFileScalar> scalars = FileScalars(mesh);
  for (size_t s = 0; s < scalars.size(); ++s)
    if (!memory.file_scalar.empty() && scalars[s].label == memory.file_scalar)
      mesh.file_scalar = static_cast<int32_t>(s);
  const TFlowArrayChoice& c = mesh.flow_array;
  return c.array != before.array || c.reverse != before.reverse || c.tangential != before.tangential ||
         c.normalise != before.normalise || mesh.file_scalar != scalar_before;
}

std::string FlowOptionsText(const TFlowOptions& o) {
  return std::string(o.reverse ? "1" : "0") + " " + (o.tangential ? "1" : "0") + " " + (o.normalise ? "1" : "0");
}

bool ParseFlowOptions(const std::string& text, TFlowOptions& o) {
  if (text.size() != 5 || text[1] != ' ' || text[3] != ' ') return false;
  for (const size_t k : {0, 2, 4})
    if (text[k] != '0' && text[k] != '1') return false;
  o = TFlowOptions{text[0] == '1', text[2] == '1', text[4] == '1'};
  return true;
}
