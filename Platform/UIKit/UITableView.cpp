#include <UIKit/UITableView.h>

#include <UIKit/UITouch.h>

UITableView::UITableView(CGRect frame, UITableViewStyle style) : UIView(frame), style_(style) {
    setClipsToBounds(true);
    setBackgroundColor(style_ == UITableViewStyleGrouped ? UIColor::colorWithWhite(0.94f, 1)
                                                         : UIColor::whiteColor());
}

void UITableView::setDataSource(UITableViewDataSource* dataSource) {
    dataSource_ = dataSource;
    reloadData();
}

void UITableView::setRowHeight(CGFloat height) {
    rowHeight_ = height;
    reloadData();
}

void UITableView::reloadData() {
    needsReload_ = true;
    setNeedsLayout();
}

NSInteger UITableView::numberOfSections() {
    return dataSource_ ? dataSource_->numberOfSectionsInTableView(this) : 0;
}

NSInteger UITableView::numberOfRowsInSection(NSInteger section) {
    return dataSource_ ? dataSource_->tableViewNumberOfRowsInSection(this, section) : 0;
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& indexPath) {
    CGFloat y = 0;
    for (NSInteger section = 0; section < indexPath.section(); ++section) {
        y += (style_ == UITableViewStyleGrouped ? groupedSectionGap : 0) +
             rowHeight_ * static_cast<CGFloat>(numberOfRowsInSection(section));
    }
    y += (style_ == UITableViewStyleGrouped ? groupedSectionGap : 0) +
         rowHeight_ * static_cast<CGFloat>(indexPath.row());
    return CGRectMake(0, y, bounds().size.width, rowHeight_);
}

void UITableView::reuseVisibleCells() {
    for (VisibleCell& shown : visible_) {
        shown.cell->removeFromSuperview();
        shown.cell->prepareForReuse();
        reusable_[shown.cell->reuseIdentifier()].push_back(shown.cell);
    }
    visible_.clear();
}

void UITableView::layoutSubviews() {
    if (!needsReload_) {
        CGFloat width = bounds().size.width;
        for (VisibleCell& shown : visible_) {
            CGRect frame = rectForRowAtIndexPath(NSIndexPath(shown.section, shown.row));
            frame.size.width = width;
            shown.cell->setFrame(frame);
        }
        return;
    }
    needsReload_ = false;
    reuseVisibleCells();
    CGFloat height = bounds().size.height;
    NSInteger sections = numberOfSections();
    for (NSInteger section = 0; section < sections; ++section) {
        NSInteger rows = numberOfRowsInSection(section);
        for (NSInteger row = 0; row < rows; ++row) {
            CGRect frame = rectForRowAtIndexPath(NSIndexPath(section, row));
            if (frame.origin.y >= height) {
                return; // no scrolling: rows below the bounds are not on show
            }
            UITableViewCellRef cell = dataSource_->tableViewCellForRowAtIndexPath(
                this, NSIndexPath::indexPathForRow(row, section));
            if (!cell) {
                continue;
            }
            cell->setFrame(frame);
            addSubview(cell);
            visible_.push_back({section, row, std::move(cell)});
        }
    }
}

UITableViewCell* UITableView::cellForRowAtIndexPath(const NSIndexPath& indexPath) {
    layoutIfNeeded();
    for (const VisibleCell& shown : visible_) {
        if (shown.section == indexPath.section() && shown.row == indexPath.row()) {
            return shown.cell.get();
        }
    }
    return nullptr;
}

std::vector<UITableViewCell*> UITableView::visibleCells() {
    layoutIfNeeded();
    std::vector<UITableViewCell*> cells;
    for (const VisibleCell& shown : visible_) {
        cells.push_back(shown.cell.get());
    }
    return cells;
}

NSIndexPathRef UITableView::indexPathForRowAtPoint(CGPoint point) {
    for (const VisibleCell& shown : visible_) {
        if (CGRectContainsPoint(shown.cell->frame(), point)) {
            return NSIndexPath::indexPathForRow(shown.row, shown.section);
        }
    }
    return nullptr;
}

void UITableView::registerCellFactory(const std::string& reuseIdentifier, CellFactory factory) {
    factories_[reuseIdentifier] = std::move(factory);
}

UITableViewCellRef
UITableView::dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier) {
    auto it = reusable_.find(reuseIdentifier);
    if (it == reusable_.end() || it->second.empty()) {
        return nullptr;
    }
    UITableViewCellRef cell = it->second.back();
    it->second.pop_back();
    return cell;
}

UITableViewCellRef
UITableView::dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier,
                                               const NSIndexPathRef& indexPath) {
    (void)indexPath;
    if (UITableViewCellRef cell = dequeueReusableCellWithIdentifier(reuseIdentifier)) {
        return cell;
    }
    auto factory = factories_.find(reuseIdentifier);
    if (factory != factories_.end()) {
        return factory->second(reuseIdentifier);
    }
    return UITableViewCell::initWithStyle(UITableViewCellStyleDefault, reuseIdentifier);
}

void UITableView::touchesBegan(const UITouchSet& touches, UIEvent* event) {
    (void)event;
    touchedRow_ =
        touches.empty() ? nullptr : indexPathForRowAtPoint(touches.front()->locationInView(this));
}

void UITableView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
    (void)event;
    if (!touchedRow_ || touches.empty()) {
        return;
    }
    NSIndexPathRef lifted = indexPathForRowAtPoint(touches.front()->locationInView(this));
    NSIndexPathRef row = touchedRow_;
    touchedRow_.reset();
    if (lifted && lifted->isEqual(row.get()) && delegate_) {
        delegate_->tableViewDidSelectRowAtIndexPath(this, row);
    }
}

void UITableView::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
    (void)touches;
    (void)event;
    touchedRow_.reset();
}
