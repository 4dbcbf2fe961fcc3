#include <functional>

#include "app/ResourceIds.h"
#include "DocumentTestSupport.h"

using namespace NSDocumentTest;
using namespace NSZubrik;

namespace {

struct CCommandCase {
    int32_t name;
    std::function<void(CZubrikDocument&)> command;
};

} // namespace

TEST_F(DocumentFixture, ParameterCommandsRecordOneNamedStepAndUndoExactly)
{
    CZubrikDocument& doc = Make();
    doc.SetBars(1);
    doc.TogglePreviewPlay(); // tempo mode, so the effect toggles act
    const std::vector<CCommandCase> cases = {
        {NSStrings::kToggleExportAsOneSample, [](auto& d) { d.ToggleExportAsOneSample(); }},
        {NSStrings::kToggleSilenceSelected, [](auto& d) { d.ToggleSilenceSelected(); }},
        {NSStrings::kChangeTimeSignature, [](auto& d) { d.SetTimeSignature(6, 8); }},
        {NSStrings::kChangeBarCount, [](auto& d) { d.SetBars(3); }},
        {NSStrings::kChangePitch, [](auto& d) { d.SetPitch(-300); }},
        {NSStrings::kChangePreviewTempo, [](auto& d) { d.SetPreviewTempo(99000); }},
        {NSStrings::kMoveLeftLocator, [](auto& d) { d.SetLeftLocator(100); }},
        {NSStrings::kSetLoop, [](auto& d) { d.SetLoop(11025, 33075); }},
        {NSStrings::kToggleEnvelope, [](auto& d) { d.ToggleEnvelope(); }},
        {NSStrings::kSelectEnvelopePreset, [](auto& d) { d.SelectEnvelopePreset(243, 445, 0); }},
        {NSStrings::kChangeEnvelopeAttack, [](auto& d) { d.SetEnvelopeAttack(300); }},
        {NSStrings::kChangeProcessingGain, [](auto& d) { d.SetProcessingGain(1500); }},
        {NSStrings::kToggleTransientShaper, [](auto& d) { d.ToggleTransientShaper(); }},
        {NSStrings::kSelectTransientShaperPreset, [](auto& d) { d.SelectTransientShaperPreset(17, 69, 288, 518); }},
        {NSStrings::kChangeTransientShaperThreshold, [](auto& d) { d.SetTransientShaperThreshold(50); }},
        {NSStrings::kToggleEqualizer, [](auto& d) { d.ToggleEqualizer(); }},
        {NSStrings::kSelectEqualizerPreset,
         [](auto& d) { d.SelectEqualizerPreset({20, 100, 700, 3000, 4000, 800, -2000, 15000}); }},
        {NSStrings::kChangeEqualizerHighGain, [](auto& d) { d.SetEqualizerHighGain(4000); }},
    };
    for (const CCommandCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SDocumentParameters parameters = doc.GetParameters();
        const SEffectParameters effects = doc.GetEffectParameters();
        const int32_t position = doc.GetUndoHistory().GetPosition();
        c.command(doc);
        ASSERT_EQ(doc.GetUndoHistory().GetPosition(), position + 1);
        EXPECT_EQ(doc.GetUndoName(), Name(c.name));
        const SDocumentParameters changedParameters = doc.GetParameters();
        const SEffectParameters changedEffects = doc.GetEffectParameters();
        EXPECT_FALSE(changedParameters == parameters && changedEffects == effects);
        // The same value again changes nothing (a toggle merges instead).
        c.command(doc);
        EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position + 1);
        if (doc.GetParameters() == parameters && doc.GetEffectParameters() == effects)
            c.command(doc); // a toggle went back; bring the change back
        doc.Undo();
        EXPECT_TRUE(doc.GetParameters() == parameters);
        EXPECT_TRUE(doc.GetEffectParameters() == effects);
        doc.Redo();
        EXPECT_TRUE(doc.GetParameters() == changedParameters);
        EXPECT_TRUE(doc.GetEffectParameters() == changedEffects);
        // A fresh step for the next case, even for the same command.
        doc.Undo();
        doc.Redo();
    }
}

