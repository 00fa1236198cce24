// The main dialog's area for how plots print colours: black, greys, or a CAD plot style
// table for the whole job. An area of its own below the rows of the main grid.
#pragma once

namespace tavrin {

void create_plot_colors_area();

}  // namespace tavrin
