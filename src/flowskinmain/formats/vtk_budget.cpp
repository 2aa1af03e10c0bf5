#include "formats/vtk_budget.h"

#include <cmath>

#include "mesh/loop_subdivision.h"
#include "mesh/mesh_model.h"

TVtkBudget::TVtkBudget() : TVtkBudget(MeshMemoryLimit()) {}

bool TVtkBudget::Take(double bytes, const std::string& what, std::string& reason) {
  if (bytes <= left_) {
    left_ -= bytes;
    return true;
  }
  reason =
      what + " would take more than the " + std::to_string(std::lround(limit_ / (1024 * 1024))) + " MB a mesh may take";
  return false;
}

double VtkPointCost() { return 3 * sizeof(double) + sizeof(TVertex) + 64.0; }
