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
