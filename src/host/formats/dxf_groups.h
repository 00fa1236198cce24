// Reading an entity from its kept groups (see RawGroups::groups), for the entity kinds that
// dxflib does not hand over.
#pragma once

#include <charconv>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "host/drawing/model.h"

namespace host::dxf {

using Groups = std::vector<std::pair<int, std::string>>;

// Numbers as the file spells them, whatever the process locale; `fallback` for anything else.
inline double to_real(const std::string& s, double fallback = 0) {
  const char* p = s.data();
  const char* end = p + s.size();
  while (p < end && (*p == ' ' || *p == '\t')) ++p;
  if (p < end && *p == '+') ++p;
  double v = fallback;
  auto [ptr, ec] = std::from_chars(p, end, v);
  return ec == std::errc() ? v : fallback;
}

// Walks the groups in file order. Entities such as HATCH repeat codes in nested records
// (a path's edges, a pattern's lines), so they are read in sequence, not looked up.
class GroupCursor {
 public:
  explicit GroupCursor(const Groups& groups, std::size_t from = 0) : g_(groups), i_(from) {}

  bool done() const { return i_ >= g_.size(); }
  int code() const { return done() ? -1 : g_[i_].first; }
  bool at(int c) const { return code() == c; }
  const std::string& text() const { return g_[i_].second; }
  void skip() { ++i_; }
  std::size_t position() const { return i_; }

  // The value of group `c` when it comes next (and steps over it), else the fallback.
  double real(int c, double fallback = 0) {
    if (!at(c)) return fallback;
    return to_real(g_[i_++].second, fallback);
  }
  long long integer(int c, long long fallback = 0) {
    double v = real(c, static_cast<double>(fallback));
    return v > -1e15 && v < 1e15 ? static_cast<long long>(v) : fallback;
  }
  // Steps to the next group `c` (staying there); false when there is none.
  bool seek(int c) {
    while (!done() && !at(c)) ++i_;
    return !done();
  }
  // A point from groups x and x + 10, when it comes next.
  bool point(int x, Vec2& out) {
    if (!at(x)) return false;
    out.x = real(x);
    out.y = real(x + 10);
    return true;
  }

 private:
  const Groups& g_;
  std::size_t i_;
};

// The first value of group `c`, or the fallback.
inline double first_real(const Groups& groups, int c, double fallback = 0) {
  for (const auto& [code, value] : groups)
    if (code == c) return to_real(value, fallback);
  return fallback;
}
inline const std::string* first_text(const Groups& groups, int c) {
  for (const auto& [code, value] : groups)
    if (code == c) return &value;
  return nullptr;
}

}  // namespace host::dxf
