#pragma once
// What the reading of one simulation load may allocate: the memory a mesh may
// take (MeshMemoryLimit, the import worker's limit too), shared by every file
// of a collection. Readers take from it before they allocate, from the counts
// a file declares, so a small file that claims a huge surface is refused
// before its claim costs anything.
#include <string>

class TVtkBudget {
 public:
  TVtkBudget();  // MeshMemoryLimit()
  explicit TVtkBudget(double bytes) : limit_(bytes), left_(bytes) {}
  // Takes `bytes` for `what` ("12000000 points"). False, with the reason
  // naming the limit, when they are not left.
  bool Take(double bytes, const std::string& what, std::string& reason);
  double Limit() const { return limit_; }

 private:
  double limit_, left_;
};

// Bytes one point of a file costs a load: its coordinates in the reader and
// the vertex record it becomes, as the PLY reader counts them.
double VtkPointCost();
