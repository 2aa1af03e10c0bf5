#pragma once
// The choices a user makes for the arrays of simulation files ("Flow array",
// "Reverse", "Tangential only", "Normalise", the "File" array), kept by the
// arrays' names so that the next file with the same arrays starts with them:
// a user who turned shear stress round gets it turned round in the next file
// too. Plain data; the window records choices, applies them after each load
// and keeps them between runs.
#include <map>
#include <string>

#include "mesh/mesh_model.h"

struct TFlowOptions {
  bool reverse = false, tangential = true, normalise = true;
  bool operator==(const TFlowOptions&) const = default;
};

struct TFileArrayMemory {
  std::string flow_array;                       // the last flow array chosen, by name; "" none
  std::map<std::string, TFlowOptions> options;  // the options last set with each flow array
  std::string file_scalar;                      // the last "File" array chosen, by its label; "" none
};

// Records the mesh's flow array (by name) with its options.
void RememberFlowChoice(TFileArrayMemory& memory, const TMesh& mesh);
// Records the mesh's File scalar (by label).
void RememberFileScalar(TFileArrayMemory& memory, const TMesh& mesh);

// Gives a freshly loaded mesh the remembered choices its arrays allow: the
// remembered flow array where the mesh has a vector array of that name, the
// options remembered with the flow array it then has, and the remembered File
// scalar where it has one of that label. Sets flow_array and file_scalar only
// (the caller writes the velocities and ranges again). Returns true when
// anything changed.
bool ApplyFileArrayMemory(const TFileArrayMemory& memory, TMesh& mesh);

// The options as text for a settings store ("reverse tangential normalise",
// each 0 or 1) and back; false for text that is not three such digits.
std::string FlowOptionsText(const TFlowOptions& o);
bool ParseFlowOptions(const std::string& text, TFlowOptions& o);
