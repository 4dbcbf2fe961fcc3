#include "app/AlertText.h"

#include "app/StringTables.h"
#include "app/ZubrikErrors.h"

#include <array>
#include <utility>

namespace NSTextPackage {

namespace {

[[noreturn]] void Malformed()
{
    throw XIllegalTextFormat();
}

EAlertKind TakeKind(std::string_view& text)
{
    static constexpr std::array<std::pair<std::string_view, EAlertKind>, 3> kKinds{{
        {"[STOP]", EAlertKind::kStop},
        {"[NOTE]", EAlertKind::kNote},
        {"[WARN]", EAlertKind::kWarn},
    }};
    for (const auto& [tag, kind] : kKinds) {
        if (text.starts_with(tag)) {
            text.remove_prefix(tag.size());
            return kind;
        }
    }
    return EAlertKind::kNone;
}

// A bracketed part must hold something and no bracket of its own.
std::string_view CheckedLabel(std::string_view label)
{
    if (label.empty() || label.find_first_of("[]") != std::string_view::npos)
        Malformed();
    return label;
}

std::string_view TakeTitle(std::string_view& text)
{
    if (!text.starts_with('['))
        return {};
    const size_t close = text.find(']');
    if (close == std::string_view::npos)
        Malformed();
    const std::string_view title = CheckedLabel(text.substr(1, close - 1));
    text.remove_prefix(close + 1);
    return title;
}

// Takes the bracketed labels at the end of text, in their listed order.
std::vector<std::string_view> TakeButtons(std::string_view& text)
{
    std::vector<std::string_view> buttons;
    while (text.ends_with(']')) {
        const size_t open = text.rfind('[');
        if (open == std::string_view::npos)
            Malformed();
        buttons.insert(buttons.begin(), CheckedLabel(text.substr(open + 1, text.size() - open - 2)));
        text.remove_suffix(text.size() - open);
    }
    if (buttons.size() > kMaxAlertButtons)
        Malformed();
    return buttons;
}

} // namespace

CAlertText ParseAlertText(std::string_view text, std::span<const std::string_view> arguments)
{
    CAlertText alert;
    alert.fKind = TakeKind(text);
    const std::string_view title = TakeTitle(text);
    const std::vector<std::string_view> buttons = TakeButtons(text);
    if (text.find_first_of("[]") != std::string_view::npos || (title.empty() && text.empty()))
        Malformed();

    // Arguments go in only after the split, so that a bracket in a file name
    // cannot change the alert's shape.
    alert.fTitle = FormatText(title, arguments);
    alert.fMessage = FormatText(text, arguments);
    for (const std::string_view button : buttons)
        alert.fButtons.push_back(FormatText(button, arguments));
    return alert;
}

CAlertText ParseAlertText(std::string_view text, std::initializer_list<std::string_view> arguments)
{
    return ParseAlertText(text, std::span<const std::string_view>(arguments.begin(), arguments.size()));
}

} // namespace NSTextPackage
