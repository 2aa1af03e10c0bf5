#pragma once
// Switches the floating-point traps of the unit-test binaries off for one scope,
// for the few cases where a degenerate result is the defined behaviour.
#include <cfenv>

class FpTrapsOff {
 public:
  FpTrapsOff() : saved_(fegetexcept()) { fedisableexcept(FE_ALL_EXCEPT); }
  ~FpTrapsOff() {
    feclearexcept(FE_ALL_EXCEPT);
    feenableexcept(saved_);
  }
  FpTrapsOff(const FpTrapsOff&) = delete;
  FpTrapsOff& operator=(const FpTrapsOff&) = delete;

 private:
  int saved_;
};
