// Putting DXF content together: layers, block definitions, BYLAYER and BYBLOCK resolved,
// block references exploded into the drawing.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "host/drawing/model.h"
#include "host/formats/dxf_geometry.h"
#include "host/value/text.h"

namespace host::dxf {

// An entity's own colour, line type and weight, before BYLAYER / BYBLOCK are resolved.
struct RawStroke {
  std::string layer;
  int color = 256;  // ACI; 256 by layer, 0 by block
  int color24 = -1;
  int lineweight = -1;  // 1/100 mm; -1 by layer, -2 by block, -3 default
  std::string linetype = "BYLAYER";
  double ltscale = 1;      // the entity's line type scale
  bool invisible = false;  // group 60
  std::string plot_style{};  // handle of its named plot style; "": by layer
};

struct LayerProps {
  Stroke stroke;
  std::string linetype;  // the DXF line type name, for its pattern
  bool hidden = false;   // off or frozen: not drawn, not plotted
};

// The clipping of a block reference (XCLIP), in the block's coordinates: what lies inside
// its boundary shows; or, for an inverted clipping, what lies outside `hole`.
struct BlockClip {
  std::vector<Vec2> boundary;
  std::vector<Vec2> hole;
};
// The clipping that hangs on an extension dictionary, if any.
using ClipLookup = std::function<std::optional<BlockClip>(const std::string& xdict)>;

struct BlockRef {
  std::string name;  // upper case
  RawStroke stroke;
  Vec2 insertion;
  double sx = 1, sy = 1, angle = 0;
  int cols = 1, rows = 1;
  double col_spacing = 0, row_spacing = 0;
  Affine ocs;
  std::string xdict;  // its extension dictionary, where a clipping (XCLIP) hangs

  // At most this many copies of an array reference (MINSERT) are drawn.
  static constexpr int kMaxArrayCopies = 10'000;
  // Where each copy of an array reference lies from the first, in the reference's own
  // plane: along its rotated, unscaled axes, row after row.
  std::vector<Vec2> array_offsets() const;
};

class Assembly {
 public:
  void reserve(std::size_t elements) { model_.reserve(elements); }
  void add_layer(const std::string& name, const LayerProps& props);
  // The LTYPE table (read before the layers) and the drawing's global line type scale.
  // dxflib reports the dashes of a line type before the line type itself.
  void add_linetype_dash(double length);
  void add_linetype(const std::string& name);
  // Whether the drawing prints by named plot styles ($PSTYLEMODE 0): only then do elements
  // keep the handle of theirs (named later by the reader).
  void set_named_plot_styles(bool on) { named_plot_styles_ = on; }
  void set_linetype_scale(double scale) {
    if (scale > 0 && std::isfinite(scale)) ltscale_ = scale;
  }
  void begin_block(const std::string& name, Vec2 base);
  void end_block() { block_ = nullptr; }
  std::optional<Vec2> block_base(const std::string& name) const;

  // Content as read: inside a block definition it is kept, otherwise it lands in model or
  // paper space. References to blocks not defined yet are placed at the end.
  void add(Element element, RawStroke stroke, bool paper);
  void add(BlockRef ref, bool paper);

  // Cuts what clipped references (XCLIP) placed so far, at any depth of nesting, once the
  // objects that hold the clippings are read (they follow the entities in a file); what is
  // placed later is cut as it is placed.
  void clip_references(ClipLookup lookup);

  // Places the references to blocks defined after them. Throws host::Error naming the file
  // when the references ask for an absurd amount of content.
  void complete(const std::string& path);
  // The model space, or the paper space when the model space is empty (after complete()).
  std::vector<Element> finish(const std::string& path);
  // After finish: whether the content came from paper space.
  bool from_paper() const { return from_paper_; }

