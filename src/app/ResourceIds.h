// Entry numbers of the program's alerts and string lists (the texts are in
// resources/Zubrik.strings). Alerts live in table kAlertTable (Alert.h).
#pragma once

#include <cstdint>

namespace NSZubrik {

// String lists: the program's own, and the one with the menu items, buttons
// and questions shared by all windows.
inline constexpr int32_t kProgramStringList = 128;
inline constexpr int32_t kSharedStringList = 129;

namespace NSAlerts {
// Generic failures.
inline constexpr int32_t kOutOfMemory = 0;
inline constexpr int32_t kNoMemoryForWindow = 1;
inline constexpr int32_t kDiskFull = 3;
inline constexpr int32_t kBadFormat = 6;
inline constexpr int32_t kUnsupportedFormat = 7;
inline constexpr int32_t kReadProblem = 8;
inline constexpr int32_t kWriteProblem = 9;
inline constexpr int32_t kMediaProblem = 10;
inline constexpr int32_t kUnknownProblem = 11;
inline constexpr int32_t kFileLocked = 13;
inline constexpr int32_t kUnresolvedAlias = 14;
inline constexpr int32_t kFileSystemObjectNotFound = 20;
inline constexpr int32_t kHelpError = 22;
inline constexpr int32_t kInternalError = 2300;
inline constexpr int32_t kOutOfMemoryTryAgain = 2302;
inline constexpr int32_t kOutOfMemoryForOperation = 2303;
inline constexpr int32_t kUndoRedoFailed = 2306;

// Sound card (^0 the card's name).
inline constexpr int32_t kNoSoundAvailable = 1000;
inline constexpr int32_t kSoundCardNotOpened = 1110;
inline constexpr int32_t kSoundCardNotFound = 1113;

// Preferences file.
inline constexpr int32_t kPreferencesCorrupt = 1101;
inline constexpr int32_t kPreferencesOtherVersion = 1102;
inline constexpr int32_t kPreferencesNotOpened = 1103;
inline constexpr int32_t kPreferencesNotSaved = 1106;
inline constexpr int32_t kPreferencesDiskFull = 1107;
inline constexpr int32_t kPreferencesNotCreated = 1108;

// Opening a sound file (^0 the file's name).
inline constexpr int32_t kSoundTooLong = 2000;
inline constexpr int32_t kUnsupportedBitDepth = 2001;
inline constexpr int32_t kUnsupportedChannels = 2002;
inline constexpr int32_t kUnknownFileFormat = 2006;
inline constexpr int32_t kUnsupportedSampleRate = 2015;

// Saving a loop file (^0 the file's name).
inline constexpr int32_t kSaveFailed = 2100;
inline constexpr int32_t kSaveDiskFull = 2101;
inline constexpr int32_t kSaveFileBusy = 2102;
inline constexpr int32_t kSaveCreateFailed = 2103;

// Export; each group is ordered unknown, disk full, busy, create failed.
inline constexpr int32_t kExportFailed = 2110;
inline constexpr int32_t kExportDiskFull = 2111;
inline constexpr int32_t kExportFileBusy = 2112;
inline constexpr int32_t kExportCreateFailed = 2113;
inline constexpr int32_t kProgramSliceFailed = 2120;
inline constexpr int32_t kProgramSliceDiskFull = 2121;
inline constexpr int32_t kProgramSliceBusy = 2122;
inline constexpr int32_t kProgramSliceCreateFailed = 2123;
inline constexpr int32_t kInstrumentSliceFailed = 2130;
inline constexpr int32_t kInstrumentSliceDiskFull = 2131;
inline constexpr int32_t kInstrumentSliceBusy = 2132;
inline constexpr int32_t kInstrumentSliceCreateFailed = 2133;
inline constexpr int32_t kPieceFailed = 2140;
inline constexpr int32_t kPieceDiskFull = 2141;
inline constexpr int32_t kPieceBusy = 2142;
inline constexpr int32_t kPieceCreateFailed = 2143;
inline constexpr int32_t kReplaceSliceFile = 2200;
inline constexpr int32_t kReplaceMidiFile = 2201;
inline constexpr int32_t kNoSoundingSlices = 2202;
inline constexpr int32_t kStereoMixedToMono = 2203;
inline constexpr int32_t kTooManySlices = 2204;
inline constexpr int32_t kTooManyMidiSlices = 2205;
inline constexpr int32_t kMixmanNeedsFourFour = 2212;

// Opening older files, the document window, slice detection, processing.
inline constexpr int32_t kOldNormalizeOption = 2220;
inline constexpr int32_t kOldLoopFile = 2221;
inline constexpr int32_t kMoveLeftLocator = 2230;
inline constexpr int32_t kEffectsNeedPreview = 2231;
inline constexpr int32_t kNoNewSlices = 2240;
inline constexpr int32_t kManyGridSlices = 2241;
inline constexpr int32_t kNoSlicesAdded = 2242;
inline constexpr int32_t kAnalyzeInterrupted = 2243;
inline constexpr int32_t kNormalizeWhat = 2250;
inline constexpr int32_t kAlreadyNormalized = 2251;

// Sounds opened from compressed, floating-point or marked files; loop files
// whose sound does not match their checksum.
inline constexpr int32_t kSoundConverted = 2270;
inline constexpr int32_t kSoundClipped = 2271;
inline constexpr int32_t kSliceMarkersTaken = 2272;
inline constexpr int32_t kChecksumMismatch = 2273;
} // namespace NSAlerts

// Entries of kProgramStringList.
namespace NSStrings {
// Application.
inline constexpr int32_t kRequiresWindowsXP = 100;
inline constexpr int32_t kUpgradeOperatingSystem = 101;
inline constexpr int32_t kUnexpectedStartupError = 102;
inline constexpr int32_t kProductName = 110;
inline constexpr int32_t kAboutMenuItem = 111;
inline constexpr int32_t kUntitled = 112;
inline constexpr int32_t kPreferencesFileName = 113;
inline constexpr int32_t kCreatedByZubrik = 114;

// Buttons and dialogs.
inline constexpr int32_t kOK = 200;
inline constexpr int32_t kCancel = 201;
inline constexpr int32_t kHelp = 202;
inline constexpr int32_t kLoopLengthQuestion = 210;
inline constexpr int32_t kBarsLabel = 211;
inline constexpr int32_t kBarsCharacters = 212;
inline constexpr int32_t kConvertToMonoTexts = 220;   // 220 to 223
inline constexpr int32_t kSampleFormatTexts = 230;    // 230, 231
inline constexpr int32_t kExportMidiFileOption = 240;
inline constexpr int32_t kPreferencesTexts = 300;     // 300 to 315
inline constexpr int32_t kAudioPreferencesTexts = 316; // 316 to 321
inline constexpr int32_t kSaveDialogTitle = 400;
inline constexpr int32_t kExportDialogTitle = 401;
inline constexpr int32_t kAutoPlay = 402;
inline constexpr int32_t kFileTypes = 410;            // name, extensions; 410 to 429
// The export types beyond the first seven, then the compressed sounds of the
// open dialog: name, extensions; 430 to 437.
inline constexpr int32_t kMoreExportTypes = 430;
inline constexpr int32_t kCompressedSoundFileType = 436;
// The open dialog's information pane: field names and value texts; 480 to 498.
inline constexpr int32_t kOpenDialogInfoTexts = 480;

// Progress texts.
inline constexpr int32_t kFindingSlices = 500;
inline constexpr int32_t kSavingUndo = 501;
inline constexpr int32_t kRestoringUndo = 502;
inline constexpr int32_t kNormalizingPeak = 503;
inline constexpr int32_t kNormalizingGain = 504;
inline constexpr int32_t kExtractingChannel = 505;
inline constexpr int32_t kMixingChannels = 506;
inline constexpr int32_t kConvertingPass1 = 507;
inline constexpr int32_t kConvertingPass2 = 508;
inline constexpr int32_t kCroppingSample = 509;
inline constexpr int32_t kRemovingDC = 510;
inline constexpr int32_t kFinalizing = 511;
inline constexpr int32_t kPreparingToSave = 512;
inline constexpr int32_t kFramesLeftToSave = 513;
inline constexpr int32_t kFramesLeftToLoad = 514;
inline constexpr int32_t kReadingSecondChannel = 515;
inline constexpr int32_t kSlicesLeft = 516;
inline constexpr int32_t kWritingAkaiProgram = 517;
inline constexpr int32_t kWritingSampleCell = 518;
inline constexpr int32_t kCopyingWave = 519;
inline constexpr int32_t kCopyingZBX2 = 520;

// Undo names.
inline constexpr int32_t kToggleExportAsOneSample = 600;
inline constexpr int32_t kToggleSilenceSelected = 601;
inline constexpr int32_t kTogglePreviewPlay = 602;
inline constexpr int32_t kChangeTimeSignature = 603;
inline constexpr int32_t kChangeBarCount = 604;
inline constexpr int32_t kChangeBeatCount = 605;
inline constexpr int32_t kChangePitch = 606;
inline constexpr int32_t kChangePreviewTempo = 607;
inline constexpr int32_t kMoveLeftLocator = 608;
inline constexpr int32_t kMoveRightLocator = 609;
inline constexpr int32_t kSetLoop = 610;
inline constexpr int32_t kToggleEnvelope = 611;
inline constexpr int32_t kSelectEnvelopePreset = 612;
inline constexpr int32_t kChangeEnvelopeAttack = 613;
inline constexpr int32_t kChangeEnvelopeDecay = 614;
inline constexpr int32_t kChangeEnvelopeStretch = 615;
inline constexpr int32_t kChangeProcessingGain = 620;
inline constexpr int32_t kToggleTransientShaper = 621;
inline constexpr int32_t kSelectTransientShaperPreset = 622;
inline constexpr int32_t kChangeTransientShaperThreshold = 623;
inline constexpr int32_t kChangeTransientShaperRatio = 624;
inline constexpr int32_t kChangeTransientShaperAttack = 625;
inline constexpr int32_t kChangeTransientShaperRelease = 626;
inline constexpr int32_t kToggleEqualizer = 627;
inline constexpr int32_t kSelectEqualizerPreset = 628;
inline constexpr int32_t kChangeEqualizerLowCut = 629;
inline constexpr int32_t kChangeEqualizerLowFreq = 630;
inline constexpr int32_t kChangeEqualizerLowQ = 631;
inline constexpr int32_t kChangeEqualizerLowGain = 632;
inline constexpr int32_t kChangeEqualizerHighFreq = 633;
inline constexpr int32_t kChangeEqualizerHighQ = 634;
inline constexpr int32_t kChangeEqualizerHighGain = 635;
inline constexpr int32_t kChangeEqualizerHighCut = 636;
inline constexpr int32_t kSelectSlice = 640;
inline constexpr int32_t kDeselectSlice = 641;
inline constexpr int32_t kSelectAll = 642;
inline constexpr int32_t kDeselectAll = 643;
inline constexpr int32_t kSelectRange = 644;
inline constexpr int32_t kInvertSelection = 645;
inline constexpr int32_t kMoveSlice = 646;
inline constexpr int32_t kInsertSlice = 647;
inline constexpr int32_t kDeleteSlices = 648;
inline constexpr int32_t kMuteSlices = 649;
inline constexpr int32_t kLockSlices = 650;
inline constexpr int32_t kChangeSensitivity = 651;
inline constexpr int32_t kChangeGateSensitivity = 652;
inline constexpr int32_t kReAnalyze = 653;
inline constexpr int32_t kAddSlicesAtGrid = 654;
inline constexpr int32_t kNormalize = 660;
inline constexpr int32_t kConvertToMono = 661;
inline constexpr int32_t kConvertSampleFormat = 662;
inline constexpr int32_t kCropLoop = 663;
inline constexpr int32_t kRemoveDC = 664;

// Blocks of the user interface's texts (see the resource file for each).
inline constexpr int32_t kTransportTexts = 700;       // 700 to 704
inline constexpr int32_t kSliceContextMenu = 710;     // 710 to 722
inline constexpr int32_t kGestureHints = 800;         // 800 to 804, 806
inline constexpr int32_t kKnobInfoText = 805;
inline constexpr int32_t kStatusBarTexts = 900;       // 900 to 920
inline constexpr int32_t kTopToolBarTexts = 1000;
inline constexpr int32_t kSecondToolBarTexts = 1100;
inline constexpr int32_t kEffectToolBarTexts = 1200;
inline constexpr int32_t kInfoTexts = 1300;           // 1300 to 1344
inline constexpr int32_t kEnvelopePresets = 1400;     // 21 entries each
inline constexpr int32_t kTransientShaperPresets = 1430;
inline constexpr int32_t kEqualizerPresets = 1460;
inline constexpr int32_t kPresetBlockSize = 21;
inline constexpr int32_t kHelpWindowTitle = 1500;
inline constexpr int32_t kHelpFind = 1501;
inline constexpr int32_t kHelpFindNext = 1502;
inline constexpr int32_t kUndoMenuItem = 20221;       // "Undo ^0"
inline constexpr int32_t kRedoMenuItem = 20222;       // "Redo ^0"
inline constexpr int32_t kCannotUndo = 20231;
inline constexpr int32_t kCannotRedo = 20232;
} // namespace NSStrings

// Entries of kSharedStringList.
namespace NSSharedStrings {
inline constexpr int32_t kExit = 1;
inline constexpr int32_t kPreferences = 2;
inline constexpr int32_t kYes = 13;
inline constexpr int32_t kNo = 14;
inline constexpr int32_t kCancel = 15;
inline constexpr int32_t kSaveChangesBeforeClosing = 16;
inline constexpr int32_t kSaveChangesBeforeQuitting = 17;
} // namespace NSSharedStrings

} // namespace NSZubrik
