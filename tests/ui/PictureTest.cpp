// Pictures of the window (in the program and through `zubrik --screenshot`)
// and the progress window of lengthy operations.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <set>

#include "UiTestSupport.h"
#include "audiodata/SliceSequence.h"
#include "document/ZubrikDocument.h"
#include "platform/framekit/FrameKitDialogs.h"
#include "ui/Screenshot.h"
#include "ui/WaveformDisplayGroupView.h"

namespace NSZubrikUiTest {

using namespace NSZubrik;

namespace {

QImage Picture(CZubrikWindow& window, const QString& file)
{
    EXPECT_TRUE(WriteScreenshot(window, QSize(1000, 500), file));
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

// The shown slices' positions in window pixels of the large waveform,
// leaving out the unknown offset of its left edge.
std::vector<int> SliceColumns(CZubrikWindow& window, const std::set<int32_t>& frames)
{
    CWaveformDisplayGroupView& view = window.GetView();
    const int left = view.mapTo(&window, QPoint(0, 0)).x();
    std::vector<int> columns;
    for (int32_t frame : frames)
        columns.push_back(left + (frame - view.GetVisibleStart()) / view.GetFramesPerPixel());
    return columns;
}

std::set<int32_t> ShownFrames(const CZubrikDocument& document)
{
    const CSliceSequence& slices = document.GetSliceSequence();
    std::set<int32_t> frames;
    for (int32_t i = 0; i < slices.GetCount(); ++i)
        if (slices.IsShown(slices.GetSlice(i)))
            frames.insert(slices.GetSlice(i).GetPosition());
    return frames;
}

} // namespace

TEST_F(CUiTest, ScreenshotShowsTheSliceHandlesWhereTheDocumentHasThem)
{
    CZubrikWindow& window = Open(DemoLoopFile());
    const std::set<int32_t> all = ShownFrames(window.GetDocument());
    const QImage with = Picture(window, QString::fromStdString((fFolder / "with.png").string()));
    window.HandleKey(Qt::Key_0, Qt::NoModifier);
    std::set<int32_t> gone;
    for (int32_t frame : all)
        if (!ShownFrames(window.GetDocument()).contains(frame))
            gone.insert(frame);
    ASSERT_GE(gone.size(), 3u);
    const QImage without = Picture(window, QString::fromStdString((fFolder / "without.png").string()));
    ASSERT_EQ(with.size(), without.size());

    // Not blank: the picture has many colours.
    std::set<QRgb> colours;
    for (int y = 0; y < with.height(); y += 3)
        for (int x = 0; x < with.width(); x += 3)
            colours.insert(with.pixel(x, y));
    EXPECT_GT(colours.size(), 20u);

    // Columns that changed inside the view, once the slices went away.
    const QRect view(window.GetView().mapTo(&window, QPoint(0, 0)) * with.devicePixelRatio(),
                     window.GetView().size() * with.devicePixelRatio());
    std::vector<bool> changed(size_t(with.width()), false);
    for (int x = view.left(); x <= view.right(); ++x)
        for (int y = view.top(); y <= view.bottom() && !changed[size_t(x)]; ++y)
            changed[size_t(x)] = with.pixel(x, y) != without.pixel(x, y);
    // Every slice that went must have changed a column near its place, for
    // one common offset of the waveform inside the group.
    const std::vector<int> columns = SliceColumns(window, gone);
    const double ratio = with.devicePixelRatio();
    bool found = false;
    for (int offset = 0; offset <= 120 && !found; ++offset) {
        found = true;
        for (int column : columns) {
            bool near = false;
            for (int dx = -3; dx <= 3 && !near; ++dx) {
                const int x = int((column + offset + dx) * ratio);
                near = x >= 0 && x < with.width() && changed[size_t(x)];
            }
            found = found && near;
        }
    }
    EXPECT_TRUE(found);
    // Columns far from any slice stayed as they were.
    int unchanged = 0;
    for (int x = view.left(); x <= view.right(); ++x)
        unchanged += changed[size_t(x)] ? 0 : 1;
    EXPECT_GT(unchanged, view.width() / 2);
}

TEST_F(CUiTest, ScreenshotCommandWritesThePictureAtTheAskedSizeAndScale)
{
    const QString out = QString::fromStdString((fFolder / "window.png").string());
    QProcess zubrik;
    zubrik.start(QStringLiteral(ZUBRIK_PROGRAM_PATH),
                 {"--screenshot", out, "--size", "1100x640", "--scale", "2", QString::fromStdString(DemoLoopFile().string())});
    ASSERT_TRUE(zubrik.waitForFinished(30000));
    EXPECT_EQ(zubrik.exitCode(), 0) << zubrik.readAllStandardError().toStdString();
    const QImage picture(out);
    EXPECT_EQ(picture.size(), QSize(2200, 1280));
}

namespace {

class CSteppingClock : public IMillisecondClock {
public:
    uint32_t Milliseconds() override { return fNow; }
    uint32_t fNow = 0;
};

} // namespace

TEST_F(CUiTest, ProgressWindowAppearsAfterASecondAndStopsWhenAllowed)
{
    NSFrameKit::CProgressHost host;
    CSteppingClock clock;
    const CLengthyOperationServices services{&host, &clock};
    for (bool stopAllowed : {true, false}) {
        clock.fNow = 0;
        CZubrikLengthyOperation operation(u"Finding slices (frames left):", u"Cancel", stopAllowed, services);
        clock.fNow = 900;
        operation.SetCount(5000);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        clock.fNow = 1200;
        operation.SetCount(4000);
        operation.SetPercent(60);
        auto* window = qobject_cast<NSFrameKit::CProgressWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        QStringList texts;
        for (QLabel* label : window->findChildren<QLabel*>())
            texts << label->text();
        EXPECT_TRUE(texts.contains("Finding slices (frames left):"));
        EXPECT_TRUE(texts.contains(QLocale().toString(4000)));
        EXPECT_EQ(window->findChild<QProgressBar*>()->value(), 600);
        window->findChild<QPushButton*>()->click();
        EXPECT_EQ(operation.StopRequested(), stopAllowed);
        operation.Finish();
        Settle();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(operation.IsWindowOpen());
    }
}

} // namespace NSZubrikUiTest
