#include "game/menu/Menu.h"

#include "game/OverlayText.h"
#include "game/menu/Panel.h"

#include <algorithm>

namespace {

constexpr float DESIGN_HEIGHT = 1080.0f;
constexpr float HEADING_SCALE = 1.0f;
constexpr float LEAD_SCALE = 0.55f;
constexpr float ROW_SCALE = 0.55f;
constexpr float KEYS_SCALE = 0.42f;
constexpr float ROW_GAP = 62.0f;
constexpr float COLUMN_GAP = 60.0f;
// The marker's room before the first column.
constexpr float MARK_ROOM = 50.0f;
constexpr float PANEL_PAD = 30.0f;
constexpr float MAX_WIDTH_SHARE = 0.92f;
// Dark enough that a line stays readable over the sun.
constexpr glm::vec4 PANEL_COLOR{0.02f, 0.03f, 0.06f, 0.78f};
constexpr glm::vec4 CHOSEN_BAR_COLOR{1.0f, 0.85f, 0.3f, 0.14f};

} // namespace

std::size_t menuUp(std::size_t cursor, std::size_t count) {
    return count == 0 ? 0 : (std::min(cursor, count - 1) + count - 1) % count;
}

std::size_t menuDown(std::size_t cursor, std::size_t count) {
    return count == 0 ? 0 : (std::min(cursor, count - 1) + 1) % count;
}

MenuLayout layoutMenu(const MenuPage& page, std::size_t cursor, float width, float height,
                      const MeasureLine& measure) {
    MenuLayout l;
    l.width = width;
    l.height = height;
    l.unit = height / DESIGN_HEIGHT;
    const float unit = l.unit;
    auto centred = [&](const std::string& text, float y, float scale) {
        float w = measure(text, scale);
        if (w > MAX_WIDTH_SHARE * width && w > 0.0f) {
            scale *= MAX_WIDTH_SHARE * width / w;
            w = measure(text, scale);
        }
        return TextPlacement{0.5f * (width - w), y, scale};
    };
    float y = height - 170.0f * unit;
    l.heading = centred(page.heading, y, HEADING_SCALE * page.headingScale * unit);
    float topLeft = l.heading.x;
    float topRight = l.heading.x + measure(page.heading, l.heading.scale);
    const float topHigh = y + 62.0f * unit * page.headingScale;
    y -= (page.headingScale > 1.0f ? 1.5f : 1.2f) * ROW_GAP * unit;
    for (const std::string& line : page.lead) {
        l.lead.push_back(centred(line, y, LEAD_SCALE * unit));
        topLeft = std::min(topLeft, l.lead.back().x);
        topRight = std::max(topRight, l.lead.back().x + measure(line, l.lead.back().scale));
        y -= 0.9f * ROW_GAP * unit;
    }
    const float topLow = (l.lead.empty() ? l.heading.y : l.lead.back().y) - 0.3f * ROW_GAP * unit;
    if (topRight > topLeft) {
        const float pad = PANEL_PAD * unit;
        l.topX = topLeft - pad;
        l.topWidth = topRight - topLeft + 2.0f * pad;
        l.topY = topLow;
        l.topHeight = topHigh - topLow + 0.5f * pad;
    }
    y -= 0.5f * ROW_GAP * unit;

    // Columns as wide as their widest cell.
    float scale = ROW_SCALE * unit;
    std::vector<float> widths;
    for (const MenuRow& row : page.rows) {
        widths.resize(std::max(widths.size(), row.cells.size()), 0.0f);
        for (std::size_t c = 0; c < row.cells.size(); ++c) {
            widths[c] = std::max(widths[c], measure(row.cells[c], scale));
        }
    }
    float total = MARK_ROOM * unit;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        total += widths[c] + (c + 1 < widths.size() ? COLUMN_GAP * unit : 0.0f);
    }
    const float room = MAX_WIDTH_SHARE * width - 2.0f * PANEL_PAD * unit;
    const float shrink = total > room && total > 0.0f ? room / total : 1.0f;
    scale *= shrink;
    total *= shrink;
    l.rowScale = scale;
    const float left = 0.5f * (width - total);
    float x = left + MARK_ROOM * unit * shrink;
    for (std::size_t c = 0; c < widths.size(); ++c) {
        l.columns.push_back(x);
        x += (widths[c] + COLUMN_GAP * unit) * shrink;
    }

    // The rows that fit above the note and the keys line; the cursor's in view.
    l.rowHeight = ROW_GAP * unit * std::max(shrink, 0.7f);
    const float bottom = 200.0f * unit;
    const std::size_t fit =
        std::max<std::size_t>(1, std::size_t(std::max(0.0f, y - bottom) / l.rowHeight));
    const std::size_t count = page.rows.size();
    const std::size_t shown = std::min(count, fit);
    l.first = cursor >= shown ? std::min(cursor - shown + 1, count - shown) : 0;
    const float firstBaseline = y - 0.7f * l.rowHeight;
    for (std::size_t i = 0; i < shown; ++i) {
        l.baselines.push_back(firstBaseline - float(i) * l.rowHeight);
    }
    const float pad = PANEL_PAD * unit;
    l.panelX = left - pad;
    l.panelWidth = total + 2.0f * pad;
    l.panelHeight = float(shown) * l.rowHeight + pad;
    l.panelY = y - l.panelHeight;
    l.note = centred(page.note, l.panelY - 0.9f * ROW_GAP * unit, LEAD_SCALE * 0.9f * unit);
    l.keys = centred(page.keys, 80.0f * unit, KEYS_SCALE * unit);
    l.keysWidth = page.keys.empty() ? 0.0f : measure(page.keys, l.keys.scale);
    return l;
}

