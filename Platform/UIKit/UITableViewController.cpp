#include <UIKit/UITableViewController.h>

#include <UIKit/UIScreen.h>

UITableViewController::UITableViewController(UITableViewStyle style) : style_(style) {}

UITableViewController::~UITableViewController() {
    // The table may outlive its controller in a view tree.
    if (isViewLoaded()) {
        if (auto* table = dynamic_cast<UITableView*>(view())) {
            table->setDataSource(nullptr);
            table->setDelegate(nullptr);
        }
    }
}

UITableView* UITableViewController::tableView() {
    return dynamic_cast<UITableView*>(view());
}

void UITableViewController::loadView() {
    auto table = std::make_shared<UITableView>(UIScreen::mainScreen()->applicationFrame(), style_);
    table->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    table->setDataSource(this);
    table->setDelegate(this);
    setView(std::move(table));
}

NSInteger UITableViewController::tableViewNumberOfRowsInSection(UITableView* tableView,
                                                                NSInteger section) {
    (void)tableView;
    (void)section;
    return 0;
}

UITableViewCellRef
UITableViewController::tableViewCellForRowAtIndexPath(UITableView* tableView,
                                                      const NSIndexPathRef& indexPath) {
    (void)tableView;
    (void)indexPath;
    return nullptr;
}
