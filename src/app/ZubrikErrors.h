// The exception family through which every failure travels inside Zubrik.
// Each type maps to one 32-bit result code at the boundary to the platform
// libraries (see ResultCodes.h for the translation in both directions).
#pragma once

#include <stdexcept>

namespace NSZubrik {

// An exception that carries no message of its own.
class XSilent : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};

class XIllegalCallSequence : public std::logic_error {
public:
    XIllegalCallSequence() : std::logic_error("illegal call sequence") {}
};
class XInvariantCorrupt : public std::logic_error {
public:
    XInvariantCorrupt() : std::logic_error("invariant corrupt") {}
};
class XBadFormat : public std::runtime_error {
public:
    XBadFormat() : std::runtime_error("bad format") {}
};
class XUnsupportedFormat : public std::runtime_error {
public:
    XUnsupportedFormat() : std::runtime_error("unsupported format") {}
};
class XUnsupportedInterface : public std::runtime_error {
public:
    XUnsupportedInterface() : std::runtime_error("unsupported interface") {}
};
class XUnsupportedOSVersion : public std::runtime_error {
public:
    XUnsupportedOSVersion() : std::runtime_error("unsupported os version") {}
};
class XOtherError : public XSilent {};
class XRead : public std::runtime_error {
public:
    XRead() : std::runtime_error("read") {}
};
class XWrite : public std::runtime_error {
public:
    XWrite() : std::runtime_error("write") {}
};
class XNotFound : public std::runtime_error {
public:
    XNotFound() : std::runtime_error("not found") {}
};
class XInputItemNotFound : public XNotFound {};
class XResultingItemNotFound : public XNotFound {};
class XCreateFailed : public std::runtime_error {
public:
    XCreateFailed() : std::runtime_error("create failed") {}
};
class XDiskFull : public std::overflow_error {
public:
    XDiskFull() : std::overflow_error("disk full") {}
};
class XItemBusy : public std::runtime_error {
public:
    XItemBusy() : std::runtime_error("item busy") {}
};
class XFileLocked : public XItemBusy {};
class XAliasRequired : public std::runtime_error {
public:
    XAliasRequired() : std::runtime_error("alias required") {}
};
class XBrokenAlias : public std::runtime_error {
public:
    XBrokenAlias() : std::runtime_error("broken alias") {}
};
class XControl : public std::runtime_error {
public:
    XControl() : std::runtime_error("control") {}
};
class XFailedToOpenDriver : public std::runtime_error {
public:
    XFailedToOpenDriver() : std::runtime_error("failed to open driver") {}
};
class XFailedToOpenDriverNotPresent : public std::runtime_error {
public:
    XFailedToOpenDriverNotPresent()
        : std::runtime_error("failed to open driver: not present") {}
};
class XCannotOpenHelpWindow : public std::runtime_error {
public:
    XCannotOpenHelpWindow() : std::runtime_error("cannot open help window") {}
};
class XPreferencesFileBadFormat : public XBadFormat {};
class XUserInterrupted : public XSilent {};
// A sound file outside the program's limits; names the alert that says which.
class XUnsupportedSoundFileProperties : public XUnsupportedFormat {
public:
    XUnsupportedSoundFileProperties() = default;
    explicit XUnsupportedSoundFileProperties(int alert) : fAlert(alert) {}
    int GetAlert() const { return fAlert; }

private:
    int fAlert = 0;
};
class XUserAbortedExport : public XSilent {};
class XUserPressedStop : public XSilent {};
// The lossless decoder reading from memory ran out of words.
class XUnderflowOnInputBitStream : public std::underflow_error {
public:
    XUnderflowOnInputBitStream() : std::underflow_error("underflow on input bit stream") {}
};

} // namespace NSZubrik

// These live outside the program's namespace. The loop-file failures share
// the base XZBX2 so that a reader can catch all of them at once.
class XAlertAlreadyShown : public NSZubrik::XSilent {};
class XZBX2 : public NSZubrik::XSilent {};
class XZBX2BadFormat : public XZBX2 {};
class XZBX2UnsupportedFormat : public XZBX2 {};
class XZBX2FileTooNew : public XZBX2 {};
class XZBX2UserAborted : public XZBX2 {};
// The sound decoded from a loop file differs from the checksum it carries.
class XZBX2ChecksumMismatch : public XZBX2BadFormat {};
class XZubrikFileHasZeroLoopLength : public XZBX2 {};

namespace NSTextPackage {
class XIllegalTextFormat : public NSZubrik::XSilent {};
}
namespace NSUndoPackage {
class XRollbackFailed : public NSZubrik::XSilent {};
}
