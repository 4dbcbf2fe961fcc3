#include "ui/PreferencesDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ResourceIds.h"
#include "app/StringTables.h"
#include "app/Zubrik.h"
#include "engine/AudioCardManager.h"
#include "platform/framekit/FrameKit.h"
#include "platform/framekit/FrameKitDialogs.h"
#include "ui/ZubrikCommands.h"

namespace NSZubrik {

namespace {

QString Text(int32_t entry) { return QString::fromStdString(GetString(kProgramStringList, entry)); }

QString Text(int32_t entry, const std::string& argument)
{
    return QString::fromStdString(GetString(kProgramStringList, entry, {argument}));
}

// Entries of the preferences texts.
enum EText : int32_t {
    kTitle = NSStrings::kPreferencesTexts,
    kGeneral,
    kLook,
    kPlain,
    k3D,
    kShaded,
    kUnits,
    kTime,
    kSamples,
    kSetWaveformColor,
    kContrast,
    kViewStereoAsSum,
    kSetBarsToOne,
    kAlwaysMoveLeftLocator,
    kCropToLoop,
    kLargeToolbarIcons,
    kAudio = NSStrings::kAudioPreferencesTexts,
    kOutputDevice,
    kBufferSize,
    kHertz,
    kFrames,
    kNoSoundCard,
};

struct SFlag {
    bool SPreferenceValues::*fField;
    int32_t fText;  // 0: the menu item of Scroll During Playback
};

// The flags with a control, in their stored order.
constexpr std::array<SFlag, CPreferencesDialog::kFlagCount> kFlags = {{
    {&SPreferenceValues::fViewStereoAsSum, kViewStereoAsSum},
    {&SPreferenceValues::fScrollDuringPlayback, 0},
    {&SPreferenceValues::fAutoPlay, NSStrings::kAutoPlay},
    {&SPreferenceValues::fSetBarsToOne, kSetBarsToOne},
    {&SPreferenceValues::fAlwaysMoveLeftLocator, kAlwaysMoveLeftLocator},
    {&SPreferenceValues::fNoRingOut, kCropToLoop},
    {&SPreferenceValues::fLargeToolbarIcons, kLargeToolbarIcons},
}};

QString FlagText(const SFlag& flag)
{
    if (flag.fText != 0)
        return Text(flag.fText);
    // The View menu's item, without its separator and shortcut letter.
    return NSFrameKit::ParseItemText(GetString(kProgramStringList, NSCommands::kScrollDuringPlayback)).fText;
}

QComboBox* Choice(std::initializer_list<int32_t> entries, int32_t current)
{
    auto* box = new QComboBox;
    for (int32_t entry : entries)
        box->addItem(Text(entry));
    box->setCurrentIndex(current);
    return box;
}

QColor ColourOf(const TColor& colour) { return QColor(colour[0], colour[1], colour[2]); }

} // namespace

CPreferencesDialog::CPreferencesDialog(const SPreferenceValues& values, CAudioCardManager* audio, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("preferencesDialog"));
    setWindowTitle(Text(kTitle));
    fPages = new QTabWidget;
    fPages->addTab(MakeGeneralPage(values), Text(kGeneral));
    fPages->addTab(MakeAudioPage(audio), Text(kAudio));
    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(Text(NSStrings::kOK), QDialogButtonBox::AcceptRole);
    buttons->addButton(Text(NSStrings::kCancel), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fPages);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* CPreferencesDialog::MakeGeneralPage(const SPreferenceValues& values)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (size_t i = 0; i < kFlags.size(); ++i) {
        fFlags[i] = new QCheckBox(FlagText(kFlags[i]));
        fFlags[i]->setChecked(values.*kFlags[i].fField);
        layout->addWidget(fFlags[i]);
    }
    layout->addSpacing(10);
    // Added after the flags, so that Tab reaches them after the flags too.
    layout->addLayout(MakeDisplayForm(values));
    layout->addStretch(1);
    return page;
}