  // -- paper-space layouts (after complete())
  std::vector<Element> take_model();
  std::vector<Element> take_paper();
  bool paper_empty() const { return paper_.empty(); }
  bool has_block(const std::string& name) const { return blocks_.count(name) > 0; }
  // The content of a block (a layout's own block) as it is defined, at its base point.
  std::vector<Element> expand(const std::string& name);
  // For each model-space element: whether it hangs on one of the `frozen` layers (upper
  // case), itself or through a reference that placed it. Elements past the end of the
  // answer hang on none.
  std::vector<bool> model_on_layers(const std::set<std::string>& frozen) const;
  // An entity's stroke in paper space; nullopt when its layer is off or frozen.
  std::optional<Stroke> paper_stroke(const RawStroke& raw) { return resolve(raw, root_); }

 private:
  struct Piece {
    Element element;
    RawStroke stroke;
  };
  using Item = std::variant<Piece, BlockRef>;
  struct Block {
    Vec2 base;
    std::vector<Item> items;
  };
  // Where block content lands: the transform of the reference, what BYBLOCK means there
  // and which layer stands in for layer "0".
  struct Context {
    Affine placement;
    Stroke byblock;
    std::string layer0;
    int depth = 0;
    std::uint32_t layers = 0;  // the layers of the references that placed the content
  };
  // The layers an element hangs on, as a chain: its own, then its references' outwards.
  struct LayerChain {
    std::uint32_t outer;
    std::string layer;  // upper case
  };
  std::uint32_t chain(std::uint32_t outer, const std::string& layer);

  const LayerProps& layer(const std::string& name);
  std::optional<Stroke> resolve(const RawStroke& raw, const Context& ctx);
  void emit(Piece piece, const Context& ctx, std::vector<Element>& target);
  void explode(const BlockRef& ref, const Context& parent, std::vector<Element>& target);
  std::vector<Element>& out(bool paper) { return paper ? paper_ : model_; }
  // Cuts the elements [from, to) of the target as a clipped reference shows them; returns
  // how many elements the range holds afterwards.
  std::size_t clip(std::vector<Element>& target, std::size_t from, std::size_t to,
                   const BlockClip& clip, const Affine& placement);
  // The content one copy of a reference placed in [from, end of target): cut now when the
  // clippings are known, else remembered until they are.
  void clipped(std::vector<Element>& target, std::size_t from, const std::string& xdict,
               const Affine& placement);

  const std::vector<double>* pattern(const std::string& upper_name) const;

  std::map<std::string, std::vector<double>> linetypes_;
  std::vector<double> dashes_;
  double ltscale_ = 1;
  bool named_plot_styles_ = false;
  std::map<std::string, LayerProps> layers_;
  std::string last_layer_name_;
  const LayerProps* last_layer_ = nullptr;
  std::map<std::string, Block> blocks_;
  Block* block_ = nullptr;
  std::set<std::string> active_;
  std::vector<std::pair<BlockRef, bool>> deferred_;
  std::vector<Element> model_;
  std::vector<std::uint32_t> model_layers_;  // LayerChain per model element
  std::vector<LayerChain> chains_{{0, ""}};
  std::map<std::pair<std::uint32_t, std::string>, std::uint32_t> chain_ids_;
  std::uint32_t last_chain_outer_ = 0, last_chain_ = 0;
  std::string last_chain_layer_;
  std::vector<Element> paper_;
  struct ClippedRange {
    std::vector<Element>* target;  // model or paper space
    std::size_t from, to;
    std::string xdict;
    Affine placement;  // of the block's content
  };
  // Clipped references, nested ones too, are cut in the model as plain elements rather than
  // kept as groups inside groups: measuring, rendering, printing and export then need no
  // nesting, and a view of the model space stays one group deep.
  std::vector<ClippedRange> clipped_;  // innermost first
  ClipLookup clips_;
  Context root_;
  std::size_t expansions_ = 0;
  bool too_many_ = false;
  bool too_deep_ = false;
  bool from_paper_ = false;
};

}  // namespace host::dxf
