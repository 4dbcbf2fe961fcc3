// Copy Loop and Paste as New Document through the desktop clipboard: the
// three forms under their MIME types, read back with the sound library and
// a MIDI parser, the loop-length question first, and the pasted WAVE form
// opened as a new analysed document.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <cstdio>
#include <fstream>
#include <sndfile.h>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/ZubrikDocument.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/ZubrikCommands.h"
#include "ui/ZubrikMenus.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;
using namespace NSZubrik::NSCommands;

namespace {

std::filesystem::path WriteBytes(const std::filesystem::path& file, const QByteArray& bytes)
{
    std::ofstream(file, std::ios::binary).write(bytes.constData(), bytes.size());
    return file;
}

// The note-ons of a MIDI file as the mido parser counts them.
int CountMidiNotes(const std::filesystem::path& file)
{
    const std::string command = "/usr/bin/python3 -c \"import mido,sys; m=mido.MidiFile(sys.argv[1]); "
                                "print(m.ticks_per_beat, sum(1 for t in m.tracks for e in t "
                                "if e.type=='note_on' and e.velocity>0))\" " + file.string();
    FILE* pipe = popen(command.c_str(), "r");
    int division = 0, notes = -1;
    if (pipe == nullptr || fscanf(pipe, "%d %d", &division, &notes) != 2)
        notes = -1;
    if (pipe != nullptr)
        pclose(pipe);
    EXPECT_EQ(division, 960);
    return notes;
}

// Every frame of a WAVE file on the 16-bit scale; the channel count and the
// rate go to the out-parameters.
std::vector<short> ReadWave(const std::filesystem::path& file, SF_INFO& info)
{
    info = {};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    EXPECT_NE(sound, nullptr) << sf_strerror(nullptr);
    if (sound == nullptr)
        return {};
    // The sound is offered as a sampler loop over all of it.
    SF_INSTRUMENT instrument{};
    EXPECT_EQ(sf_command(sound, SFC_GET_INSTRUMENT, &instrument, sizeof instrument), SF_TRUE);
    EXPECT_EQ(instrument.loop_count, 1);
    EXPECT_EQ(instrument.loops[0].start, 0u);
    EXPECT_EQ(int64_t(instrument.loops[0].end), int64_t(info.frames));
    EXPECT_EQ(instrument.basenote, 60);
    std::vector<short> frames(size_t(info.frames * info.channels));
    sf_readf_short(sound, frames.data(), info.frames);
    sf_close(sound);
    return frames;
}

void ExpectSameSound(const std::vector<short>& frames, const CABCWaveSample& wave, int32_t start)
{
    const int32_t channels = wave.IsStereo() ? 2 : 1;
    ASSERT_LE(start + int32_t(frames.size()) / channels, wave.GetFrameCount());
    int32_t differences = 0;
    for (size_t i = 0; i < frames.size(); ++i)
        differences += frames[i] != wave.GetInt16(start + int32_t(i) / channels, int32_t(i) % channels + 1);
    EXPECT_EQ(differences, 0);
}

} // namespace

