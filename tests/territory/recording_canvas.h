#pragma once
// A map canvas that keeps every polygon and text it is given, measuring text as `charWidth`
// pixels a character and `lineHeight` high.
#include <string>
#include <vector>

#include "territory/map_canvas.h"

namespace qv::test {

struct RecordedOp {
    enum Kind { Polygon, Line, Text } kind;
    std::vector<MapPoint> points;  // polygon vertices, line ends, or the text's top left
    std::string text;
    uint32_t brush = 0;
    uint32_t pen = 0;
    int penWidth = 0;
    int fontHeight = 0;
};

class RecordingCanvas : public MapCanvas {
  public:
    explicit RecordingCanvas(int charWidth = 6, int lineHeight = 10)
        : charWidth_(charWidth), lineHeight_(lineHeight) {}
    void SetBrushColour(uint32_t colour) override { brush_ = colour; }
    void SetPenColour(uint32_t colour) override { pen_ = colour; }
    void SetPenWidth(int width) override { penWidth_ = width; }
    void SetFontHeight(int pixels) override { font_ = pixels; }
    void Polygon(const MapPoint* points, int count) override {
        ops.push_back({RecordedOp::Polygon, {points, points + count}, {}, brush_, pen_, penWidth_, font_});
    }
    void MoveTo(int32_t x, int32_t y) override { at_ = {x, y}; }
    void LineTo(int32_t x, int32_t y) override {
        ops.push_back({RecordedOp::Line, {at_, {x, y}}, {}, brush_, pen_, penWidth_, font_});
        at_ = {x, y};
    }
    void TextOut(int32_t x, int32_t y, const std::string& text) override {
        ops.push_back({RecordedOp::Text, {{x, y}}, text, brush_, pen_, penWidth_, font_});
    }
    int TextWidth(const std::string& text) override { return charWidth_ * int(text.size()); }
    int TextHeight(const std::string&) override { return lineHeight_; }

    std::vector<RecordedOp> Of(RecordedOp::Kind kind) const {
        std::vector<RecordedOp> out;
        for (const RecordedOp& op : ops)
            if (op.kind == kind) out.push_back(op);
        return out;
    }
    std::vector<RecordedOp> ops;

  private:
    int charWidth_, lineHeight_;
    uint32_t brush_ = 0, pen_ = 0;
    int penWidth_ = 0, font_ = 0;
    MapPoint at_;
};

}  // namespace qv::test
