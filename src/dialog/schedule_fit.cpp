// The fitted layout: one width map per frame for the controls inside it, and one for the
// client area (frames and buttons).
#include "dialog/schedule_fit.h"

#include <algorithm>

namespace cadencer::dialog {

namespace {

int FrameIndex(const ControlDesign& design) {
    return design.id - id::FrameOccurs + static_cast<int>(Frame::Occurs);
}

// Left to right, so that room made for a control never moves one already fitted apart
// from its neighbour (the room after a control only widens what spans it).
std::vector<const ControlDesign*> ByLeft(bool (*take)(const ControlDesign&)) {
    std::vector<const ControlDesign*> controls;
    for (const auto& design : Design())
        if (take(design)) controls.push_back(&design);
    std::stable_sort(controls.begin(), controls.end(),
                     [](const ControlDesign* a, const ControlDesign* b) { return a->rect.left < b->rect.left; });
    return controls;
}

}  // namespace

FittedLayout::FittedLayout() = default;

FittedLayout::FittedLayout(const std::function<int(const ControlDesign&)>& need) {
    for (const ControlDesign* c : ByLeft([](const ControlDesign& d) { return d.frame != Frame::None; }))
        inner_[static_cast<std::size_t>(c->frame)].Require(c->rect.left, c->rect.right(), need(*c));
    // A frame holds its contents (its right margin kept) and its caption.
    for (const ControlDesign* c : ByLeft([](const ControlDesign& d) { return d.frame == Frame::None; })) {
        if (c->kind == Kind::StatusBar) continue;
        int width = need(*c);
        if (c->kind == Kind::Frame)
            width = std::max(width, inner_[static_cast<std::size_t>(FrameIndex(*c))].Map(c->rect.width));
        top_.Require(c->rect.left, c->rect.right(), width);
    }
}

TwipRect FittedLayout::FrameRectOf(Frame frame) const {
    const TwipRect r = FrameRect(frame);
    return {top_.Map(r.left), r.top, top_.Map(r.right()) - top_.Map(r.left), r.height};
}

TwipRect FittedLayout::Rect(const ControlDesign& design) const {
    if (design.kind == Kind::Frame) return FrameRectOf(static_cast<Frame>(FrameIndex(design)));
    const TwipRect& r = design.rect;
    if (design.kind == Kind::StatusBar) return {0, r.top, ClientWidth(), r.height};
    const WidthMap& map = design.frame == Frame::None ? top_ : Inner(design.frame);
    return {map.Map(r.left), r.top, map.Map(r.right()) - map.Map(r.left), r.height};
}

GridLine FittedLayout::Line(const GridLine& line) const {
    const WidthMap& map = Inner(Frame::Monthly);
    return {map.Map(line.x1), line.y1, map.Map(line.x2), line.y2};
}

bool FittedLayout::AsDesigned() const {
    return top_.Identity() && std::all_of(inner_.begin(), inner_.end(), [](const WidthMap& m) { return m.Identity(); });
}

}  // namespace cadencer::dialog
