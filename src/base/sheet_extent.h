// Measuring a sheet's content, shared by the plot engine and the change history.
#pragma once

#include <string>

#include "host/api/host.h"

namespace tavrin {

// One corner of a sheet's extent: inquiry 104 the lower left, 105 the upper right.
host::Point2 blatt_punkt(const std::string& unique_name, int inquiry);

}  // namespace tavrin
