// The small modal dialogs of the document window: the loop-length question,
// the channel choice of Convert to Mono and the rate and depth of Convert
// Sample Format. Each answers nothing when cancelled.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

class QWidget;

namespace NSZubrik {

// "Loop Length cannot be set to 0 Bars. ..." with the "Bars:" field; OK
// only for 1 ... 999 bars.
std::optional<int32_t> AskForLoopLength(QWidget* parent);
// 0 left, 1 right, 2 mix; current is preselected.
std::optional<int32_t> AskForMonoSource(QWidget* parent, int32_t current);
// Sample rate (11025 ... 96000) and bit depth (16 or 24).
std::optional<std::pair<int32_t, int32_t>> AskForSampleFormat(QWidget* parent, int32_t rate, int32_t depth);

} // namespace NSZubrik