std::optional<std::size_t> menuRowAt(const MenuLayout& layout, float x, float y) {
    if (x < layout.panelX || x > layout.panelX + layout.panelWidth) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < layout.baselines.size(); ++i) {
        // A row's band runs from a third of a row below its baseline up.
        const float low = layout.baselines[i] - 0.35f * layout.rowHeight;
        if (y >= low && y < low + layout.rowHeight) {
            return layout.first + i;
        }
    }
    return std::nullopt;
}

void drawMenu(const MenuPage& page, const MenuLayout& l, std::size_t cursor) {
    std::vector<PanelRect> rects;
    if (!page.rows.empty()) {
        rects.push_back({l.panelX, l.panelY, l.panelWidth, l.panelHeight, PANEL_COLOR});
        for (std::size_t i = 0; i < l.baselines.size(); ++i) {
            if (l.first + i == cursor) {
                rects.push_back({l.panelX, l.baselines[i] - 0.35f * l.rowHeight, l.panelWidth,
                                 l.rowHeight, CHOSEN_BAR_COLOR});
            }
        }
    }
    // The heading and the lines about it get a panel of their own.
    if (l.topWidth > 0.0f) {
        rects.push_back({l.topX, l.topY, l.topWidth, l.topHeight, PANEL_COLOR});
    }
    if (l.keysWidth > 0.0f) {
        const float pad = 14.0f * l.unit;
        rects.push_back({l.keys.x - pad, l.keys.y - pad, l.keysWidth + 2.0f * pad,
                         36.0f * l.unit + pad, PANEL_COLOR});
    }
    drawPanels(rects, l.width, l.height);

    drawOverlayLine(page.heading, l.heading, HUD_COLOR);
    for (std::size_t i = 0; i < page.lead.size() && i < l.lead.size(); ++i) {
        drawOverlayLine(page.lead[i], l.lead[i], HUD_COLOR);
    }
    for (std::size_t i = 0; i < l.baselines.size(); ++i) {
        const std::size_t r = l.first + i;
        const MenuRow& row = page.rows[r];
        const bool chosen = r == cursor;
        const glm::vec3 color = row.greyed ? MENU_GREYED_COLOR
                                : chosen   ? MENU_CHOSEN_COLOR
                                           : HUD_COLOR;
        if (chosen) {
            drawOverlayLine(">",
                            {l.columns.front() - 0.8f * (l.columns.front() - l.panelX),
                             l.baselines[i], l.rowScale},
                            MENU_CHOSEN_COLOR);
        }
        for (std::size_t c = 0; c < row.cells.size() && c < l.columns.size(); ++c) {
            drawOverlayLine(row.cells[c], {l.columns[c], l.baselines[i], l.rowScale}, color);
        }
    }
    if (!page.note.empty()) {
        drawOverlayLine(page.note, l.note, MENU_CHOSEN_COLOR);
    }
    drawOverlayLine(page.keys, l.keys, HUD_COLOR);
}

MenuLayout drawMenuPage(const MenuPage& page, std::size_t cursor, float width, float height) {
    const MenuLayout layout = layoutMenu(page, cursor, width, height, overlayLineWidth);
    drawMenu(page, layout, cursor);
    return layout;
}
