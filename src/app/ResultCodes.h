// Result codes at the boundary to the platform libraries: one checker per code
// space turns a library's code into an exception of the program's family, and
// the reverse translation turns an exception caught in a callback into the
// code handed back to the library.
#pragma once

#include <cstdint>
#include <exception>
#include <utility>

namespace NSZubrik {

// The shared code space of FrameKit, ControlKit, SoundPortKit and of the
// program's own callbacks.
enum : int32_t {
    kResultNoError = 12000,
    kResultOutOfMemoryError = 12001,
    kResultInvalidArgumentError = 12002,
    kResultIllegalCallSequenceError = 12003,
    kResultLogicError = 12004,
    kResultBadFormatError = 12005,
    kResultUnsupportedFormatError = 12006,
    kResultOtherError = 12007,
    kResultInvariantCorruptError = 12008,
    kResultUnsupportedInterfaceError = 12009,
    kResultUnsupportedOSVersionError = 12010,
    kResultReadError = 100000,
    kResultWriteError = 100001,
    kResultNotFoundError = 100002,
    kResultInputItemNotFoundError = 100003,
    kResultResultingItemNotFoundError = 100004,
    kResultCreateFailedError = 100005,
    kResultDiskFullError = 100006,
    kResultFileLockedError = 100007,
    kResultItemBusyError = 100008,
    kResultAliasRequiredError = 100009,
    kResultBrokenAliasError = 100010,
    kResultControlError = 100011,
    kResultFailedToOpenDriverError = 100012,
    kResultFailedToOpenDriverNotPresentError = 100013,
    kResultAlertAlreadyShownError = 100014,
    kResultCannotOpenHelpWindowError = 100015,
    kResultPreferencesFileBadFormatError = 100016,
    kResultUserInterruptedError = 100017,
    kResultZBX2FileTooNewError = 100022,
    kResultZBX2UserAbortedError = 100023,
    kResultZubrikFileHasZeroLoopLengthError = 100024,
    kResultUnsupportedSoundFilePropertiesError = 100025,
    kResultUserAbortedExportError = 100026,
    kResultUserPressedStopError = 100027,
    kResultIllegalTextFormatError = 100028,
    kResultRollbackFailedError = 100029,
};

// Success codes of the libraries with a code space of their own.
inline constexpr int32_t kDiskKitNoError = 5000;
inline constexpr int32_t kRasterKitNoError = 991;
inline constexpr int32_t kImageDecodeKitNoError = 730;
inline constexpr int32_t kSoundKitNoError = 991;

// Each checker returns on its space's success code and throws otherwise; a
// code the space does not know becomes a plain std::exception.

// FrameKit, ControlKit, SoundPortKit, and codes FrameKit hands to the
// application object's error callback.
void CheckFrameKitResult(int32_t code);
// DiskKit: 5000 to 5020.
void CheckDiskKitResult(int32_t code);
// RasterKit: 991 to 1002.
void CheckRasterKitResult(int32_t code);
// ImageDecodeKit: 730 to 740.
void CheckImageDecodeKitResult(int32_t code);
// FormSoundKit and RiffSoundKit share one space: 991 to 1002.
void CheckSoundKitResult(int32_t code);

// The code of an exception in the shared space. Derived types are tested
// before their bases, so XFileLocked gives 100007 rather than XItemBusy's
// 100008; anything outside the family, including thrown values that are not
// standard exceptions, gives 12007. A null pointer gives 12000.
int32_t ResultCodeOf(std::exception_ptr exception) noexcept;

// The same for the exception being handled; call it only inside a catch.
int32_t ResultCodeOfCurrentException() noexcept;

// Runs work for a library callback: 12000 when it returns normally, else the
// code of whatever it threw. Nothing escapes into the library.
template <typename TWork>
int32_t CallbackResult(TWork&& work) noexcept
{
    try {
        std::forward<TWork>(work)();
        return kResultNoError;
    } catch (...) {
        return ResultCodeOfCurrentException();
    }
}

} // namespace NSZubrik
