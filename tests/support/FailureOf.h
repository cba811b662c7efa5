#pragma once

#include <gtest/gtest.h>

#include "base/Failure.h"

namespace vistarel::test {

// Runs `call` and returns the Failure it threw; a call that does not fail is
// reported as a failure of the test, and gives a failure with no text.
template <class Call>
Failure FailureOf(Call&& call) {
  try {
    call();
  } catch (const Failure& failure) {
    return failure;
  }
  ADD_FAILURE() << "the call did not fail";
  return Failure({});
}

}  // namespace vistarel::test
