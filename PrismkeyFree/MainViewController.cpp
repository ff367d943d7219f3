#include "MainViewController.h"

#include <Foundation/NSString.h>
#include <UIKit/UILabel.h>
#include <UIKit/UITableView.h>
#include <UIKit/UITableViewCell.h>

MainViewController::MainViewController(UITableViewStyle style) : UITableViewController(style) {}

void MainViewController::viewDidLoad() {
    UITableViewController::viewDidLoad();
    // The entries' spellings are the menu's own.
    setListData(NSArray::arrayWithObjects(
        {NSString::string("Change Color"), NSString::string("Change Backgorund Image"),
         NSString::string("More by Me"), NSString::string("Contanct Us")}));
}

NSInteger MainViewController::numberOfSectionsInTableView(UITableView*) {
    return listData_ ? static_cast<NSInteger>(listData_->count()) : 0;
}

NSInteger MainViewController::tableViewNumberOfRowsInSection(UITableView*, NSInteger) {
    return 1;
}

UITableViewCellRef
MainViewController::tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                   const NSIndexPathRef& indexPath) {
    UITableViewCellRef cell = tableView->dequeueReusableCellWithIdentifier("Cell", indexPath);
    auto entry = listData_->objectAtIndexedSubscript(static_cast<NSUInteger>(indexPath->section()));
    cell->textLabel()->setText(entry->description());
    return cell;
}
