// The parts of an alert text: "[STOP][Disk Full]Message.[Cancel][OK]" is a
// kind, a title, a message and button labels, each part but the message
// optional.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace NSTextPackage {

enum class EAlertKind { kNone, kStop, kNote, kWarn };

struct CAlertText {
    EAlertKind fKind = EAlertKind::kNone;
    std::string fTitle;
    std::string fMessage;
    std::vector<std::string> fButtons; // in the order listed; the last is the default
};

// At most three buttons: their results 33, 34 and 35 count from the last.
inline constexpr size_t kMaxAlertButtons = 3;

// Splits an alert text and fills in its arguments ("^0" ... "^9" in the
// title, message and labels; "\r" becomes a line break). The kind is
// recognised only as the first bracket; a following bracket is the title;
// the brackets at the end are the buttons. Throws XIllegalTextFormat on an
// unbalanced bracket, a bracket inside the message, an empty label, more
// than three buttons, or a text with neither title nor message.
CAlertText ParseAlertText(std::string_view text, std::span<const std::string_view> arguments);
CAlertText ParseAlertText(std::string_view text,
                          std::initializer_list<std::string_view> arguments = {});

} // namespace NSTextPackage
