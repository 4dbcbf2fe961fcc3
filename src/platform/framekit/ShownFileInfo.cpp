#include "platform/framekit/ShownFileInfo.h"

#include <QFormLayout>
#include <QLabel>
#include <algorithm>

#include "app/FigureTexts.h"
#include "app/StringTables.h"

namespace NSFrameKit {

using NSZubrik::GetString;
using NSZubrik::kProgramStringList;
using namespace NSShownInfoRows;

namespace {

constexpr int32_t kUnknownText = kKind + 12;
constexpr int32_t kNoLoopText = kKind + 13;
constexpr int32_t kFramesText = kKind + 14;
constexpr int32_t kRangeText = kKind + 15;
constexpr int32_t kActiveText = kKind + 16;
constexpr int32_t kLoopLengthText = kKind + 17;
constexpr int32_t kRatioText = kKind + 18;

QString Text(int32_t entry, std::initializer_list<std::string_view> arguments = {})
{
    return QString::fromStdString(GetString(kProgramStringList, entry, arguments));
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

std::string Number(int64_t value) { return std::to_string(value); }

// "Stereo", "Mono", or the count of a sound with more channels.
QString ChannelsText(int32_t channels)
{
    if (channels == 1 || channels == 2)
        return Text(NSZubrik::NSStrings::kStatusBarTexts + (channels == 2 ? 0 : 1));
    return QString::number(channels);
}

// The loop file kinds' names, in the order of the open dialog's file types.
QString LoopKindName(const std::u16string& kind)
{
    using NSZubrik::NSStrings::kFileTypes;
    if (kind == NSZubrik::kOldDocumentKind)
        return Text(kFileTypes + 2);
    if (kind == NSZubrik::kOldLoopKind)
        return Text(kFileTypes + 4);
    return Text(kFileTypes);
}

} // namespace

CShownFileInfoForm::CShownFileInfoForm(const std::vector<int32_t>& nameEntries, QWidget* parent)
    : QWidget(parent), fNameEntries(nameEntries)
{
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->setLabelAlignment(Qt::AlignLeft);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    for (int32_t entry : fNameEntries) {
        auto* value = new QLabel(this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        fValues.push_back(value);
        form->addRow(Text(entry), value);
    }
}

QString CShownFileInfoForm::Value(int32_t nameEntry) const
{
    const auto row = std::find(fNameEntries.begin(), fNameEntries.end(), nameEntry);
    return row == fNameEntries.end() ? QString() : fValues[size_t(row - fNameEntries.begin())]->text();
}

void CShownFileInfoForm::SetValue(int32_t nameEntry, const QString& value)
{
    const auto row = std::find(fNameEntries.begin(), fNameEntries.end(), nameEntry);
    if (row != fNameEntries.end())
        fValues[size_t(row - fNameEntries.begin())]->setText(value);
}

void CShownFileInfoForm::ShowSound(int32_t channels, int32_t sampleRate, int32_t bitDepth, int64_t frameCount,
                                   bool hasLoop, int32_t loopStart, int32_t loopEnd)
{
    SetValue(kChannels, ChannelsText(channels));
    SetValue(kSampleRate, Text(NSZubrik::FormatSampleRate(sampleRate)));
    SetValue(kBitDepth, QString::number(bitDepth) + Text(NSZubrik::NSStrings::kStatusBarTexts + 4));
    const double seconds = sampleRate > 0 ? double(frameCount) / sampleRate : 0.0;
    SetValue(kLength, Text(kFramesText, {Number(frameCount), NSZubrik::FormatDuration(seconds)}));
    SetValue(kLoop, hasLoop ? Text(kRangeText, {Number(loopStart), Number(loopEnd)}) : Text(kNoLoopText));
}

CShownSoundFileInfo::CShownSoundFileInfo(QWidget* parent)
    : CShownFileInfoForm({kKind, kChannels, kSampleRate, kBitDepth, kLength, kLoop}, parent)
{
}

void CShownSoundFileInfo::Show(const NSZubrik::SoundFileInfo& info, const std::string& format)
{
    SetValue(kKind, Text(format));
    const bool hasLoop = info.loopKind == NSZubrik::SoundFileInfo::kUsedLoop && info.loopStart < info.loopEnd;
    ShowSound(info.channels, int32_t(info.sampleRate), info.bitsPerSample, info.frameCount, hasLoop, info.loopStart,
              info.loopEnd);
}

CShownZubrikFileInfo::CShownZubrikFileInfo(QWidget* parent)
    : CShownFileInfoForm({kKind, kChannels, kSampleRate, kBitDepth, kLength, kLoop, kSlices, kLoopLength, kTempo,
                          kExportSize, kCompression, kLoopUsage},
                         parent)
{
}

void CShownZubrikFileInfo::Show(const NSZubrik::CZubrikFileInfo& info, const std::u16string& kind)
{
    SetValue(kKind, LoopKindName(kind));
    ShowSound(info.fChannels, info.fSampleRate, info.fBitDepth, info.fFrameCount,
              info.fLoopStart < info.fLoopEnd, info.fLoopStart, info.fLoopEnd);
    SetValue(kSlices, Text(kActiveText, {Number(info.fSliceCount), Number(info.fActiveSliceCount)}));
    SetValue(kLoopLength, Text(kLoopLengthText, {Number(info.fBars), Number(info.fBeats),
                                                 Number(info.fSignatureNumerator),
                                                 Number(info.fSignatureDenominator)}));
    SetValue(kTempo, QStringLiteral("%1 %2").arg(info.fPreviewTempo / 1000.0, 0, 'f', 3)
                         .arg(Text(NSZubrik::NSStrings::kSecondToolBarTexts + 25)));
    SetValue(kExportSize, Text(NSZubrik::FormatByteSize(std::max(info.fExportSize, 0))));
    SetValue(kCompression, Text(kRatioText, {QString::number(info.fCompressionRatio, 'f', 2).toStdString()}));
    SetValue(kLoopUsage, QStringLiteral("%1 %").arg(info.fLoopUsage));
}

CShownFileInfoPane::CShownFileInfoPane(QWidget* parent) : QStackedWidget(parent)
{
    fNothing = new QWidget(this);
    fSound = new CShownSoundFileInfo(this);
    fZubrik = new CShownZubrikFileInfo(this);
    fUnknown = new QLabel(Text(kUnknownText), this);
    fUnknown->setWordWrap(true);
    fUnknown->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QWidget* page : {fNothing, static_cast<QWidget*>(fSound), static_cast<QWidget*>(fZubrik),
                          static_cast<QWidget*>(fUnknown)})
        addWidget(page);
}

void CShownFileInfoPane::Show(const NSZubrik::SShownFileInfo& shown)
{
    using EKind = NSZubrik::SShownFileInfo::EKind;
    switch (shown.fKind) {
    case EKind::kSoundFile:
        fSound->Show(shown.fSound, shown.fSoundFormat);
        setCurrentWidget(fSound);
        break;
    case EKind::kLoopFile:
        fZubrik->Show(shown.fLoop, shown.fLoopKind);
        setCurrentWidget(fZubrik);
        break;
    case EKind::kUnknown: setCurrentWidget(fUnknown); break;
    case EKind::kNothing: setCurrentWidget(fNothing); break;
    }
}

} // namespace NSFrameKit
