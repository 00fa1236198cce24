// Putting DXF content together: layers, block definitions, BYLAYER and BYBLOCK resolved,
// block references exploded into the drawing.
#include "host/formats/dxf_assembly.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "host/api/error.h"
#include "host/formats/dxf_clip.h"
#include "host/formats/dxf_style.h"
#include "host/value/text.h"

namespace host::dxf {
namespace {

// Exploding nested block references multiplies content; a file asking for more than this
// is refused rather than exhausting memory or time.
constexpr std::size_t kMaxElements = 4'000'000;
constexpr std::size_t kMaxReferences = 1'000'000;
constexpr int kMaxNesting = 32;

}  // namespace

void Assembly::add_layer(const std::string& name, const LayerProps& props) {
  LayerProps& p = layers_[upper(name)];
  p = props;
  p.linetype = upper(p.linetype);
  if (const auto* dashes = pattern(p.linetype)) p.stroke.dashes = *dashes;
  last_layer_ = nullptr;
}

void Assembly::add_linetype(const std::string& name) {
  linetypes_[upper(name)] = std::move(dashes_);
  dashes_.clear();
}

void Assembly::add_linetype_dash(double length) {
  if (std::isfinite(length)) dashes_.push_back(length);
}

const std::vector<double>* Assembly::pattern(const std::string& upper_name) const {
  auto it = linetypes_.find(upper_name);
  return it == linetypes_.end() || it->second.empty() ? nullptr : &it->second;
}

void Assembly::begin_block(const std::string& name, Vec2 base) {
  block_ = &blocks_[upper(name)];
  *block_ = Block{base, {}};
}

std::optional<Vec2> Assembly::block_base(const std::string& name) const {
  auto it = blocks_.find(name);
  if (it == blocks_.end()) return std::nullopt;
  return it->second.base;
}

void Assembly::add(Element element, RawStroke stroke, bool paper) {
  Piece piece{std::move(element), std::move(stroke)};
  if (block_) {
    block_->items.emplace_back(std::move(piece));
  } else {
    emit(std::move(piece), root_, out(paper));
  }
}

void Assembly::add(BlockRef ref, bool paper) {
  if (block_) {
    block_->items.emplace_back(std::move(ref));
  } else if (!blocks_.count(ref.name)) {
    deferred_.push_back({std::move(ref), paper});
  } else {
    explode(ref, root_, out(paper));
  }
}

std::size_t Assembly::clip(std::vector<Element>& target, std::size_t from, std::size_t to,
                           const BlockClip& clip, const Affine& placement) {
  to = std::min(to, target.size());
  const bool inverted = clip.hole.size() >= 3;
  if (from >= to || (!inverted && clip.boundary.size() < 3)) return to - std::min(from, to);
  Rings region(1);
  for (const Vec2& p : inverted ? clip.hole : clip.boundary)
    region[0].push_back(placement.apply(p));
  if (inverted) {
    // what lies outside: the hole in a frame around it and the content
    Vec2 lo = region[0][0], hi = lo;
    auto take = [&](Vec2 p) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
      lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
      hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    };
    for (const Vec2& p : region[0]) take(p);
    for (std::size_t i = from; i < to; ++i)
      if (auto box = element_extent(target[i])) take(box->first), take(box->second);
    const double m = 1 + 0.1 * std::max(hi.x - lo.x, hi.y - lo.y);
    region.insert(
        region.begin(),
        {{lo.x - m, lo.y - m}, {hi.x + m, lo.y - m}, {hi.x + m, hi.y + m}, {lo.x - m, hi.y + m}});
  }
  const bool chained = &target == &model_ && model_layers_.size() >= to;
  std::vector<Element> pieces;
  std::vector<std::uint32_t> chains;
  for (std::size_t i = from; i < to; ++i) {
    const std::size_t before = pieces.size();
    clip_element(target[i], region, pieces);
    if (chained) chains.insert(chains.end(), pieces.size() - before, model_layers_[i]);
  }
  const auto at = [](auto& v, std::size_t i) { return v.begin() + static_cast<std::ptrdiff_t>(i); };
  target.erase(at(target, from), at(target, to));
  target.insert(at(target, from), std::make_move_iterator(pieces.begin()),
                std::make_move_iterator(pieces.end()));
  if (chained) {
    model_layers_.erase(at(model_layers_, from), at(model_layers_, to));
    model_layers_.insert(at(model_layers_, from), chains.begin(), chains.end());
  }
  return pieces.size();
}

void Assembly::clipped(std::vector<Element>& target, std::size_t from, const std::string& xdict,
                       const Affine& placement) {
  if (clips_) {
    if (auto c = clips_(xdict)) clip(target, from, target.size(), *c, placement);
  } else if (&target == &model_ || &target == &paper_) {
    clipped_.push_back({&target, from, target.size(), xdict, placement});
  }
}

