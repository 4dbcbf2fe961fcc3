// The file library on POSIX: open files are file descriptors used with
// pread/pwrite, file paths are std::filesystem paths, type and creator
// codes live in extended attributes when the file system allows them.
#include "platform/DiskKit.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace NSDiskKit {
namespace {

constexpr const char* kTypeAttribute = "user.zubrik.type";
constexpr const char* kCreatorAttribute = "user.zubrik.creator";

TResult FromErrno(int error, TResult fallback)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return kResultingItemNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kFileLocked;
    case EBUSY:
    case ETXTBSY: return kItemBusy;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kDiskFull;
    case ENOMEM: return kOutOfMemory;
    case EINVAL:
    case ENAMETOOLONG: return kInvalidArgument;
    default: return fallback;
    }
}

TResult FromErrorCode(const std::error_code& error, TResult fallback)
{
    return error.category() == std::generic_category() ||
                   error.category() == std::system_category()
               ? FromErrno(error.value(), fallback)
               : fallback;
}

class COpenFile final : public IOpenFile {
public:
    explicit COpenFile(int descriptor) : fDescriptor(descriptor) {}
    ~COpenFile() override { Close(); }

    TResult GetSize(int64_t& size) override
    {
        if (fDescriptor < 0) return kIllegalCallSequence;
        struct stat info {};
        if (fstat(fDescriptor, &info) != 0) return FromErrno(errno, kReadError);
        size = info.st_size;
        return kSuccess;
    }

    TResult ReadAt(int64_t position, int32_t count, void* destination) override
    {
        if (fDescriptor < 0) return kIllegalCallSequence;
        if (position < 0 || count < 0) return kInvalidArgument;
        auto* bytes = static_cast<char*>(destination);
        while (count > 0) {
            ssize_t done = pread(fDescriptor, bytes, size_t(count), position);
            if (done < 0 && errno == EINTR) continue;
            if (done < 0) return FromErrno(errno, kReadError);
            if (done == 0) return kReadError;  // the file ended first
            bytes += done;
            position += done;
            count -= int32_t(done);
        }
        return kSuccess;
    }

    TResult WriteAt(int64_t position, int32_t count, const void* source) override
    {
        if (fDescriptor < 0) return kIllegalCallSequence;
        if (position < 0 || count < 0) return kInvalidArgument;
        const auto* bytes = static_cast<const char*>(source);
        while (count > 0) {
            ssize_t done = pwrite(fDescriptor, bytes, size_t(count), position);
            if (done < 0 && errno == EINTR) continue;
            if (done <= 0) return done < 0 ? FromErrno(errno, kWriteError) : kWriteError;
            bytes += done;
            position += done;
            count -= int32_t(done);
        }
        return kSuccess;
    }

    TResult SetSize(int64_t size) override
    {
        if (fDescriptor < 0) return kIllegalCallSequence;
        if (size < 0) return kInvalidArgument;
        return ftruncate(fDescriptor, size) == 0 ? kSuccess : FromErrno(errno, kWriteError);
    }

    TResult Flush() override
    {
        if (fDescriptor < 0) return kIllegalCallSequence;
        return fsync(fDescriptor) == 0 || errno == EINVAL ? kSuccess
                                                          : FromErrno(errno, kWriteError);
    }

    TResult Close() override
    {
        if (fDescriptor < 0) return kIllegalCallSequence;
        int descriptor = fDescriptor;
        fDescriptor = -1;
        return close(descriptor) == 0 ? kSuccess : FromErrno(errno, kWriteError);
    }

private:
    int fDescriptor;
};

void StoreCode(const TFilePath& path, const char* attribute, TFourCC code)
{
    const unsigned char bytes[4] = {uint8_t(code >> 24), uint8_t(code >> 16),
                                    uint8_t(code >> 8), uint8_t(code)};
    // Best effort: many file systems (tmpfs in some kernels, FAT) refuse.
    (void)setxattr(path.c_str(), attribute, bytes, sizeof bytes, 0);
}

TFourCC LoadCode(const TFilePath& path, const char* attribute)
{
    unsigned char bytes[4] = {};
    if (getxattr(path.c_str(), attribute, bytes, sizeof bytes) != 4) return 0;
    return TFourCC(bytes[0]) << 24 | TFourCC(bytes[1]) << 16 | TFourCC(bytes[2]) << 8 |
           TFourCC(bytes[3]);
}

