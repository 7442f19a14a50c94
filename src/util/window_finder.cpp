#include "util/window_finder.h"

#include "platform/text_case.h"

#include <QApplication>
#include <QWidget>

namespace zr {

namespace {
bool StartsWithNoCase(std::string_view title, std::string_view prefix)
{
    return platform::UpperCaseLocale(title).starts_with(platform::UpperCaseLocale(prefix));
}

bool EndsWithNoCase(std::string_view title, std::string_view suffix)
{
    return title.size() >= suffix.size() &&
           platform::UpperCaseLocale(title).ends_with(platform::UpperCaseLocale(suffix));
}
}  // namespace

bool TitleMatchesPattern(std::string_view title, std::string_view pattern)
{
    if (title.empty())
        return false;
    const std::size_t star = pattern.find('*');
    if (star == std::string_view::npos)
        return StartsWithNoCase(title, pattern);
    if (star > 0)
        return StartsWithNoCase(title, pattern.substr(0, star));
    const std::string_view rest = pattern.substr(1);
    if (rest.find('*') != std::string_view::npos)
        return false;
    return rest.empty() || EndsWithNoCase(title, rest);
}

std::optional<std::size_t> FindTitle(const std::vector<std::string> &titles, std::string_view pattern)
{
    for (std::size_t i = 0; i < titles.size(); ++i)
        if (TitleMatchesPattern(titles[i], pattern))
            return i;
    return std::nullopt;
}

QWidget *FindWindowByTitle(std::string_view pattern)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    std::vector<std::string> titles;
    titles.reserve(static_cast<std::size_t>(windows.size()));
    for (const QWidget *window : windows)
        titles.push_back(window->windowTitle().toStdString());
    const std::optional<std::size_t> index = FindTitle(titles, pattern);
    return index ? windows[static_cast<qsizetype>(*index)] : nullptr;
}

}  // namespace zr
