// A menu of four entries, one section each. The application carries it but never
// shows it.
#pragma once

#include <Foundation/NSArray.h>
#include <UIKit/UITableViewController.h>

#include <memory>

class MainViewController : public UITableViewController {
  public:
    explicit MainViewController(UITableViewStyle style = UITableViewStylePlain);

    const std::shared_ptr<NSArray>& listData() const { return listData_; }
    void setListData(std::shared_ptr<NSArray> listData) { listData_ = std::move(listData); }

    void viewDidLoad() override;
    NSInteger numberOfSectionsInTableView(UITableView* tableView) override;
    NSInteger tableViewNumberOfRowsInSection(UITableView* tableView, NSInteger section) override;
    UITableViewCellRef tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                      const NSIndexPathRef& indexPath) override;

  private:
    std::shared_ptr<NSArray> listData_;
};