QFormLayout* CPreferencesDialog::MakeDisplayForm(const SPreferenceValues& values)
{
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    fLook = Choice({kPlain, k3D, kShaded}, values.fDisplayStyle);
    fUnits = Choice({kTime, kSamples}, values.fPositionUnit);
    // Both boxes as wide as the wider, so that they line up.
    const int width = std::max(fLook->sizeHint().width(), fUnits->sizeHint().width());
    fLook->setMinimumWidth(width);
    fUnits->setMinimumWidth(width);
    form->addRow(Text(kLook), fLook);
    form->addRow(Text(kUnits), fUnits);

    fSwatch = new QLabel;
    fSwatch->setFixedSize(40, 20);
    auto* colourButton = new QPushButton(Text(kSetWaveformColor));
    // Enter stays with OK.
    colourButton->setAutoDefault(false);
    connect(colourButton, &QPushButton::clicked, this, &CPreferencesDialog::ChooseWaveformColor);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(fSwatch);
    colourRow->addWidget(colourButton);
    colourRow->addStretch(1);
    form->addRow(QString(), colourRow);
    SetWaveformColor(ColourOf(values.fWaveformColor));

    fContrast = new QSlider(Qt::Horizontal);
    fContrast->setRange(0, 100);
    fContrast->setPageStep(10);
    fContrast->setValue(values.fContrast);
    fContrast->setMinimumWidth(180);
    auto* contrastValue = new QLabel;
    contrastValue->setMinimumWidth(contrastValue->fontMetrics().horizontalAdvance(QStringLiteral("000")));
    contrastValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    contrastValue->setNum(values.fContrast);
    connect(fContrast, &QSlider::valueChanged, contrastValue, qOverload<int>(&QLabel::setNum));
    auto* contrastRow = new QHBoxLayout;
    contrastRow->addWidget(fContrast);
    contrastRow->addWidget(contrastValue);
    form->addRow(Text(kContrast), contrastRow);
    return form;
}

QWidget* CPreferencesDialog::MakeAudioPage(CAudioCardManager* audio)
{
    fAudio = audio;
    auto* page = new QWidget;
    auto* form = new QFormLayout;
    fDevices = new QComboBox;
    fDevices->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fRates = new QComboBox;
    fBuffers = new QComboBox;
    for (int32_t frames : NSSoundPortKit::kBufferFrameChoices)
        fBuffers->addItem(Text(kFrames, std::to_string(frames)), frames);
    form->addRow(Text(kOutputDevice), fDevices);
    form->addRow(Text(NSStrings::kSampleFormatTexts), fRates);
    form->addRow(Text(kBufferSize), fBuffers);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    if (audio == nullptr) {
        for (QComboBox* box : {fDevices, fRates, fBuffers})
            box->setEnabled(false);
        layout->addWidget(new QLabel(Text(kNoSoundCard)));
    } else {
        const std::shared_ptr<NSSoundPortKit::IAudioDriver> selected = audio->GetSelectedDriver();
        for (const std::shared_ptr<NSSoundPortKit::IAudioDriver>& driver : audio->GetDrivers())
            fDevices->addItem(QString::fromStdString(driver->GetName()));
        // Without an open device none is shown, so that OK opens one only
        // when the user picks it.
        fDevices->setCurrentIndex(selected ? fDevices->findText(QString::fromStdString(selected->GetName())) : -1);
        const bool running = audio->IsRunning();
        const int32_t frames =
            running ? audio->GetClient().GetCurrentSettings().fBufferFrames : NSSoundPortKit::kPreferredBufferFrames;
        fBuffers->setCurrentIndex(std::max(fBuffers->findData(frames), 0));
        ShowRatesOfDevice(running ? audio->GetOutputSampleRate() : 0);
        connect(fDevices, &QComboBox::currentIndexChanged, this, [this] { ShowRatesOfDevice(GetChosenSampleRate()); });
        if (!running)
            layout->addWidget(new QLabel(Text(kNoSoundCard)));
    }
    layout->addStretch(1);
    return page;
}