TFilePath ConfigurationHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return TFilePath(home) / ".config";
    return {};
}

bool IsPlainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

class CDiskKit final : public IDiskKit {
public:
    TResult SplitPath(const TFilePath& path, TFilePath& folder, std::string& name) override
    {
        if (!path.has_filename()) return kInvalidArgument;
        folder = path.parent_path();
        name = path.filename().string();
        return kSuccess;
    }

    TResult MakePath(const TFilePath& folder, const std::string& name, TFilePath& path) override
    {
        if (!IsPlainName(name)) return kInvalidArgument;
        path = folder / name;
        return kSuccess;
    }

    TResult GetPreferencesFolder(const std::string& makerFolder, const std::string& programFolder,
                                 TFilePath& folder) override
    {
        if (!IsPlainName(makerFolder) || !IsPlainName(programFolder)) return kInvalidArgument;
        TFilePath home = ConfigurationHome();
        if (home.empty()) return kResultingItemNotFound;
        TFilePath result = home / makerFolder / programFolder;
        std::error_code error;
        std::filesystem::create_directories(result, error);
        if (error) return FromErrorCode(error, kCreateFailed);
        folder = result;
        return kSuccess;
    }

    TResult Exists(const TFilePath& path, bool& exists) override
    {
        std::error_code error;
        exists = std::filesystem::is_regular_file(path, error);
        return kSuccess;
    }

    TResult Create(const TFilePath& path, TFourCC type, TFourCC creator) override
    {
        if (!path.has_filename()) return kInvalidArgument;
        int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (descriptor < 0) {
            TResult result = FromErrno(errno, kCreateFailed);
            return result == kResultingItemNotFound ? kCreateFailed : result;
        }
        close(descriptor);
        StoreCode(path, kTypeAttribute, type);
        StoreCode(path, kCreatorAttribute, creator);
        return kSuccess;
    }

    TResult GetTypeAndCreator(const TFilePath& path, TFourCC& type, TFourCC& creator) override
    {
        bool exists = false;
        Exists(path, exists);
        if (!exists) return kResultingItemNotFound;
        type = LoadCode(path, kTypeAttribute);
        creator = LoadCode(path, kCreatorAttribute);
        return kSuccess;
    }

    TResult Open(const TFilePath& path, EOpenMode mode, std::unique_ptr<IOpenFile>& file) override
    {
        int flags = (mode == EOpenMode::kRead ? O_RDONLY : O_RDWR) | O_CLOEXEC;
        int descriptor = open(path.c_str(), flags);
        if (descriptor < 0) return FromErrno(errno, kOther);
        struct stat info {};
        if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
            close(descriptor);
            return kResultingItemNotFound;  // a folder or device is no file
        }
        try {
            file = std::make_unique<COpenFile>(descriptor);
        } catch (const std::bad_alloc&) {
            close(descriptor);
            return kOutOfMemory;
        }
        return kSuccess;
    }

    TResult Delete(const TFilePath& path) override
    {
        return unlink(path.c_str()) == 0 ? kSuccess : FromErrno(errno, kOther);
    }

    TResult Replace(const TFilePath& from, const TFilePath& to) override
    {
        return rename(from.c_str(), to.c_str()) == 0 ? kSuccess : FromErrno(errno, kWriteError);
    }

    TResult GetReference(const TFilePath& path, std::string& reference) override
    {
        std::error_code error;
        TFilePath absolute = std::filesystem::absolute(path, error);
        if (error) return FromErrorCode(error, kOther);
        std::string text = absolute.lexically_normal().string();
        if (text.size() > kMaxReferenceSize) return kInvalidArgument;
        reference = std::move(text);
        return kSuccess;
    }

    TResult MakeFromReference(const std::string& reference, TFilePath& path) override
    {
        if (reference.empty() || reference.size() > kMaxReferenceSize) return kInvalidArgument;
        if (reference[0] != '/' || reference.find('\0') != std::string::npos) return kBrokenAlias;
        path = TFilePath(reference);
        return kSuccess;
    }
};

} // namespace

TResult DiskKit_Create(const char* interfaceName, IDiskKit*& kit)
{
    kit = nullptr;
    if (!interfaceName || std::string_view(interfaceName) != "IDiskKit") return kInvalidArgument;
    kit = new (std::nothrow) CDiskKit;
    return kit ? kSuccess : kOutOfMemory;
}

} // namespace NSDiskKit
