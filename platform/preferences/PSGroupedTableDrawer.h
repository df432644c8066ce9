#pragma once

#include "platform/uikit/UIColor.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class PSSpecifier;
class PSTableCell;
class UIScrollView;

// Lays a pane's rows out on its table as the Settings app draws a grouped
// list: each group row opens a section with its header above, the rows
// between hairlines, and its footer wrapped below. The pane keeps its cells,
// so the drawer asks it for each row's.
class PSGroupedTableDrawer {
public:
    using CellForRow =
        std::function<std::shared_ptr<PSTableCell>(const std::shared_ptr<PSSpecifier>&)>;

    // The grey behind the sections.
    static UIColor backgroundColor();

    explicit PSGroupedTableDrawer(UIScrollView& table);

    // Replaces what the table shows with the rows and sets its content size.
    void draw(const std::vector<std::shared_ptr<PSSpecifier>>& rows, const CellForRow& cellForRow);

private:
    void drawHeader(const std::string& header);
    // Draws the rows from `index` up to the next group row; returns where it
    // stopped.
    size_t drawSection(const std::vector<std::shared_ptr<PSSpecifier>>& rows, size_t index,
                       const CellForRow& cellForRow);
    void drawFooter(const std::string& footer);
    void addLine(CGFloat x, CGFloat y, CGFloat width);
    void addCaption(const std::string& text, CGRect frame);

    UIScrollView& m_table;
    CGFloat m_width;
    // Where the next part of the list goes.
    CGFloat m_y = 0;
};