void CPreferencesDialog::ShowRatesOfDevice(int32_t keep)
{
    fRates->clear();
    const std::shared_ptr<NSSoundPortKit::IAudioDriver> driver =
        fDevices->currentIndex() >= 0 ? fAudio->FindDriver(fDevices->currentText().toStdString()) : nullptr;
    std::vector<int32_t> rates;
    if (driver)
        rates = fAudio->GetSupportedSampleRates(driver);
    // The open device's own rate stays choosable where it is not a common one.
    const auto selected = fAudio->GetSelectedDriver();
    const int32_t current = fAudio->GetOutputSampleRate();
    if (driver && selected && selected->GetName() == driver->GetName() && fAudio->IsRunning() &&
        std::find(rates.begin(), rates.end(), current) == rates.end())
        rates.insert(std::upper_bound(rates.begin(), rates.end(), current), current);
    for (int32_t rate : rates)
        fRates->addItem(Text(kHertz, std::to_string(rate)), rate);
    fRates->setCurrentIndex(std::max(fRates->findData(keep), 0));
    fRates->setEnabled(fRates->count() > 0);
}

void CPreferencesDialog::ChooseWaveformColor()
{
    QString title = Text(kSetWaveformColor);
    title.remove(QStringLiteral("..."));
    const QColor chosen = QColorDialog::getColor(fColour, this, title);
    if (chosen.isValid())
        SetWaveformColor(chosen);
}

void CPreferencesDialog::SetWaveformColor(const QColor& colour)
{
    fColour = colour;
    fSwatch->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid palette(mid); border-radius: 3px;")
                               .arg(colour.name()));
}

void CPreferencesDialog::TakeValues(SPreferenceValues& values) const
{
    for (size_t i = 0; i < kFlags.size(); ++i)
        values.*kFlags[i].fField = fFlags[i]->isChecked();
    values.fDisplayStyle = fLook->currentIndex();
    values.fPositionUnit = fUnits->currentIndex();
    values.fWaveformColor = {uint8_t(fColour.red()), uint8_t(fColour.green()), uint8_t(fColour.blue())};
    values.fContrast = fContrast->value();
}

int32_t CPreferencesDialog::GetChosenSampleRate() const
{
    return fRates->isEnabled() && fRates->currentIndex() >= 0 ? fRates->currentData().toInt() : 0;
}

int32_t CPreferencesDialog::GetChosenBufferFrames() const
{
    return fBuffers->isEnabled() ? fBuffers->currentData().toInt() : 0;
}

std::string CPreferencesDialog::GetChosenDevice() const
{
    return fDevices->isEnabled() && fDevices->currentIndex() >= 0 ? fDevices->currentText().toStdString()
                                                                  : std::string();
}

void ShowPreferencesDialog(QWidget* parent, CZubrikPreferences& preferences, CZubrik& zubrik)
{
    CAudioCardManager* audio = zubrik.GetAudioOutput();
    CPreferencesDialog dialog(preferences.GetValues(), audio, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    SPreferenceValues values = preferences.GetValues();
    dialog.TakeValues(values);
    preferences.SetValues(values);
    const std::string device = dialog.GetChosenDevice();
    if (device.empty())
        return;
    // The device is opened again only when something about it changed.
    const auto selected = audio->GetSelectedDriver();
    const int32_t rate = dialog.GetChosenSampleRate();
    const int32_t frames = dialog.GetChosenBufferFrames();
    const bool same = selected && selected->GetName() == device && audio->IsRunning() &&
                      (rate == 0 || rate == audio->GetOutputSampleRate()) &&
                      frames == audio->GetClient().GetCurrentSettings().fBufferFrames;
    if (!same)
        NSFrameKit::CFrameKit::ReportResult(zubrik.SelectAudioDevice(device, rate, frames));
}

} // namespace NSZubrik
