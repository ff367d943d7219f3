// A view controller whose view is a table, and which is the table's data source
// and delegate. The defaults show one empty section.
#pragma once

#include <UIKit/UITableView.h>
#include <UIKit/UIViewController.h>

class UITableViewController : public UIViewController,
                              public UITableViewDataSource,
                              public UITableViewDelegate {
  public:
    explicit UITableViewController(UITableViewStyle style = UITableViewStylePlain);
    ~UITableViewController() override;

    UITableView* tableView();
    UITableViewStyle style() const { return style_; }

    void loadView() override;
    NSInteger tableViewNumberOfRowsInSection(UITableView* tableView, NSInteger section) override;
    UITableViewCellRef tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                      const NSIndexPathRef& indexPath) override;

  private:
    UITableViewStyle style_;
};
