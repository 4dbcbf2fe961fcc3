// The command numbers of the document window's menus, the slice context menu
// and the key handler, beside those the application object dispatches
// itself (CZubrik::ECommand).
#pragma once

#include <cstdint>

namespace NSZubrik::NSCommands {

// Standard file and edit commands.
inline constexpr int32_t kOpen = 50004;
inline constexpr int32_t kClose = 50005;
inline constexpr int32_t kSave = 50006;
inline constexpr int32_t kSaveAs = 50007;
inline constexpr int32_t kExit = 50008;
inline constexpr int32_t kUndo = 50009;
inline constexpr int32_t kRedo = 50010;
inline constexpr int32_t kCut = 50011;
inline constexpr int32_t kCopy = 50012;
inline constexpr int32_t kPaste = 50013;
inline constexpr int32_t kClear = 50014;
inline constexpr int32_t kSelectAll = 50015;
inline constexpr int32_t kPreferences = 50016;

// Menu items numbered as their texts.
inline constexpr int32_t kSaveAll = 20105;
inline constexpr int32_t kExport = 20106;
inline constexpr int32_t kFirstRecent = 20150;
inline constexpr int32_t kInvertSelection = 20208;
inline constexpr int32_t kShowEnvelope = 20301;
inline constexpr int32_t kShowTransientShaper = 20302;
inline constexpr int32_t kShowEqualizer = 20303;
inline constexpr int32_t kMagnifyToFit = 20304;
inline constexpr int32_t kMagnifyToFitLoop = 20305;
inline constexpr int32_t kJumpToCursor = 20306;
inline constexpr int32_t kShowGrid = 20307;
inline constexpr int32_t kScrollDuringPlayback = 20308;
inline constexpr int32_t kExportAsOneSample = 20401;
inline constexpr int32_t kSilenceSelected = 20402;
inline constexpr int32_t kNormalize = 20403;
inline constexpr int32_t kConvertToMono = 20404;
inline constexpr int32_t kConvertSampleFormat = 20405;
inline constexpr int32_t kCropLoop = 20406;
inline constexpr int32_t kRemoveDC = 20407;
inline constexpr int32_t kReAnalyze = 20408;
inline constexpr int32_t kAddSlicesAtGrid = 20409;
inline constexpr int32_t kHelpContents = 20501;
inline constexpr int32_t kHelpSearch = 20502;
// The web pages of the Help menu: the maker's site and its support address.
inline constexpr int32_t kWebSite = 20503;
inline constexpr int32_t kTechnicalSupport = 20504;

// Slice context menu and view commands.
inline constexpr int32_t kContextMagnifyToFit = 1721;
inline constexpr int32_t kContextMagnifyToFitLoop = 1722;
inline constexpr int32_t kContextJumpToCursor = 1723;
inline constexpr int32_t kContextInvertSelection = 1733;
inline constexpr int32_t kContextCopyLoop = 1741;
inline constexpr int32_t kContextSetLeftLocator = 1742;
inline constexpr int32_t kContextSetRightLocator = 1743;
inline constexpr int32_t kContextSetLoop = 1744;
inline constexpr int32_t kContextMagnifyToFitSlice = 1745;
inline constexpr int32_t kContextSelectAll = 1746;
inline constexpr int32_t kContextLocked = 1747;
inline constexpr int32_t kContextMuted = 1748;
inline constexpr int32_t kContextDelete = 1749;

} // namespace NSZubrik::NSCommands
