#include "app/CommandTable.h"

#include "app/StringTable.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <vector>

namespace {

constexpr CommandInfo kCommands[] = {
#include "../../resources/Commands.inc"
};

struct ToolBarEntry
{
    int toolBar;
    int entry;
};

constexpr ToolBarEntry kToolBarEntries[] = {
#include "../../resources/Toolbars.inc"
};

// A tooltip longer than this is cut; tooltips are one short line.
constexpr int kMaxToolTip = 159;

}  // namespace

std::span<const CommandInfo> Commands()
{
    return kCommands;
}

const CommandInfo* FindCommand(int id)
{
    const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                                 [id](const CommandInfo& command) { return command.id == id; });
    return it == std::end(kCommands) ? nullptr : &*it;
}

QString CommandPrompt(int id)
{
    const QString text = LoadText(id);
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    return lineBreak < 0 ? text : text.left(lineBreak);
}

QString CommandToolTip(int id)
{
    const QString text = LoadText(id);
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    if (lineBreak < 0)
        return {};
    return text.mid(lineBreak + 1).left(kMaxToolTip);
}

std::span<const int> ToolBarEntries(int toolBarId)
{
    // Kept per toolbar once, in the order of the table.
    static const auto perToolBar = [] {
        std::array<std::vector<int>, 2> lists;
        for (const ToolBarEntry& entry : kToolBarEntries)
            lists[entry.toolBar == kMainToolBar ? 0 : 1].push_back(entry.entry);
        return lists;
    }();
    if (toolBarId == kMainToolBar)
        return perToolBar[0];
    if (toolBarId == kFormatToolBar)
        return perToolBar[1];
    return {};
}
