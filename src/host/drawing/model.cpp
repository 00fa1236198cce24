// The drawing model: element comparison, lookups in a drawing, fresh ids.
#include "host/drawing/model.h"

#include <atomic>

#include "host/value/error.h"

namespace host {

bool Element::same_content(const Element& o) const {
  return kind == o.kind && stroke == o.stroke && points == o.points && bulges == o.bulges &&
         radius == o.radius && start_angle == o.start_angle && end_angle == o.end_angle &&
         closed == o.closed && rings == o.rings && source == o.source && text == o.text &&
         info == o.info && sketch == o.sketch &&
         (group == o.group || (group && o.group && group->same_content(*o.group)));
}

const std::vector<Element>& Group::content() const {
  static const std::vector<Element> none;
  return elements ? *elements : none;
}

bool Group::same_content(const Group& o) const {
  if (!(placement == o.placement) || paper_dashes != o.paper_dashes) return false;
  if (elements == o.elements) return true;
  const auto& a = content();
  const auto& b = o.content();
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (!a[i].same_content(b[i])) return false;
  return true;
}

Sheet& Drawing::current_sheet() {
  return const_cast<Sheet&>(static_cast<const Drawing&>(*this).current_sheet());
}

const Sheet& Drawing::current_sheet() const {
  if (sheets.empty()) throw Error("The drawing has no sheet");
  return sheets[current < sheets.size() ? current : sheets.size() - 1];
}

Sheet* Drawing::find_sheet(const std::string& name) {
  for (auto& sheet : sheets)
    if (sheet.name == name) return &sheet;
  return nullptr;
}

Sheet* Drawing::find_sheet_by_id(std::uint64_t sheet_id) {
  for (auto& sheet : sheets)
    if (sheet.id == sheet_id) return &sheet;
  return nullptr;
}

std::uint64_t next_id() {
  static std::atomic<std::uint64_t> counter{0};
  return ++counter;
}

}  // namespace host
