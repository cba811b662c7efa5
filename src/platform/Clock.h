#pragma once

namespace vistarel {

class IClock {
 public:
  virtual ~IClock() = default;
  // Seconds since local midnight, with their fraction.
  virtual double SecondsSinceMidnight() = 0;
  // Seconds on a clock that only moves forward.
  virtual double MonotonicSeconds() = 0;
};

class IRandom {
 public:
  virtual ~IRandom() = default;
  virtual void Seed(double seed) = 0;
  // A uniform number r with 0 <= r < 1.
  virtual double Next() = 0;
};

}  // namespace vistarel
