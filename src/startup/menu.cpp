// Puts the module's commands on the ribbon or in the classic menu, once per load.
#include "startup/menu.h"

#include <string>
#include <vector>

#include "host/api/host.h"
#include "host/api/language.h"
#include "base/globals.h"

namespace tavrin {

using host::kw;
using host::List;
using host::Value;

namespace {

std::string icon(const char* tmpl) { return host::format(tmpl, g().tavrin_path); }

struct RibbonButton {
  const char* command;
  const char* icon;
};

void add_task_menu_entry() {
  host::sd_add_menu_button("Tavrin", {kw("parent"), List{"TASK", "Annotation"}, kw("label"), "Tavrin",
                                      kw("image"), icon("~A/ICONS/TavrinMenu24.bmp"), kw("mapmenu"),
                                      "Tavrin"});
}

void add_ribbon_group(const char* id, const char* title, const std::vector<RibbonButton>& buttons,
                      bool large) {
  host::sd_fluentui_add_ribbon_group(
      id, {kw("parent"), "Tavrin", kw("title"), title, kw("annotationRibbon"), Value::t()});
  for (const RibbonButton& b : buttons) {
    List args{kw("annotationRibbon"), Value::t(), kw("label"), "", kw("parent"), List{"Tavrin", id}};
    if (large) {
      args.insert(args.end(), {kw("largeImage"), Value::t()});
    }
    args.insert(args.end(), {kw("availCmd"), List{"Annotation", "Tavrin", b.command}, kw("image"),
                             icon(b.icon)});
    host::sd_fluentui_add_ribbon_button(args);
  }
}

Value button(const char* command, const char* label, const char* icon_template) {
  return List{Value::symbol(command), kw("label"), label, kw("image"), icon(icon_template)};
}

Value button_box(const char* id, const char* title, List buttons) {
  return List{kw("buttonbox"), id, kw("title"), title, kw("buttons"), std::move(buttons)};
}

}  // namespace

void tavrin_menu() {
  const List version = host::sd_inq_version();
  const Value major = host::read_literal(host::KeywordArgs(version).string("major", "0"));
  if (major.is_number() && host::numeric_compare(major, Value(18)) < 0) {
    tavrin_wui_menu();
  } else {
    tavrin_ribbon_menu();
  }
}

void tavrin_ribbon_menu() {
  add_task_menu_entry();
  host::sd_fluentui_add_ribbon_tab("Tavrin", {kw("annotationRibbon"), Value::t(), kw("application"),
                                              "Annotation", kw("title"), "Ostra"});
  add_ribbon_group("TavrinStart", "Start",
                   {{"TAVRIN-BATCH-START-DIALOG", "~A/ICONS/TavrinDir24.bmp"},
                    {"TAVRIN-NOW-START-DIALOG", "~A/ICONS/TavrinNow24.bmp"}},
                   true);
  add_ribbon_group("TavrinHistory", G_("Änderungen"),
                   {{"TV_INFO_EDIT", "~A/ICONS/AddHistory.bmp"},
                    {"TV_INFO_DROP", "~A/ICONS/TV_INFO_DROP.bmp"}},
                   true);
  if (g().tavrin_admin) {
    add_ribbon_group("TavrinAdmin", "Admin",
                     {{"ADMIN", "~A/ICONS/TavrinAdmin.bmp"},
                      {"FORMAT", "~A/ICONS/TavrinFormat.bmp"},
                      {"PLOTTER", "~A/ICONS/TavrinPlotter.bmp"},
                      {"TRANSFORM", "~A/ICONS/TavrinTransform.bmp"},
                      {"FORMATNAME", "~A/ICONS/TavrinterFormatName.bmp"},
                      {"INFOFELD", "~A/ICONS/TavrinterINFO.bmp"}},
                     false);
  }
  host::sd_fluentui_recalc_ribbon_layout({kw("annotationRibbon"), Value::t()});
}

void tavrin_wui_menu() {
  add_task_menu_entry();
  List boxes{button_box("Start", "Start",
                        {button("TAVRIN-BATCH-START-DIALOG", G_("Verzeichnis"), "~A/ICONS/TavrinDir24.bmp"),
                         button("TAVRIN-NOW-START-DIALOG", G_("Zeichnung"), "~A/ICONS/TavrinNow24.bmp")})};
  if (g().tavrin_admin) {
    boxes.push_back(button_box(
        "History", G_("Änderungen"),
        {button("TV_INFO_DROP", G_("INFO neu"), "~A/ICONS/TV_INFO_DROP.bmp"),
         button("TV_INFO_EDIT", G_("Edit-Doku"), "~A/ICONS/AddHistory.bmp")}));
    boxes.push_back(button_box(
        "Admin", "Admin",
        {button("TV-ADMIN-DIALOG", "Admin", "~A/ICONS/TavrinAdmin.bmp"),
         button("TV-ADMIN-FORMAT-DIALOG", "Format", "~A/ICONS/TavrinFormat.bmp"),
         button("TV-ADMIN-PLOTTER-DIALOG", "Plotter", "~A/ICONS/TavrinPlotter.bmp"),
         button("TV-ADMIN-TRANSFORM-DIALOG", "Transform", "~A/ICONS/TavrinTransform.bmp"),
         button("TV-ADMIN-PLOTTER-FORMAT-NAME-DIALOG", "FormatName",
                "~A/ICONS/TavrinterFormatName.bmp"),
         button("TV-ADMIN-INFO-DIALOG", "INFO", "~A/ICONS/TavrinterINFO.bmp")}));
  }
  host::sd_create_menu("Tavrin", {kw("title"), "Tavrin", kw("contents"), std::move(boxes)});
}

}  // namespace tavrin
