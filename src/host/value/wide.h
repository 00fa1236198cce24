// 128-bit integer helpers for exact rational arithmetic on 64-bit parts.
#pragma once

#include <cstdint>
#include <limits>

namespace host {

using Wide = __int128;

inline bool fits_int64(Wide v) {
  return v >= std::numeric_limits<std::int64_t>::min() &&
         v <= std::numeric_limits<std::int64_t>::max();
}

// Greatest common divisor of |a| and |b|; 1 when both are zero so callers may divide by it.
inline Wide wide_gcd(Wide a, Wide b) {
  if (a < 0) a = -a;
  if (b < 0) b = -b;
  while (b != 0) {
    const Wide r = a % b;
    a = b;
    b = r;
  }
  return a == 0 ? 1 : a;
}

}  // namespace host
