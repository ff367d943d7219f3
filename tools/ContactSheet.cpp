#include "ContactSheet.h"

#include <algorithm>

namespace contactsheet {

namespace {

CGSize scaledToCellWidth(CGSize size) {
    if (size.width <= 0 || size.height <= 0) {
        return {kCellWidth, 0};
    }
    CGFloat factor = std::min<CGFloat>(1, kCellWidth / size.width);
    return {size.width * factor, size.height * factor};
}

} // namespace

Layout layOut(const std::vector<CGSize>& imageSizes) {
    CGFloat cellHeight = 0;
    for (CGSize size : imageSizes) {
        cellHeight = std::max(cellHeight, scaledToCellWidth(size).height);
    }
    std::size_t columns = std::clamp<std::size_t>(imageSizes.size(), 1, kColumns);
    std::size_t rows = (imageSizes.size() + kColumns - 1) / kColumns;
    CGFloat rowHeight = cellHeight + kTitleHeight;
    auto count = [](std::size_t n) { return static_cast<CGFloat>(n); };

    Layout layout;
    layout.size = {2 * kMargin + count(columns) * kCellWidth + count(columns - 1) * kGap,
                   2 * kMargin + kHeadingHeight + count(rows) * rowHeight +
                       count(rows > 0 ? rows - 1 : 0) * kGap};
    layout.heading = CGRectMake(kMargin, kMargin, layout.size.width - 2 * kMargin, kHeadingHeight);
    for (std::size_t i = 0; i < imageSizes.size(); ++i) {
        CGFloat left = kMargin + count(i % kColumns) * (kCellWidth + kGap);
        CGFloat top = kMargin + kHeadingHeight + count(i / kColumns) * (rowHeight + kGap);
        CGSize image = scaledToCellWidth(imageSizes[i]);
        layout.images.push_back(
            CGRectMake(left + (kCellWidth - image.width) / 2, top, image.width, image.height));
        layout.titles.push_back(CGRectMake(left, top + cellHeight, kCellWidth, kTitleHeight));
    }
    return layout;
}

} // namespace contactsheet
