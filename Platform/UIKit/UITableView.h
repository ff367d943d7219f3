// A table of rows in sections, laid out top to bottom (plain: one after the
// other; grouped: sections apart on a grey background). It asks its data source
// for the counts and the cells of the rows that fit in its bounds, and tells its
// delegate of a tapped row. Data-source and delegate methods join their
// selector's keywords (`tableView:numberOfRowsInSection:` is
// `tableViewNumberOfRowsInSection`).
#pragma once

#include <UIKit/NSIndexPath.h>
#include <UIKit/UITableViewCell.h>
#include <UIKit/UIView.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class UITableView;
using UITableViewRef = std::shared_ptr<UITableView>;

enum UITableViewStyle : NSInteger {
    UITableViewStylePlain = 0,
    UITableViewStyleGrouped = 1,
};

class UITableViewDataSource {
  public:
    virtual ~UITableViewDataSource() = default;
    virtual NSInteger numberOfSectionsInTableView(UITableView* tableView) {
        (void)tableView;
        return 1;
    }
    virtual NSInteger tableViewNumberOfRowsInSection(UITableView* tableView, NSInteger section) = 0;
    virtual UITableViewCellRef tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                              const NSIndexPathRef& indexPath) = 0;
};

class UITableViewDelegate {
  public:
    virtual ~UITableViewDelegate() = default;
    virtual void tableViewDidSelectRowAtIndexPath(UITableView* tableView,
                                                  const NSIndexPathRef& indexPath) {
        (void)tableView;
        (void)indexPath;
    }
};

class UITableView : public UIView {
  public:
    using CellFactory = std::function<UITableViewCellRef(const std::string& reuseIdentifier)>;
    static constexpr CGFloat groupedSectionGap = 35;

    UITableView(CGRect frame, UITableViewStyle style);

    UITableViewStyle style() const { return style_; }
    // Neither is retained.
    UITableViewDataSource* dataSource() const { return dataSource_; }
    void setDataSource(UITableViewDataSource* dataSource);
    UITableViewDelegate* delegate() const { return delegate_; }
    void setDelegate(UITableViewDelegate* delegate) { delegate_ = delegate; }
    CGFloat rowHeight() const { return rowHeight_; }
    void setRowHeight(CGFloat height);

    void reloadData();
    NSInteger numberOfSections();
    NSInteger numberOfRowsInSection(NSInteger section);
    // The cell on show for a row; nullptr when the row is not on show.
    UITableViewCell* cellForRowAtIndexPath(const NSIndexPath& indexPath);
    std::vector<UITableViewCell*> visibleCells();
    // The row under a point in the table's coordinates; nullptr when none.
    NSIndexPathRef indexPathForRowAtPoint(CGPoint point);
    CGRect rectForRowAtIndexPath(const NSIndexPath& indexPath);

    // A cell kind for an identifier (the platform's registerClass).
    void registerCellFactory(const std::string& reuseIdentifier, CellFactory factory);
    // A cell put aside for reuse; nullptr when there is none.
    UITableViewCellRef dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier);
    // Never nullptr: a reused cell, a registered kind, or else a default-style
    // cell with a text label.
    UITableViewCellRef dequeueReusableCellWithIdentifier(const std::string& reuseIdentifier,
                                                         const NSIndexPathRef& indexPath);

    void layoutSubviews() override;
    void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
    void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
    void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

  private:
    struct VisibleCell {
        NSInteger section;
        NSInteger row;
        UITableViewCellRef cell;
    };
    void reuseVisibleCells();

    UITableViewStyle style_;
    UITableViewDataSource* dataSource_ = nullptr;
    UITableViewDelegate* delegate_ = nullptr;
    CGFloat rowHeight_ = 44;
    bool needsReload_ = true;
    std::vector<VisibleCell> visible_;
    std::map<std::string, std::vector<UITableViewCellRef>> reusable_;
    std::map<std::string, CellFactory> factories_;
    NSIndexPathRef touchedRow_;
};
