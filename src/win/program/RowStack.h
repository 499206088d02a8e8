// The boxes of a window's controls laid out in rows from the top at one
// client width, in pixels of the window's DPI: a row across the width, a
// caption beside its field, something beside a control at the right. The
// caller measures the texts; the arithmetic here needs no window, so that the
// tests check it without a screen.
#pragma once

namespace tolvane::win {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    friend bool operator==(const Box&, const Box&) = default;
};

// Two boxes of one row.
struct BoxPair {
    Box left;
    Box right;
};

class RowStack {
public:
    enum class Align { Centre, Bottom };

    // Rows between `margin` on every side, `gap` between them.
    RowStack(int clientWidth, int margin, int gap);

    // The width between the margins.
    int Inner() const { return inner_; }
    // What a row's left part has when `rightWidth` takes the right.
    int LeftWidth(int rightWidth) const;

    // A row across the whole width.
    Box Full(int height);
    // A row of `width` (the inner width at most) in the middle.
    Box Centred(int width, int height);
    // A row starting `indent` from the left margin, to the right margin.
    Box Indented(int indent, int height);
    // A caption in a column `captionWidth` wide and the field beside it in
    // the rest, the caption centred on the field's height.
    BoxPair Labelled(int captionWidth, int captionHeight, int fieldHeight);
    // A left part taking what `rightWidth` at the right margin leaves, both
    // centred on the row or standing on its bottom.
    BoxPair Beside(int leftHeight, int rightWidth, int rightHeight, Align align);
    // Extra room before the next row.
    void Skip(int pixels) { y_ += pixels; }

    // The client height the rows need: the last row's bottom and a margin.
    int Height() const;

private:
    int margin_;
    int gap_;
    int inner_;
    int y_;
    int bottom_; // of the last row
};

// `box` moved down by `by` pixels: a row that keeps to the client's bottom
// when the window is taller than its rows need.
Box Lowered(Box box, int by);

} // namespace tolvane::win