void Assembly::clip_references(ClipLookup lookup) {
  clips_ = std::move(lookup);
  // Ranges are remembered as their references finish, innermost first, so their ends never
  // decrease, and any two are nested or apart. Cutting a range changes its length, which
  // moves every place at or after its end: by the changes of all ranges cut so far that end
  // there or before, a running sum kept with each end.
  struct Cut {
    std::size_t end;       // as remembered
    std::ptrdiff_t moved;  // places from `end` on have moved by this
  };
  std::map<const std::vector<Element>*, std::vector<Cut>> cuts;
  for (const ClippedRange& r : clipped_) {
    const auto c = clips_(r.xdict);
    if (!c) continue;
    std::vector<Cut>& done = cuts[r.target];
    const auto now = [&](std::size_t place) {
      auto after = std::upper_bound(done.begin(), done.end(), place,
                                    [](std::size_t p, const Cut& cut) { return p < cut.end; });
      const std::ptrdiff_t moved = after == done.begin() ? 0 : std::prev(after)->moved;
      return static_cast<std::size_t>(static_cast<std::ptrdiff_t>(place) + moved);
    };
    const std::size_t from = now(r.from), to = now(r.to);
    const std::size_t length = clip(*r.target, from, to, *c, r.placement);
    const std::ptrdiff_t before = done.empty() ? 0 : done.back().moved;
    done.push_back({r.to, before + static_cast<std::ptrdiff_t>(length) -
                              static_cast<std::ptrdiff_t>(to - from)});
  }
  clipped_.clear();
}

void Assembly::complete(const std::string& path) {
  auto deferred = std::move(deferred_);
  deferred_.clear();
  for (auto& [ref, paper] : deferred) explode(ref, root_, out(paper));
  if (too_many_)
    throw Error(path + ": the DXF file asks for more than " + std::to_string(kMaxElements) +
                " elements (nested block references?)");
  if (too_deep_)
    throw Error(path + ": the DXF file nests block references more than " +
                std::to_string(kMaxNesting) + " deep");
}

std::vector<Element> Assembly::take_model() {
  return std::move(model_);
}

std::vector<Element> Assembly::take_paper() {
  return std::move(paper_);
}

std::vector<Element> Assembly::expand(const std::string& name) {
  std::vector<Element> content;
  auto it = blocks_.find(name);
  if (it == blocks_.end()) return content;
  BlockRef ref;
  ref.name = name;
  ref.stroke.layer = "0";
  ref.insertion = it->second.base;
  explode(ref, root_, content);
  return content;
}

std::uint32_t Assembly::chain(std::uint32_t outer, const std::string& layer) {
  // runs of elements on one layer are the rule: the last answer first
  if (outer == last_chain_outer_ && layer == last_chain_layer_ && last_chain_ != 0)
    return last_chain_;
  auto key = std::pair{outer, upper(layer)};
  auto [it, added] = chain_ids_.try_emplace(key, static_cast<std::uint32_t>(chains_.size()));
  if (added) chains_.push_back({outer, key.second});
  last_chain_outer_ = outer;
  last_chain_layer_ = layer;
  last_chain_ = it->second;
  return it->second;
}

std::vector<bool> Assembly::model_on_layers(const std::set<std::string>& frozen) const {
  // a chain's outer link is always interned before it
  std::vector<bool> on(chains_.size(), false);
  for (std::size_t i = 1; i < chains_.size(); ++i)
    on[i] = on[chains_[i].outer] || frozen.count(chains_[i].layer) > 0;
  std::vector<bool> result(model_layers_.size(), false);
  for (std::size_t i = 0; i < model_layers_.size(); ++i) result[i] = on[model_layers_[i]];
  return result;
}

std::vector<Element> Assembly::finish(const std::string& path) {
  complete(path);
  from_paper_ = model_.empty();
  std::vector<Element> content = from_paper_ ? std::move(paper_) : std::move(model_);
  // the room reserved from the file size is not kept when blocks held most of the file
  if (content.capacity() > 2 * content.size() + 1024) content.shrink_to_fit();
  return content;
}

const LayerProps& Assembly::layer(const std::string& name) {
  static const LayerProps fallback;
  if (last_layer_ && name == last_layer_name_) return *last_layer_;
  auto it = layers_.find(upper(name));
  last_layer_name_ = name;
  last_layer_ = it == layers_.end() ? &fallback : &it->second;
  return *last_layer_;
}

