// The host's drawing store: the one current drawing, lookups by id.
#include "host/drawing/store.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "host/api/testing.h"
#include "host/value/error.h"

namespace host {

namespace {

struct Store {
  Drawing drawing = empty_drawing();
  // Unique sheet names handed out for the drawing with this id.
  std::uint64_t numbered_drawing = 0;
  std::uint64_t next_unique = 1;
  // Where each element was last seen: sheet index and element index. Entries are checked
  // on use, so edits of the drawing by anyone can never make a lookup return a wrong element.
  std::unordered_map<std::uint64_t, std::pair<std::size_t, std::size_t>> where;
};

Store& store() {
  static Store s;
  return s;
}

const bool registered = (register_reset_hook([] { store() = Store{}; }), true);

std::uint64_t number_of(const std::string& unique_name) {
  std::uint64_t n = 0;
  const char* end = unique_name.data() + unique_name.size();
  auto [ptr, ec] = std::from_chars(unique_name.data(), end, n);
  return ec == std::errc() && ptr == end ? n : 0;
}

// Every sheet and element gets an id that is unique in the drawing; existing ids stay so
// that handles the module holds keep working.
void assign_ids(Drawing& d) {
  std::unordered_set<std::uint64_t> seen;
  auto fix = [&seen](std::uint64_t& id) {
    if (id == 0 || !seen.insert(id).second) {
      id = next_id();
      seen.insert(id);
    }
  };
  for (auto& sheet : d.sheets) {
    fix(sheet.id);
    for (auto& e : sheet.elements) fix(e.id);
  }
}

void rebuild_index(Store& s) {
  s.where.clear();
  for (std::size_t i = 0; i < s.drawing.sheets.size(); ++i) {
    const auto& elements = s.drawing.sheets[i].elements;
    for (std::size_t j = 0; j < elements.size(); ++j) s.where[elements[j].id] = {i, j};
  }
}

Element* lookup(Store& s, std::uint64_t id) {
  const auto it = s.where.find(id);
  if (it == s.where.end()) return nullptr;
  const auto [i, j] = it->second;
  auto& sheets = s.drawing.sheets;
  if (i < sheets.size() && j < sheets[i].elements.size() && sheets[i].elements[j].id == id)
    return &sheets[i].elements[j];
  return nullptr;
}

}  // namespace

Drawing empty_drawing() {
  Drawing d;
  d.id = next_id();
  Sheet sheet;
  sheet.id = next_id();
  sheet.name = sheet.unique_name = std::string(1, '1');
  d.sheets.push_back(std::move(sheet));
  return d;
}

Drawing& current_drawing() {
  return store().drawing;
}

void replace_current_drawing(Drawing drawing) {
  if (drawing.sheets.empty()) {
    Drawing blank = empty_drawing();
    drawing.sheets = std::move(blank.sheets);
  }
  if (drawing.current >= drawing.sheets.size()) drawing.current = 0;
  if (drawing.id == 0) drawing.id = next_id();
  assign_ids(drawing);
  store().drawing = std::move(drawing);
  store().where.clear();
}

void remember_unique_sheet_names() {
  Store& s = store();
  if (s.numbered_drawing != s.drawing.id) {
    s.numbered_drawing = s.drawing.id;
    s.next_unique = 1;
  }
  for (const auto& sheet : s.drawing.sheets)
    s.next_unique = std::max(s.next_unique, number_of(sheet.unique_name) + 1);
}

std::string new_unique_sheet_name() {
  remember_unique_sheet_names();
  return std::to_string(store().next_unique++);
}

Element* find_element(std::uint64_t id) {
  Store& s = store();
  if (Element* e = lookup(s, id)) return e;
  rebuild_index(s);
  return lookup(s, id);
}

Sheet* sheet_of_element(std::uint64_t id) {
  if (find_element(id) == nullptr) return nullptr;
  return &store().drawing.sheets[store().where[id].first];
}

}  // namespace host
