// The schedule dialog's layout fitted to its texts. The design's positions hold the texts
// in the fonts the design was made for; where a text needs more room (another language,
// a wider font, text scaling) the control widens, and everything to its right in the same
// frame (or, for frames and buttons, in the client area) moves right by as much, so that
// nothing overlaps and the rows and columns of the design keep their order. Heights and
// vertical positions never change. Portable: the Windows form measures its texts and asks
// here where every control goes.
#pragma once

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "dialog/schedule_design.h"

namespace cadencer::dialog {

// A monotone map of design x coordinates (twips) to fitted ones: room inserted at design
// positions; every x at or right of an insertion moves by its amount.
class WidthMap {
public:
    int Map(int x) const {
        int mapped = x;
        for (const auto& [at, room] : inserts_)
            if (at <= x) mapped += room;
        return mapped;
    }
    // Makes [left, right) at least `need` wide after the map, by inserting room at right.
    void Require(int left, int right, int need) {
        const int width = Map(right) - Map(left);
        if (need > width) inserts_.emplace_back(right, need - width);
    }
    bool Identity() const { return inserts_.empty(); }

private:
    std::vector<std::pair<int, int>> inserts_;  // design position, room added there
};

class FittedLayout {
public:
    // `need` gives the width (twips) a control needs for its text, or 0 when any width does.
    explicit FittedLayout(const std::function<int(const ControlDesign&)>& need);
    // The design's layout unchanged.
    FittedLayout();

    int ClientWidth() const { return top_.Map(kClientWidthTwips); }
    // A control's rectangle relative to its frame (or to the client area), as the design's
    // rect is; a frame's relative to the client area.
    TwipRect Rect(const ControlDesign& design) const;
    TwipRect FrameRectOf(Frame frame) const;
    // A calendar grid line, relative to FrameMonthly.
    GridLine Line(const GridLine& line) const;
    // Whether every control keeps the design's place.
    bool AsDesigned() const;

private:
    const WidthMap& Inner(Frame frame) const { return inner_[static_cast<std::size_t>(frame)]; }
    std::array<WidthMap, 5> inner_;
    WidthMap top_;
};

}  // namespace cadencer::dialog
