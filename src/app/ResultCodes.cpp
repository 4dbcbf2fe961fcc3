#include "app/ResultCodes.h"

#include "app/ZubrikErrors.h"

#include <new>
#include <stdexcept>

namespace NSZubrik {

namespace {

// Codes a space does not name. The standard base carries no message the
// user could act on, which is the point: such a code reaches the generic
// "unknown problem" handling.
[[noreturn]] void ThrowPlain()
{
    throw std::exception();
}

// The checkers' invalid-argument and logic errors carry an empty message.
[[noreturn]] void ThrowInvalidArgument()
{
    throw std::invalid_argument("");
}

[[noreturn]] void ThrowLogicError()
{
    throw std::logic_error("");
}

// Codes 100000 and up of the shared space. The two not-found variants and
// the locked file come back as their bases: the library's code does not say
// more than that.
[[noreturn]] void ThrowSharedFileCode(int32_t code)
{
    switch (code) {
    case kResultReadError: throw XRead();
    case kResultWriteError: throw XWrite();
    case kResultNotFoundError:
    case kResultInputItemNotFoundError:
    case kResultResultingItemNotFoundError: throw XNotFound();
    case kResultCreateFailedError: throw XCreateFailed();
    case kResultDiskFullError: throw XDiskFull();
    case kResultFileLockedError:
    case kResultItemBusyError: throw XItemBusy();
    case kResultAliasRequiredError: throw XAliasRequired();
    case kResultBrokenAliasError: throw XBrokenAlias();
    case kResultControlError: throw XControl();
    case kResultFailedToOpenDriverError: throw XFailedToOpenDriver();
    case kResultFailedToOpenDriverNotPresentError: throw XFailedToOpenDriverNotPresent();
    case kResultAlertAlreadyShownError: throw XAlertAlreadyShown();
    case kResultCannotOpenHelpWindowError: throw XCannotOpenHelpWindow();
    case kResultPreferencesFileBadFormatError: throw XPreferencesFileBadFormat();
    case kResultUserInterruptedError: throw XUserInterrupted();
    case kResultZBX2FileTooNewError: throw XZBX2FileTooNew();
    case kResultZBX2UserAbortedError: throw XZBX2UserAborted();
    case kResultZubrikFileHasZeroLoopLengthError: throw XZubrikFileHasZeroLoopLength();
    case kResultUnsupportedSoundFilePropertiesError: throw XUnsupportedSoundFileProperties();
    case kResultUserAbortedExportError: throw XUserAbortedExport();
    case kResultUserPressedStopError: throw XUserPressedStop();
    case kResultIllegalTextFormatError: throw NSTextPackage::XIllegalTextFormat();
    case kResultRollbackFailedError: throw NSUndoPackage::XRollbackFailed();
    default: ThrowPlain();
    }
}

} // namespace

void CheckFrameKitResult(int32_t code)
{
    switch (code) {
    case kResultNoError: return;
    case kResultOutOfMemoryError: throw std::bad_alloc();
    case kResultInvalidArgumentError: ThrowInvalidArgument();
    case kResultIllegalCallSequenceError: throw XIllegalCallSequence();
    case kResultLogicError: ThrowLogicError();
    case kResultBadFormatError: throw XBadFormat();
    case kResultUnsupportedFormatError: throw XUnsupportedFormat();
    case kResultOtherError: throw XOtherError();
    case kResultInvariantCorruptError: throw XInvariantCorrupt();
    case kResultUnsupportedInterfaceError: throw XUnsupportedInterface();
    case kResultUnsupportedOSVersionError: throw XUnsupportedOSVersion();
    default: ThrowSharedFileCode(code);
    }
}

void CheckDiskKitResult(int32_t code)
{
    switch (code) {
    case 5000: return;
    case 5001: throw std::bad_alloc();
    case 5002: ThrowInvalidArgument();
    case 5003: throw XInvariantCorrupt();
    case 5004: throw XIllegalCallSequence();
    case 5005: ThrowLogicError();
    case 5006: throw XDiskFull();
    case 5007: throw XCreateFailed();
    case 5010: throw XFileLocked();
    case 5011: throw XItemBusy();
    case 5012: throw XRead();
    case 5013: throw XWrite();
    case 5014: throw XBadFormat();
    case 5015: throw XUnsupportedFormat();
    case 5016: throw XBrokenAlias();
    case 5017: throw XAliasRequired();
    case 5018: throw XInputItemNotFound();
    case 5019: throw XResultingItemNotFound();
    case 5020: throw XOtherError();
    default: ThrowPlain();
    }
}

void CheckRasterKitResult(int32_t code)
{
    switch (code) {
    case 991: return;
    case 992: throw std::bad_alloc();
    case 993: ThrowInvalidArgument();
    case 994: throw XInvariantCorrupt();
    case 995: throw XIllegalCallSequence();
    case 996: ThrowLogicError();
    case 997: throw XUnsupportedFormat();
    case 1002: throw XOtherError();
    default: ThrowPlain(); // 998 to 1001 included
    }
}

void CheckImageDecodeKitResult(int32_t code)
{
    switch (code) {
    case 730: return;
    case 731: throw std::bad_alloc();
    case 732: throw XBadFormat();
    case 733: throw XUnsupportedFormat();
    case 734: throw XRead();
    case 735: throw XWrite();
    case 736: ThrowInvalidArgument();
    case 737: throw XInvariantCorrupt();
    case 738: throw XIllegalCallSequence();
    case 739: ThrowLogicError();
    case 740: throw XOtherError();
    default: ThrowPlain();
    }
}

void CheckSoundKitResult(int32_t code)
{
    switch (code) {
    case 991: return;
    case 992: throw std::bad_alloc();
    case 993: ThrowInvalidArgument();
    case 994: throw XInvariantCorrupt();
    case 995: throw XIllegalCallSequence();
    case 996: ThrowLogicError();
    case 997: throw XRead();
    case 998: throw XWrite();
    case 999: throw XBadFormat();
    case 1000: throw XDiskFull();
    case 1001: throw XUnsupportedFormat();
    case 1002: throw XOtherError();
    default: ThrowPlain();
    }
}

int32_t ResultCodeOf(std::exception_ptr exception) noexcept
{
    if (!exception)
        return kResultNoError;
    try {
        std::rethrow_exception(exception);
    } catch (...) {
        return ResultCodeOfCurrentException();
    }
}

// The order of the handlers is the contract: every type is tested before any
// of its bases, and the program's types before the standard ones.
int32_t ResultCodeOfCurrentException() noexcept
{
    try {
        throw;
    } catch (const NSUndoPackage::XRollbackFailed&) {
        return kResultRollbackFailedError;
    } catch (const NSTextPackage::XIllegalTextFormat&) {
        return kResultIllegalTextFormatError;
    } catch (const XUserPressedStop&) {
        return kResultUserPressedStopError;
    } catch (const XUserAbortedExport&) {
        return kResultUserAbortedExportError;
    } catch (const XUnsupportedSoundFileProperties&) {
        return kResultUnsupportedSoundFilePropertiesError;
    } catch (const XZubrikFileHasZeroLoopLength&) {
        return kResultZubrikFileHasZeroLoopLengthError;
    } catch (const XZBX2UserAborted&) {
        return kResultZBX2UserAbortedError;
    } catch (const XZBX2FileTooNew&) {
        return kResultZBX2FileTooNewError;
    } catch (const XUserInterrupted&) {
        return kResultUserInterruptedError;
    } catch (const XPreferencesFileBadFormat&) {
        return kResultPreferencesFileBadFormatError;
    } catch (const XCannotOpenHelpWindow&) {
        return kResultCannotOpenHelpWindowError;
    } catch (const XAlertAlreadyShown&) {
        return kResultAlertAlreadyShownError;
    } catch (const XFailedToOpenDriverNotPresent&) {
        return kResultFailedToOpenDriverNotPresentError;
    } catch (const XFailedToOpenDriver&) {
        return kResultFailedToOpenDriverError;
    } catch (const XControl&) {
        return kResultControlError;
    } catch (const XBrokenAlias&) {
        return kResultBrokenAliasError;
    } catch (const XAliasRequired&) {
        return kResultAliasRequiredError;
    } catch (const XFileLocked&) {
        return kResultFileLockedError;
    } catch (const XItemBusy&) {
        return kResultItemBusyError;
    } catch (const XDiskFull&) {
        return kResultDiskFullError;
    } catch (const XCreateFailed&) {
        return kResultCreateFailedError;
    } catch (const XResultingItemNotFound&) {
        return kResultResultingItemNotFoundError;
    } catch (const XInputItemNotFound&) {
        return kResultInputItemNotFoundError;
    } catch (const XNotFound&) {
        return kResultNotFoundError;
    } catch (const XWrite&) {
        return kResultWriteError;
    } catch (const XRead&) {
        return kResultReadError;
    } catch (const XIllegalCallSequence&) {
        return kResultIllegalCallSequenceError;
    } catch (const XInvariantCorrupt&) {
        return kResultInvariantCorruptError;
    } catch (const XBadFormat&) {
        return kResultBadFormatError;
    } catch (const XUnsupportedFormat&) {
        return kResultUnsupportedFormatError;
    } catch (const XUnsupportedInterface&) {
        return kResultUnsupportedInterfaceError;
    } catch (const XUnsupportedOSVersion&) {
        return kResultUnsupportedOSVersionError;
    } catch (const std::bad_alloc&) {
        return kResultOutOfMemoryError;
    } catch (const std::invalid_argument&) {
        return kResultInvalidArgumentError;
    } catch (const std::logic_error&) {
        return kResultLogicError;
    } catch (...) {
        return kResultOtherError;
    }
}

} // namespace NSZubrik
