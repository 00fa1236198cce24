// The effect of each host command on the current drawing.
#include "host/commands/annotator.h"

#include <algorithm>

#include "host/api/commands.h"
#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/commands/names.h"
#include "host/drawing/store.h"
#include "host/formats/registry.h"
#include "host/value/format.h"

namespace host::commands {

namespace {

using Change = void (*)(Element&, const Value&);

struct Effect {
  const char* name;
  bool texts_only;
  Change change;
};

void set_text(Element& e, const Value& v) {
  e.text.lines = {v.as_string()};
}
void set_color(Element& e, const Value& v) {
  e.stroke.color = *color_by_name(v.as_string());
}
void set_linetype(Element& e, const Value& v) {
  e.stroke.linetype = v.as_string();
  e.stroke.dashes.clear();  // a pattern of the drawing's own belongs to the line type replaced
}
void add_info(Element& e, const Value& v) {
  e.info.insert(e.info.begin(), v.as_string());
}
void set_adjust(Element& e, const Value& v) {
  e.text.adjust = static_cast<int>(v.as_integer());
}
void set_font(Element& e, const Value& v) {
  e.text.font = v.as_string();
}
void set_angle(Element& e, const Value& v) {
  e.text.angle = v.as_double();
}
void set_frame(Element& e, const Value& v) {
  e.text.frame = v.truthy();
}
void set_linespace(Element& e, const Value& v) {
  e.text.linespace = v.as_double();
}
void set_ratio(Element& e, const Value& v) {
  e.text.ratio = v.as_double();
}
void set_size(Element& e, const Value& v) {
  e.text.size = v.as_double();
}
void set_slant(Element& e, const Value& v) {
  e.text.slant = v.as_double();
}

constexpr Effect kEffects[] = {
    {"CHANGE_TEXT", true, set_text},
    {"CHANGE_COLOR", false, set_color},
    {"CHANGE_LINETYPE", false, set_linetype},
    {"ADD_ELEM_INFO", false, add_info},
    {"CHANGE_TEXT_ADJUST", true, set_adjust},
    {"CHANGE_TEXT_FONTNAME", true, set_font},
    {"CHANGE_TEXT_ANGLE", true, set_angle},
    {"CHANGE_TEXT_FRAME", true, set_frame},
    {"CHANGE_TEXT_LINESPACE", true, set_linespace},
    {"CHANGE_TEXT_RATIO", true, set_ratio},
    {"CHANGE_TEXT_SIZE", true, set_size},
    {"CHANGE_TEXT_SLANT", true, set_slant},
};

bool selected(const Element& e, const Selection& s, bool texts_only) {
  const bool is_text = e.kind == ElementKind::Text;
  if (texts_only && !is_text) return false;
  if (s.category == Selection::Category::Geo && is_text) return false;
  if (s.category == Selection::Category::Texts && !is_text) return false;
  if (s.info && std::find(e.info.begin(), e.info.end(), *s.info) == e.info.end()) return false;
  return true;
}

Value run_selection_command(const Command& cmd) {
  const auto* effect = std::find_if(std::begin(kEffects), std::end(kEffects),
                                    [&](const Effect& f) { return cmd.name == f.name; });
  Drawing& drawing = current_drawing();
  long long changed = 0;
  auto change_sheet = [&](Sheet& sheet) {
    for (Element& e : sheet.elements) {
      if (!selected(e, cmd.selection, effect->texts_only)) continue;
      effect->change(e, cmd.operand);
      ++changed;
    }
  };
  if (cmd.selection.global) {
    for (Sheet& sheet : drawing.sheets) change_sheet(sheet);
  } else if (!drawing.sheets.empty()) {
    change_sheet(drawing.current_sheet());
  }
  return Value::integer(changed);
}

// LOAD SUBPART: the file's elements join the current sheet, moved by the offset. The file is
// read completely before anything is added, so a bad file leaves the drawing as it was.
Value load_subpart(const Command& cmd) {
  const Drawing part = read_drawing_file(cmd.operand.as_string());
  Drawing& drawing = current_drawing();
  if (drawing.sheets.empty()) throw Error("LOAD: the current drawing has no sheet");
  Sheet& target = drawing.current_sheet();
  long long added = 0;
  for (const Sheet& sheet : part.sheets) {
    for (Element e : sheet.elements) {
      e.id = next_id();
      for (Vec2& p : e.points) {
        p.x += cmd.offset.x;
        p.y += cmd.offset.y;
      }
      target.elements.push_back(std::move(e));
      ++added;
    }
  }
  return Value::integer(added);
}

}  // namespace

Value run_command(const Command& cmd) {
  if (is_selection_command(cmd.name)) return run_selection_command(cmd);
  if (cmd.name == "LOAD") return load_subpart(cmd);
  if (cmd.name == "AM_LOAD_SKETCH") return am_load_sketch(cmd.args);
  if (cmd.name == "AM_CREATE_DRAWING") return am_create_drawing(cmd.args);
  throw Error(format("Unknown command: ~A", cmd.name));
}

Value run_annotator_line(std::string_view line) {
  return run_command(parse_command(line));
}

}  // namespace host::commands

namespace host {

Value sd_execute_annotator_command(const List& args) {
  const auto line = KeywordArgs(args).value("cmd");
  if (!line || !line->is_string())
    throw Error("sd_execute_annotator_command: expects :cmd and a command line");
  return commands::run_annotator_line(line->as_string());
}

}  // namespace host