// BYLAYER and BYBLOCK resolved where the element lands; nullopt on a hidden layer.
std::optional<Stroke> Assembly::resolve(const RawStroke& raw, const Context& ctx) {
  const std::string& layer_name = raw.layer == "0" && ctx.depth > 0 ? ctx.layer0 : raw.layer;
  const LayerProps& lp = layer(layer_name);
  if (lp.hidden || raw.invisible) return std::nullopt;
  Stroke s;
  int color = std::abs(raw.color);
  s.color = raw.color24 >= 0 ? true_color_to_rgb(raw.color24)
            : color == 256   ? lp.stroke.color
            : color == 0     ? ctx.byblock.color
                             : aci_to_rgb(color);
  s.color_index = raw.color24 >= 0 ? 0
                  : color == 256   ? lp.stroke.color_index
                  : color == 0     ? ctx.byblock.color_index
                  : color <= 255   ? static_cast<std::uint8_t>(color)
                                   : 7;
  if (named_plot_styles_)
    s.plot_style = raw.plot_style.empty() ? lp.stroke.plot_style : raw.plot_style;
  std::string lt = upper(raw.linetype);
  s.linetype = lt == "BYLAYER"   ? lp.stroke.linetype
               : lt == "BYBLOCK" ? ctx.byblock.linetype
                                 : host_linetype(lt);
  // The file's own pattern, in drawing units: its lengths times the global and the
  // entity's scale.
  const std::vector<double>* dashes = lt == "BYLAYER"   ? &lp.stroke.dashes
                                      : lt == "BYBLOCK" ? &ctx.byblock.dashes
                                                        : pattern(lt);
  if (dashes && !dashes->empty()) {
    const double scale = (lt == "BYBLOCK" ? 1 : ltscale_) * raw.ltscale;
    s.dashes.reserve(dashes->size());
    for (double d : *dashes) s.dashes.push_back(d * scale);
  }
  s.pensize = raw.lineweight >= 0    ? lineweight_to_pensize(raw.lineweight)
              : raw.lineweight == -1 ? lp.stroke.pensize
              : raw.lineweight == -2 ? ctx.byblock.pensize
                                     : 0;
  return s;
}

void Assembly::emit(Piece piece, const Context& ctx, std::vector<Element>& target) {
  if (target.size() >= kMaxElements) {
    too_many_ = true;
    return;
  }
  auto stroke = resolve(piece.stroke, ctx);
  if (!stroke) return;
  Element e = std::move(piece.element);
  e.stroke = *stroke;
  transform_element(e, ctx.placement);
  e.id = next_id();
  if (&target == &model_ && model_layers_.size() == model_.size()) {
    const std::string& layer =
        piece.stroke.layer == "0" && ctx.depth > 0 ? ctx.layer0 : piece.stroke.layer;
    model_layers_.push_back(chain(ctx.layers, layer));
  }
  target.push_back(std::move(e));
}

void Assembly::explode(const BlockRef& ref, const Context& parent, std::vector<Element>& target) {
  auto it = blocks_.find(ref.name);
  if (it == blocks_.end() || active_.count(ref.name)) return;
  // deeper nesting is no drawing anybody made: refused rather than plotted in part
  if (parent.depth >= kMaxNesting) too_deep_ = true;
  if (too_deep_) return;
  // empty blocks referencing each other many times over would otherwise take forever
  if (++expansions_ > kMaxReferences) too_many_ = true;
  if (too_many_) return;
  auto stroke = resolve(ref.stroke, parent);
  if (!stroke) return;
  Context ctx;
  ctx.byblock = *stroke;
  ctx.layer0 = ref.stroke.layer == "0" && parent.depth > 0 ? parent.layer0 : ref.stroke.layer;
  ctx.depth = parent.depth + 1;
  if (&target == &model_) ctx.layers = chain(parent.layers, ctx.layer0);
  const Block& block = it->second;
  active_.insert(ref.name);
  for (const Vec2 offset : ref.array_offsets()) {
    const std::size_t from = target.size();
    Affine local = Affine::translation(ref.insertion.x + offset.x, ref.insertion.y + offset.y)
                       .after(Affine::rotation_deg(ref.angle))
                       .after(Affine::scaling(ref.sx, ref.sy))
                       .after(Affine::translation(-block.base.x, -block.base.y));
    ctx.placement = parent.placement.after(ref.ocs).after(local);
    for (const Item& item : block.items) {
      if (too_many_) break;
      if (const auto* p = std::get_if<Piece>(&item)) {
        emit(*p, ctx, target);
      } else {
        explode(std::get<BlockRef>(item), ctx, target);
      }
    }
    if (!ref.xdict.empty()) clipped(target, from, ref.xdict, ctx.placement);
  }
  active_.erase(ref.name);
}

std::vector<Vec2> BlockRef::array_offsets() const {
  std::vector<Vec2> out;
  const Affine turn = Affine::rotation_deg(angle);
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      if (out.size() >= static_cast<std::size_t>(kMaxArrayCopies)) return out;
      out.push_back(turn.apply_vector({col * col_spacing, row * row_spacing}));
    }
  }
  return out;
}

}  // namespace host::dxf
