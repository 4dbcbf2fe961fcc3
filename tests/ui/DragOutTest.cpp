// Dragging slices and the loop out of the window: the Ctrl gesture in the
// slice-handle strip, and the files it offers read back with the sound
// library and a MIDI parser.
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <sndfile.h>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/Exporter.h"
#include "document/ZubrikDocument.h"
#include "ui/DragOut.h"
#include "ui/WaveformDisplayGroupView.h"
#include "ui/views/SliceHandleView.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

namespace {

// The point of the strip on the handle of a shown slice after the first.
QPoint HandleOfSomeSlice(const CSliceHandleView& strip, int32_t& index)
{
    const int32_t y = strip.height() - 2;
    for (int32_t x = 0; x < strip.width(); ++x) {
        index = strip.HitTest(QPoint(x, y));
        if (index > 0)
            return {x, y};
    }
    index = -1;
    return {};
}

std::vector<std::filesystem::path> Files(const QMimeData* data)
{
    std::vector<std::filesystem::path> files;
    if (data != nullptr)
        for (const QUrl& url : data->urls())
            files.emplace_back(url.toLocalFile().toStdString());
    return files;
}

} // namespace

TEST_F(CUiTest, CtrlDragOnASliceHandleLeavesTheSelectionAndSlicesAlone)
{
    CZubrikWindow& window = Open(DemoLoopFile());
    CWaveformDisplayGroupView& group = window.GetView();
    CSliceHandleView& strip = group.GetSliceHandleView();
    QObject::disconnect(&group, &CWaveformDisplayGroupView::DragOutRequested, &window, nullptr);
    QSignalSpy spy(&group, &CWaveformDisplayGroupView::DragOutRequested);
    int32_t index = -1;
    const QPoint at = HandleOfSomeSlice(strip, index);
    ASSERT_GT(index, 0);
    const int32_t position = window.GetDocument().GetSliceSequence().GetSlice(index).GetPosition();
    const int32_t selected = window.GetDocument().CountShownSelectedSlices();

    QTest::mousePress(&strip, Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier, at);
    QTest::mouseMove(&strip, at + QPoint(0, -30));
    QTest::mouseRelease(&strip, Qt::LeftButton, Qt::ControlModifier, at + QPoint(0, -30));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), index);
    EXPECT_TRUE(spy.at(0).at(1).toBool());
    EXPECT_EQ(window.GetDocument().GetSliceSequence().GetSlice(index).GetPosition(), position);
    EXPECT_EQ(window.GetDocument().CountShownSelectedSlices(), selected);
}

TEST_F(CUiTest, DragOutOffersSlicesAndLoopAsWaveAndMidiFiles)
{
    CZubrikWindow& window = Open(DemoLoopFile());
    CZubrikDocument& document = window.GetDocument();
    int32_t index = -1;
    HandleOfSomeSlice(window.GetView().GetSliceHandleView(), index);
    ASSERT_GT(index, 0);
    const int32_t position = document.GetSliceSequence().GetSlice(index).GetPosition();
    document.SelectSlice(0, false);

    // An unselected slice goes alone, with its own frames.
    const std::unique_ptr<QMimeData> one(MakeDragOutData(document, index, false, false));
    const std::vector<std::filesystem::path> files = Files(one.get());
    ASSERT_EQ(files.size(), 1u);
    const CExporter exporter(document.GetName(), document.GetSequencer(), true, false);
    int32_t piece = 0;
    while (piece < exporter.GetExportedSliceCount() && exporter.GetExportedSegment(piece).fStart != position)
        ++piece;
    ASSERT_LT(piece, exporter.GetExportedSliceCount());
    SF_INFO info{};
    SNDFILE* sound = sf_open(files[0].c_str(), SFM_READ, &info);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(info.frames, exporter.GetSlicePosition(piece).fLength);
    std::vector<short> frames(size_t(info.frames * info.channels));
    EXPECT_EQ(sf_readf_short(sound, frames.data(), info.frames), info.frames);
    sf_close(sound);
    // Rendered like an export of the slice: its sound, not silence.
    EXPECT_GT(*std::max_element(frames.begin(), frames.end()), 1000);

    // A selected slice takes the whole selection along; Alt gives the MIDI file.
    document.SelectSlice(position, true);
    const std::unique_ptr<QMimeData> selection(MakeDragOutData(document, 0, false, false));
    EXPECT_EQ(Files(selection.get()).size(), 2u);
    const std::unique_ptr<QMimeData> loop(MakeDragOutData(document, -1, false, false));
    ASSERT_EQ(Files(loop.get()).size(), 1u);
    EXPECT_EQ(Files(loop.get())[0].extension(), ".wav");
    const std::unique_ptr<QMimeData> midi(MakeDragOutData(document, -1, true, false));
    ASSERT_EQ(Files(midi.get()).size(), 1u);
    const std::string command = "/usr/bin/python3 -c \"import mido,sys; m=mido.MidiFile(sys.argv[1]); "
                                "print(sum(1 for t in m.tracks for e in t if e.type=='note_on' and e.velocity>0))\" '" +
                                Files(midi.get())[0].string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    int notes = -1;
    ASSERT_NE(pipe, nullptr);
    EXPECT_EQ(fscanf(pipe, "%d", &notes), 1);
    pclose(pipe);
    EXPECT_EQ(notes, std::min(exporter.GetExportedSliceCount(), 92));
}

} // namespace NSZubrikUiTest
