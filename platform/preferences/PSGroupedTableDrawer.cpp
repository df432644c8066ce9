#include "platform/preferences/PSGroupedTableDrawer.h"

#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/TextLines.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/ViewBuilding.h"

#include <algorithm>
#include <cctype>

namespace {

const UIColor kSecondaryText = UIColor::colorWithRed(109 / 255.0, 109 / 255.0, 114 / 255.0, 1);
const UIColor kSeparator = UIColor::colorWithRed(200 / 255.0, 199 / 255.0, 204 / 255.0, 1);

constexpr CGFloat kSectionGap = 35;
constexpr CGFloat kHeaderGap = 55;
constexpr CGFloat kFooterLineHeight = 17;

std::string uppercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

UIColor PSGroupedTableDrawer::backgroundColor() {
    return UIColor::colorWithRed(239 / 255.0, 239 / 255.0, 244 / 255.0, 1);
}

PSGroupedTableDrawer::PSGroupedTableDrawer(UIScrollView& table)
    : m_table(table), m_width(table.bounds().size.width) {}

void PSGroupedTableDrawer::draw(const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                const CellForRow& cellForRow) {
    while (!m_table.subviews().empty())
        m_table.subviews().back()->removeFromSuperview();
    m_y = 0;
    size_t index = 0;
    while (index < rows.size()) {
        std::shared_ptr<PSSpecifier> group;
        if (rows[index]->cellType() == PSCellType::Group)
            group = rows[index++];
        drawHeader(group ? group->name() : "");
        index = drawSection(rows, index, cellForRow);
        if (auto footer = group ? group->footerText() : std::nullopt; footer && !footer->empty())
            drawFooter(*footer);
    }
    m_y += kSectionGap;
    m_table.setContentSize({m_width, m_y});
}

void PSGroupedTableDrawer::drawHeader(const std::string& header) {
    m_y += header.empty() ? kSectionGap : kHeaderGap;
    if (!header.empty())
        addCaption(uppercased(header),
                   {{PSTableCell::kInset, m_y - 26}, {m_width - 2 * PSTableCell::kInset, 18}});
}

size_t PSGroupedTableDrawer::drawSection(const std::vector<std::shared_ptr<PSSpecifier>>& rows,
                                         size_t index, const CellForRow& cellForRow) {
    bool firstRow = true;
    while (index < rows.size() && rows[index]->cellType() != PSCellType::Group) {
        auto cell = cellForRow(rows[index++]);
        cell->setFrame({{0, m_y}, {m_width, cell->height()}});
        m_table.addSubview(cell);
        // The section's edges run the full width; lines between rows start
        // at the text.
        if (firstRow)
            addLine(0, m_y, m_width);
        else
            addLine(PSTableCell::kInset, m_y, m_width - PSTableCell::kInset);
        firstRow = false;
        m_y += cell->height();
    }
    if (!firstRow)
        addLine(0, m_y - kHairlineHeight, m_width);
    return index;
}

void PSGroupedTableDrawer::drawFooter(const std::string& footer) {
    m_y += 7;
    const CGFloat width = m_width - 2 * PSTableCell::kInset;
    for (const auto& line : TextLines::wrap(footer, UIFont::systemFontOfSize(13), width)) {
        addCaption(line, {{PSTableCell::kInset, m_y}, {width, kFooterLineHeight}});
        m_y += kFooterLineHeight;
    }
}

void PSGroupedTableDrawer::addLine(CGFloat x, CGFloat y, CGFloat width) {
    addHairline(m_table, x, y, width, kSeparator);
}

void PSGroupedTableDrawer::addCaption(const std::string& text, CGRect frame) {
    addLabel(m_table, text, frame, UIFont::systemFontOfSize(13), kSecondaryText);
}
