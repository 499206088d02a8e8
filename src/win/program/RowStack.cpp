#include "RowStack.h"

#include <algorithm>

namespace tolvane::win {

RowStack::RowStack(int clientWidth, int margin, int gap)
    : margin_(margin), gap_(gap), inner_(std::max(0, clientWidth - 2 * margin)), y_(margin),
      bottom_(margin) {}

int RowStack::LeftWidth(int rightWidth) const {
    return std::max(0, inner_ - std::min(rightWidth, inner_) - gap_);
}

Box RowStack::Full(int height) {
    return Indented(0, height);
}

Box RowStack::Centred(int width, int height) {
    const int shown = std::clamp(width, 0, inner_);
    const Box box{margin_ + (inner_ - shown) / 2, y_, shown, height};
    bottom_ = box.Bottom();
    y_ = bottom_ + gap_;
    return box;
}

Box RowStack::Indented(int indent, int height) {
    const int left = std::clamp(indent, 0, inner_);
    const Box box{margin_ + left, y_, inner_ - left, height};
    bottom_ = box.Bottom();
    y_ = bottom_ + gap_;
    return box;
}

BoxPair RowStack::Labelled(int captionWidth, int captionHeight, int fieldHeight) {
    // The caption keeps at most half the width: the field stays usable.
    const int caption = std::clamp(captionWidth, 0, inner_ / 2);
    const int height = std::max(captionHeight, fieldHeight);
    BoxPair row{{margin_, y_ + (height - captionHeight) / 2, caption, captionHeight},
                {margin_ + caption + gap_, y_ + (height - fieldHeight) / 2,
                 std::max(0, inner_ - caption - gap_), fieldHeight}};
    bottom_ = y_ + height;
    y_ = bottom_ + gap_;
    return row;
}

BoxPair RowStack::Beside(int leftHeight, int rightWidth, int rightHeight, Align align) {
    const int right = std::min(rightWidth, inner_);
    const int height = std::max(leftHeight, rightHeight);
    const auto top = [&](int own) {
        return y_ + (align == Align::Bottom ? height - own : (height - own) / 2);
    };
    BoxPair row{{margin_, top(leftHeight), LeftWidth(rightWidth), leftHeight},
                {margin_ + inner_ - right, top(rightHeight), right, rightHeight}};
    bottom_ = y_ + height;
    y_ = bottom_ + gap_;
    return row;
}

int RowStack::Height() const {
    return bottom_ + margin_;
}

Box Lowered(Box box, int by) {
    box.y += by;
    return box;
}

} // namespace tolvane::win
