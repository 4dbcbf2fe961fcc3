// Copy Loop and Paste as New Document, the program's side: the loop in the
// three forms other programs take from the clipboard (a MIDI file of the
// slices, a WAVE file of the audio between the locators, a whole loop file),
// each written by the same writer as the matching export or save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace NSZubrik {

class CZubrikDocument;

// The four-character keys of the forms, in the order they are offered.
inline constexpr char kMIDIFlavour[] = "MIDI";
inline constexpr char kWaveFlavour[] = "WAVE";
inline constexpr char kLoopFileFlavour[] = "ZBX2";

// One form: its key and the complete file. The MIDI form is empty when no
// slice would be exported.
struct SClipboardForm {
    std::string fFlavour;
    std::vector<uint8_t> fBytes;
};

// The forms the loop is offered in. Without a loop length the document asks
// for one first; nothing when that question or the copy itself is cancelled.
std::optional<std::vector<SClipboardForm>> MakeLoopClipboardForms(CZubrikDocument& document, bool noRingOut = false);

// The bytes of one flavour among the forms; null when it is not there.
const std::vector<uint8_t>* FindClipboardForm(const std::vector<SClipboardForm>& forms, const std::string& flavour);

// A pasted WAVE form as a file the sound-file reader can open (with all its
// checks); removed when this goes.
class CPastedWaveFile {
public:
    explicit CPastedWaveFile(const std::vector<uint8_t>& bytes);
    ~CPastedWaveFile();
    CPastedWaveFile(const CPastedWaveFile&) = delete;
    CPastedWaveFile& operator=(const CPastedWaveFile&) = delete;
    const std::filesystem::path& GetPath() const { return fPath; }

private:
    std::filesystem::path fFolder;
    std::filesystem::path fPath;
};

} // namespace NSZubrik
