#include "desktop/SystemClock.h"

#include <QTime>

#include <bit>
#include <cstdint>

namespace vistarel {

SystemClock::SystemClock() {
  timer_.start();
}

double SystemClock::SecondsSinceMidnight() {
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

double SystemClock::MonotonicSeconds() {
  return static_cast<double>(timer_.nsecsElapsed()) / 1e9;
}

void SystemRandom::Seed(double seed) {
  engine_.seed(std::bit_cast<std::uint64_t>(seed));
}

double SystemRandom::Next() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

}  // namespace vistarel
