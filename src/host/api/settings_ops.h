// Settings and pen-transformation styles of the host.
#pragma once

#include <string>

#include "host/value/value.h"

namespace host {

// "Annotation/Plot/PensTrafoStyle/Pens" → the pen list of the current pen transformation:
// a list whose last element is the list of pen entries, each a keyword list with
// :new_pensize. "Annotation/Plot/PenTrafo" → the active style keyword.
Value sd_get_setting_value(const std::string& path);
// :application a :level l :style-path p :style :key :title t :values text
Value sd_set_setting_values(const List& args);
// Style entries of a style path, each a list whose first element is the style name.
List sd_get_setting_styles_range_list(const std::string& path);
Value create_default_setting_user_style(const List& args);  // :path p :name N :copy_values :on :all_styles
Value delete_default_setting_user_style(const List& args);  // path :key :yes
Value modify_default_setting(const List& args);             // :path p :a_range :key
Value am_define_pen_transformation(const List& args);       // :path p :parent_style :key [rules...]

// How the plots that follow print colours, until the next call: with the CAD plot style
// table `table_file` ("": each sheet with the table its layout names, looked for in
// $TAVRIN_PLOT_STYLES and <install>/TABELLEN/PLOTSTYLES), and in `mode` ("" as drawn,
// "monochrome" every colour black, "grayscale" every colour its grey).
void set_plot_colors(const std::string& table_file, const std::string& install,
                     const std::string& mode);

}  // namespace host