TEST_F(CUiTest, CopyLoopOffersThreeFormsAndPasteMakesAnAnalysedDocument)
{
    CZubrikWindow& window = Open(DemoLoopFile());
    CZubrikDocument& document = window.GetDocument();
    document.SetLoop(1000, 50000);
    const int32_t left = document.GetLeftLocator();
    const int32_t frames = document.GetRightLocator() - left;
    ASSERT_GT(frames, 0);
    const int32_t exported =
        CExporter(document.GetName(), document.GetSequencer(), !document.IsExportAsOneSample(), false)
            .GetExportedSliceCount();
    ASSERT_GT(exported, 0);
    window.GetMenus().Find(kCopy)->trigger();

    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    for (const char* type : {"audio/midi", "audio/wav", "audio/x-wav", "application/x-zubrik-loop"})
        EXPECT_TRUE(data->hasFormat(type)) << type;
    const auto reopened =
        CZubrikDocument::OpenFile(WriteBytes(fFolder / "clip.zx2", data->data("application/x-zubrik-loop")));
    EXPECT_EQ(reopened->GetSliceSequence().GetCount(), document.GetSliceSequence().GetCount());
    EXPECT_EQ(reopened->GetBars(), document.GetBars());
    EXPECT_EQ(CountMidiNotes(WriteBytes(fFolder / "clip.mid", data->data("audio/midi"))), std::min(exported, 92));
    SF_INFO info;
    const std::vector<short> copied = ReadWave(WriteBytes(fFolder / "clip.wav", data->data("audio/wav")), info);
    EXPECT_EQ(info.frames, frames);
    EXPECT_EQ(info.channels, document.GetWaveSample().IsStereo() ? 2 : 1);
    EXPECT_EQ(info.samplerate, document.GetWaveSample().GetSampleRate());
    ExpectSameSound(copied, document.GetWaveSample(), left);

    // The copied loop's own slice edits do not travel: the new document is
    // analysed afresh.
    document.SelectAll();
    document.MuteSlices(0);
    // The slice context menu's Copy Loop offers the same forms.
    QApplication::clipboard()->clear();
    ChooseFromNextMenu(QStringLiteral("Copy Loop"));
    emit window.GetView().SliceContextMenuRequested(1, window.mapToGlobal(QPoint(100, 100)));
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat("audio/wav"));
    window.GetMenus().Find(kPaste)->trigger();
    Settle();
    CZubrikWindow& pasted = Front();
    ASSERT_NE(&pasted, &window);
    const CZubrikDocument& fresh = pasted.GetDocument();
    EXPECT_EQ(fresh.GetName(), u"Untitled");
    EXPECT_EQ(fresh.GetWaveSample().GetFrameCount(), frames);
    ExpectSameSound(copied, fresh.GetWaveSample(), 0);
    const CSliceSequence& slices = fresh.GetSliceSequence();
    EXPECT_GT(slices.GetCount(), 1);
    for (int32_t i = 0; i < slices.GetCount(); ++i)
        EXPECT_FALSE(slices.GetSlice(i).IsMuted());
}

TEST_F(CUiTest, CopyLoopWithoutLoopLengthAsksAndCancelCopiesNothing)
{
    CZubrikWindow& window = Open(DemoLoop());
    ASSERT_EQ(window.GetDocument().GetBars(), 0);
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    AnswerNextDialog(QStringLiteral("Cancel"));
    window.GetMenus().Find(kCopy)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
    EXPECT_FALSE(QApplication::clipboard()->mimeData()->hasFormat("audio/wav"));
    EXPECT_EQ(window.GetDocument().GetBars(), 0);
}

TEST_F(CUiTest, PasteTakesAnotherProgramsWaveAndRefusesGarbage)
{
    CZubrikWindow& window = Open(DemoLoop());
    std::ifstream in(DemoLoop(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    auto* data = new QMimeData;
    data->setData("audio/x-wav", QByteArray(bytes.data(), qsizetype(bytes.size())));
    QApplication::clipboard()->setMimeData(data);
    window.GetMenus().Find(kPaste)->trigger();
    Settle();
    ASSERT_NE(&Front(), &window);
    EXPECT_EQ(Front().GetDocument().GetWaveSample().GetFrameCount(), window.GetDocument().GetWaveSample().GetFrameCount());

    CZubrikWindow& second = Front();
    auto* garbage = new QMimeData;
    garbage->setData("audio/wav", QByteArray("RIFF\x10\0\0\0WAVEjunkjunk", 20));
    QApplication::clipboard()->setMimeData(garbage);
    QString shown;
    AnswerNextDialog(QStringLiteral("OK"), &shown);
    second.GetMenus().Find(kPaste)->trigger();
    Settle();
    EXPECT_EQ(&Front(), &second);
    EXPECT_FALSE(shown.isEmpty());
}

} // namespace NSZubrikUiTest
