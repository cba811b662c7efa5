#pragma once

#include "platform/Clock.h"

#include <QElapsedTimer>

#include <random>

namespace vistarel {

class SystemClock final : public IClock {
 public:
  SystemClock();
  double SecondsSinceMidnight() override;
  double MonotonicSeconds() override;

 private:
  QElapsedTimer timer_;
};

class SystemRandom final : public IRandom {
 public:
  void Seed(double seed) override;
  double Next() override;

 private:
  std::mt19937_64 engine_;
};

}  // namespace vistarel
