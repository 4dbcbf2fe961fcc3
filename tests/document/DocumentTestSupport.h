// Fixtures for the document tests: synthetic drum loops, a recording alert
// presenter and dialogs, and a document made with them.
#pragma once

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/Alert.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"
#include "support/TestSupport.h"

namespace NSDocumentTest {

using namespace NSZubrik;

// Decaying noise bursts at `hits` evenly spaced frames from `first`.
inline std::unique_ptr<CABCWaveSample> DrumLoop(int32_t frames = 88200, int32_t hits = 8, bool stereo = false,
                                                int32_t first = 0, int32_t depth = 16)
{
    auto wave = CreateWaveSample(44100, frames, stereo, depth);
    const std::vector<int32_t> noise = NSTestSupport::Noise(size_t(frames), 1000, 11);
    const int32_t spacing = (frames - first) / hits;
    std::vector<float> samples(size_t(frames), 0.0f);
    for (int32_t hit = 0; hit < hits; ++hit)
        for (int32_t i = 0; i < spacing; ++i) {
            const int32_t frame = first + hit * spacing + i;
            samples[size_t(frame)] = 0.9f * float(std::exp(-i / 600.0)) * float(noise[size_t(frame)]) / 1000.0f;
        }
    wave->SetFloats(0, frames, samples.data(), 1);
    if (stereo) {
        for (float& s : samples)
            s *= 0.5f;
        wave->SetFloats(0, frames, samples.data(), 2);
    }
    wave->SetLoop(CABCWaveSample::kLoopModeSet, 0, frames);
    wave->BuildPreview();
    return wave;
}

struct CRecordingPresenter : IAlertPresenter {
    std::vector<std::string> messages;
    std::optional<size_t> answer; // default: the last button
    size_t Show(NSTextPackage::EAlertKind, const std::string& title, const std::string& message,
                const std::vector<std::string>& buttons) override
    {
        messages.push_back(title + message);
        if (answer && *answer < buttons.size())
            return *answer;
        return buttons.empty() ? 0 : buttons.size() - 1;
    }
};

struct CBarsDialog : INoLengthSpecifiedDialog {
    std::optional<int32_t> answer;
    int asked = 0;
    std::optional<int32_t> AskForBars() override
    {
        ++asked;
        return answer;
    }
};

struct CSaveDialog : ISaveDocumentDialog {
    std::optional<std::filesystem::path> answer;
    std::optional<std::filesystem::path> AskForFile(const std::u16string&) override { return answer; }
};

// A document on a drum loop with every slice shown, and the test's own
// services and alert presenter installed for its lifetime.
class DocumentFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        fPrevious = SetAlertPresenter(&fAlerts);
        fServices.preferences = &fPreferences;
        fServices.lengthDialog = &fBars;
        fServices.saveDialog = &fSave;
    }
    void TearDown() override
    {
        fDocument.reset();
        SetAlertPresenter(fPrevious);
    }
    CZubrikDocument& Make(std::unique_ptr<CABCWaveSample> wave = DrumLoop())
    {
        fDocument = CZubrikDocument::CreateFromWaveSample(std::move(wave), fServices);
        fDocument->SetSensitivity(99);
        // A later sensitivity change must not merge with this one.
        fDocument->Undo();
        fDocument->Redo();
        return *fDocument;
    }
    // The positions of the shown slices.
    std::vector<int32_t> Shown() const
    {
        std::vector<int32_t> result;
        for (const CSlice& s : fDocument->GetSliceSequence())
            if (fDocument->GetSliceSequence().IsShown(s))
                result.push_back(s.GetPosition());
        return result;
    }
    const CSlice& SliceAt(int32_t position) const { return *fDocument->GetSliceSequence().FindSliceAt(position); }

    CRecordingPresenter fAlerts;
    IAlertPresenter* fPrevious = nullptr;
    CDefaultDocumentPreferences fPreferences;
    CBarsDialog fBars;
    CSaveDialog fSave;
    CDocumentServices fServices;
    std::unique_ptr<CZubrikDocument> fDocument;
};

inline std::u16string Name(int32_t entry) { return ProgressText(entry); }

} // namespace NSDocumentTest
