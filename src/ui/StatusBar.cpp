#include "ui/StatusBar.h"

#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QStatusTipEvent>

#include "app/FigureTexts.h"
#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "audiodata/SliceSequence.h"
#include "audiodata/WaveSample.h"
#include "document/ZubrikDocument.h"

namespace NSZubrik {

namespace {

constexpr int32_t kInitialFormatText = NSStrings::kStatusBarTexts + 5;
constexpr int32_t kSlice = NSStrings::kStatusBarTexts + 10;
constexpr int32_t kSlices = NSStrings::kStatusBarTexts + 11;
constexpr int32_t kInitialSliceText = NSStrings::kStatusBarTexts + 20;
constexpr int32_t kSensitivity = NSStrings::kSecondToolBarTexts + 26;

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QLabel* Field(QStatusBar& bar, const QString& widest, const char* name)
{
    auto* field = new QLabel(&bar);
    field->setObjectName(QString::fromLatin1(name));
    // A steady width, so that new figures do not lay the bar out again.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(widest) + 16);
    field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    field->setContentsMargins(8, 2, 8, 2);
    return field;
}

} // namespace

CStatusBar::CStatusBar(CZubrikDocument& document, QMainWindow& window)
    : QStatusBar(&window), fDocument(document), fWindow(window)
{
    setSizeGripEnabled(false);
    fStaticTextInfoView = new QLabel(this);
    fStaticTextInfoView->setObjectName(QStringLiteral("infoView"));
    fStaticTextInfoView->setContentsMargins(6, 2, 0, 2);
    // A long info text is cut rather than widening the window.
    fStaticTextInfoView->setMinimumWidth(1);
    addWidget(fStaticTextInfoView, 1);
    fStaticTextShownSlices =
        Field(*this, QStringLiteral("000 %1   \u00b7   %2 00").arg(Text(kSlices), Text(kSensitivity)), "shownSlices");
    // The widest figures: a rate with three decimals, and nearly the five
    // minutes a sound may last at 24 bits.
    fStaticTextStereoOrMono =
        Field(*this, QString::fromStdString(FormatSoundFormat(true, 11025, 24)), "stereoOrMono");
    fStaticTextSliceInfo = Field(
        *this, QString::fromStdString(FormatSliceInfo(999, int64_t(299) * 44100 * 2, 44100, 24)), "sliceInfo");
    fStaticTextStereoOrMono->setText(Text(kInitialFormatText));
    fStaticTextSliceInfo->setText(Text(kInitialSliceText));
    addPermanentWidget(fStaticTextShownSlices);
    addPermanentWidget(fStaticTextStereoOrMono);
    addPermanentWidget(fStaticTextSliceInfo);

    fStatisticsTimer.setSingleShot(true);
    fStatisticsTimer.setInterval(int(CZubrikDocument::kStatisticsDelay));
    connect(&fStatisticsTimer, &QTimer::timeout, this, &CStatusBar::RefreshStatistics);
    fWindow.installEventFilter(this);
    fDocument.AddListener(*this);
    Refresh();
    RefreshStatistics();
}

CStatusBar::~CStatusBar()
{
    fWindow.removeEventFilter(this);
    fDocument.RemoveListener(*this);
}

void CStatusBar::ShowInfo(const QString& text) { fStaticTextInfoView->setText(text); }

bool CStatusBar::eventFilter(QObject* receiver, QEvent* event)
{
    // The window would show a status tip as a passing message over the
    // fields; it goes into the info field instead.
    if (receiver == &fWindow && event->type() == QEvent::StatusTip) {
        ShowInfo(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QStatusBar::eventFilter(receiver, event);
}

void CStatusBar::Refresh()
{
    const CABCWaveSample& wave = fDocument.GetWaveSample();
    fStaticTextStereoOrMono->setText(
        QString::fromStdString(FormatSoundFormat(wave.IsStereo(), wave.GetSampleRate(), wave.GetBitDepth())));
    const int32_t shown = fDocument.CountShownSlices();
    fStaticTextShownSlices->setText(QStringLiteral("%1 %2   \u00b7   %3 %4")
                                        .arg(shown)
                                        .arg(Text(shown == 1 ? kSlice : kSlices))
                                        .arg(Text(kSensitivity))
                                        .arg(fDocument.GetSliceSequence().GetSensitivity()));
    if (!fStatisticsTimer.isActive())
        fStatisticsTimer.start();
}

void CStatusBar::RefreshStatistics()
{
    fStatisticsTimer.stop();
    const CZubrikDocument::SExportStatistics statistics = fDocument.GetExportStatistics();
    const CABCWaveSample& wave = fDocument.GetWaveSample();
    fStaticTextSliceInfo->setText(QString::fromStdString(FormatSliceInfo(
        statistics.fSliceCount, statistics.fSampleValues, wave.GetSampleRate(), wave.GetBitDepth())));
}

void CStatusBar::ParametersChanged(CZubrikDocument&) { Refresh(); }

void CStatusBar::SlicesChanged(CZubrikDocument&) { Refresh(); }

void CStatusBar::WaveSampleChanged(CZubrikDocument&) { Refresh(); }

void CStatusBar::ViewAndEditAttributesChanged(CZubrikDocument&) { Refresh(); }

void CStatusBar::UndoStateChanged(CZubrikDocument&) { Refresh(); }

void CStatusBar::TitleChanged(CZubrikDocument&) { Refresh(); }

void CStatusBar::PlaybackChanged(CZubrikDocument&) { Refresh(); }

} // namespace NSZubrik
