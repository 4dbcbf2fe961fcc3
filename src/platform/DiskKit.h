// DiskKit: the file library. File paths, folders and open files,
// reached through one interface object made by DiskKit_Create. Every call
// answers with a result code of the library's own space (5000 = success);
// NSDiskKitUtils turns the codes into the program's exceptions.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace NSDiskKit {

using TResult = int32_t;

inline constexpr TResult kSuccess = 5000;
inline constexpr TResult kOutOfMemory = 5001;
inline constexpr TResult kInvalidArgument = 5002;
inline constexpr TResult kInvariantCorrupt = 5003;
inline constexpr TResult kIllegalCallSequence = 5004;
inline constexpr TResult kLogicError = 5005;
inline constexpr TResult kDiskFull = 5006;
inline constexpr TResult kCreateFailed = 5007;
inline constexpr TResult kFileLocked = 5010;
inline constexpr TResult kItemBusy = 5011;
inline constexpr TResult kReadError = 5012;
inline constexpr TResult kWriteError = 5013;
inline constexpr TResult kBadFormat = 5014;
inline constexpr TResult kUnsupportedFormat = 5015;
inline constexpr TResult kBrokenAlias = 5016;
inline constexpr TResult kAliasRequired = 5017;
inline constexpr TResult kInputItemNotFound = 5018;
inline constexpr TResult kResultingItemNotFound = 5019;
inline constexpr TResult kOther = 5020;

// A file path names a file, present or not.
using TFilePath = std::filesystem::path;

// Four-character type and creator codes, big-endian packed ('WAVE').
using TFourCC = uint32_t;

// The longest file reference the library hands out or accepts, in bytes.
inline constexpr size_t kMaxReferenceSize = 4096;

enum class EOpenMode { kRead, kReadWrite };

// An open file. Positions are byte offsets from the start of the file.
class IOpenFile {
public:
    virtual ~IOpenFile() = default;
    virtual TResult GetSize(int64_t& size) = 0;
    // Reads exactly count bytes; a short file gives kReadError.
    virtual TResult ReadAt(int64_t position, int32_t count, void* destination) = 0;
    // Writes count bytes, growing the file as needed.
    virtual TResult WriteAt(int64_t position, int32_t count, const void* source) = 0;
    virtual TResult SetSize(int64_t size) = 0;
    // Hands the written bytes to the disk.
    virtual TResult Flush() = 0;
    // Closes the file; later calls give kIllegalCallSequence.
    virtual TResult Close() = 0;
};

class IDiskKit {
public:
    virtual ~IDiskKit() = default;

    virtual TResult SplitPath(const TFilePath& path, TFilePath& folder,
                              std::string& name) = 0;
    virtual TResult MakePath(const TFilePath& folder, const std::string& name,
                             TFilePath& path) = 0;
    // The per-user settings folder <config>/<makerFolder>/<programFolder>,
    // created when missing; <config> is $XDG_CONFIG_HOME or ~/.config.
    virtual TResult GetPreferencesFolder(const std::string& makerFolder,
                                         const std::string& programFolder,
                                         TFilePath& folder) = 0;

    virtual TResult Exists(const TFilePath& path, bool& exists) = 0;
    // Creates the file empty (an existing file is emptied) and records the
    // type and creator codes where the file system can keep them.
    virtual TResult Create(const TFilePath& path, TFourCC type, TFourCC creator) = 0;
    // The recorded codes; 0 when none are kept.
    virtual TResult GetTypeAndCreator(const TFilePath& path, TFourCC& type,
                                      TFourCC& creator) = 0;
    virtual TResult Open(const TFilePath& path, EOpenMode mode,
                         std::unique_ptr<IOpenFile>& file) = 0;
    virtual TResult Delete(const TFilePath& path) = 0;
    // Moves a file over another one in a single step.
    virtual TResult Replace(const TFilePath& from, const TFilePath& to) = 0;

    // A text of at most kMaxReferenceSize bytes from which MakeFromReference
    // makes the same file path again.
    virtual TResult GetReference(const TFilePath& path, std::string& reference) = 0;
    virtual TResult MakeFromReference(const std::string& reference, TFilePath& path) = 0;
};

// The factory: interfaceName must be "IDiskKit".
TResult DiskKit_Create(const char* interfaceName, IDiskKit*& kit);

} // namespace NSDiskKit