TEST_F(DocumentFixture, LocatorsKeepTheirOrder)
{
    CZubrikDocument& doc = Make();
    const int32_t frames = doc.GetWaveSample().GetFrameCount();
    const int32_t position = doc.GetUndoHistory().GetPosition();
    doc.SetRightLocator(frames + 1);
    doc.SetLeftLocator(frames);
    doc.SetLeftLocator(-1);
    doc.SetLoop(500, 500);
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position);

    doc.SetRightLocator(2000);
    doc.SetLeftLocator(1000);
    doc.SetRightLocator(1000);
    EXPECT_EQ(doc.GetRightLocator(), 2000);
    // Entirely to the right of the old loop, then back entirely to the left.
    doc.SetLoop(5000, 9000);
    EXPECT_EQ(doc.GetLeftLocator(), 5000);
    doc.Undo();
    EXPECT_EQ(doc.GetRightLocator(), 2000);
    doc.Redo();
    doc.SetLoop(10, 20);
    EXPECT_EQ(doc.GetLeftLocator(), 10);
    EXPECT_EQ(doc.GetRightLocator(), 20);
}

TEST_F(DocumentFixture, TheLoopLengthQuestionCommitsBarsAndTempoAsOneStep)
{
    CZubrikDocument& doc = Make();
    doc.SetPreviewTempo(100000);
    const int32_t position = doc.GetUndoHistory().GetPosition();
    fBars.answer = 2; // 8 beats in 2 s: 240 BPM
    doc.TogglePreviewPlay();
    EXPECT_EQ(doc.GetBars(), 2);
    EXPECT_EQ(doc.GetPreviewTempo(), 240000);
    EXPECT_TRUE(doc.IsPreviewOn());
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position + 2);
    doc.Undo();
    EXPECT_FALSE(doc.IsPreviewOn());
    EXPECT_EQ(doc.GetUndoName(), Name(NSStrings::kChangeBarCount));
    doc.Undo();
    EXPECT_EQ(doc.GetBars(), 0);
    EXPECT_EQ(doc.GetPreviewTempo(), 100000);
}

TEST_F(DocumentFixture, ACancelledLoopLengthQuestionStillTogglesPreview)
{
    CZubrikDocument& doc = Make();
    doc.TogglePreviewPlay();
    EXPECT_EQ(fBars.asked, 1);
    EXPECT_TRUE(doc.IsPreviewOn());
    EXPECT_EQ(doc.GetBars(), 0);
}

TEST_F(DocumentFixture, ListenersAreToldInListAndSlotOrder)
{
    CZubrikDocument& doc = Make();
    std::vector<std::string> calls;
    CRecordingListener first("a", calls);
    CRecordingListener second("b", calls);
    doc.AddListener(first);
    doc.AddListener(second);
    doc.OpenedInWindow(true);
    // The title is told only when it changes; it was composed at creation.
    const std::vector<std::string> all = {"a:parameters", "a:slices", "a:wave",   "a:view",
                                          "a:undo",       "a:playback", "b:parameters", "b:slices",
                                          "b:wave",       "b:view",     "b:undo",       "b:playback"};
    ASSERT_GE(calls.size(), all.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + long(all.size())), all);
    calls.clear();
    doc.SetLeftLocator(10); // parameters, slices, view, undo
    EXPECT_EQ(calls, (std::vector<std::string>{"a:parameters", "a:slices", "a:view", "a:undo", "b:parameters",
                                               "b:slices", "b:view", "b:undo"}));
    // View and edit changes: no undo step, no need to save.
    const int32_t position = doc.GetUndoHistory().GetPosition();
    const bool needsSaving = doc.NeedsSaving();
    calls.clear();
    doc.SetTool(SViewAndEditAttributes::kLockTool);
    doc.TogglePanel(SViewAndEditAttributes::kEqualizerPanel, false);
    doc.TogglePanel(SViewAndEditAttributes::kEqualizerPanel, true); // shown alone
    EXPECT_EQ(calls.size(), 6u);
    EXPECT_TRUE(doc.GetViewAndEditAttributes() ==
                (SViewAndEditAttributes{false, false, false, true, SViewAndEditAttributes::kLockTool}));
    EXPECT_EQ(doc.GetUndoHistory().GetPosition(), position);
    EXPECT_EQ(doc.NeedsSaving(), needsSaving);
    doc.RemoveListener(first);
    doc.RemoveListener(second);
}
