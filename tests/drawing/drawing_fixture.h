// A fresh host and a fresh scratch directory for every drawing test.
#pragma once

#include "support/scratch_test.h"

namespace tavrin_test {

// Drawing tests need nothing beyond the shared scratch fixture.
class DrawingTest : public ScratchTest {};

}  // namespace tavrin_test
