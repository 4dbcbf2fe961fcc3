#include "platform/DiskKitUtils.h"

#include "app/ProductInfo.h"
#include "app/ResultCodes.h"
#include "app/ZubrikErrors.h"

#include <atomic>
#include <new>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace NSDiskKitUtils {
namespace {

using namespace NSDiskKit;

IDiskKit* gDiskKit = nullptr;

} // namespace

void Check(TResult result)
{
    NSZubrik::CheckDiskKitResult(result);
}

IDiskKit& GetDiskKit()
{
    if (!gDiskKit) {
        IDiskKit* kit = nullptr;
        TResult result = DiskKit_Create("IDiskKit", kit);
        if (result != kSuccess) {
            delete kit;
            Check(result);
        }
        gDiskKit = kit;
    }
    return *gDiskKit;
}

void ReleaseDiskKit()
{
    delete gDiskKit;
    gDiskKit = nullptr;
}

void SplitPath(const TFilePath& path, TFilePath& folder, std::string& name)
{
    Check(GetDiskKit().SplitPath(path, folder, name));
}

TFilePath MakePath(const TFilePath& folder, const std::string& name)
{
    TFilePath path;
    Check(GetDiskKit().MakePath(folder, name, path));
    return path;
}

TFilePath GetPreferencesFolder()
{
    TFilePath folder;
    Check(GetDiskKit().GetPreferencesFolder(NSZubrik::kCompanyName, NSZubrik::kProductName, folder));
    return folder;
}

bool FileExists(const TFilePath& path)
{
    bool exists = false;
    Check(GetDiskKit().Exists(path, exists));
    return exists;
}

void CreateFile(const TFilePath& path, TFourCC type)
{
    Check(GetDiskKit().Create(path, type, kCreatorCode));
}

std::unique_ptr<IOpenFile> OpenFile(const TFilePath& path, EOpenMode mode)
{
    std::unique_ptr<IOpenFile> file;
    Check(GetDiskKit().Open(path, mode, file));
    return file;
}

void DeleteFile(const TFilePath& path)
{
    Check(GetDiskKit().Delete(path));
}

std::string GetReference(const TFilePath& path)
{
    std::string reference;
    Check(GetDiskKit().GetReference(path, reference));
    return reference;
}

TFilePath MakeFromReference(const std::string& reference)
{
    TFilePath path;
    Check(GetDiskKit().MakeFromReference(reference, path));
    return path;
}

// ---- CMediaBridge

CMediaBridge::CMediaBridge(IOpenFile& file)
{
    Attach(file);
}

void CMediaBridge::Attach(IOpenFile& file)
{
    int64_t size = 0;
    Check(file.GetSize(size));
    // Media count in 32 bits; larger files are beyond what the program reads.
    if (size > INT32_MAX) throw NSZubrik::XUnsupportedFormat();
    fFile = &file;
    fSize = int32_t(size);
    fPosition = 0;
}

void CMediaBridge::SetPosition(int32_t position)
{
    if (position < 0) throw std::range_error("negative file position");
    fPosition = position;
}

void CMediaBridge::ReadAt(int32_t position, int32_t count, void* destination)
{
    if (position < 0 || count < 0 || int64_t(position) + count > fSize) throw NSZubrik::XRead();
    if (count > 0) Check(fFile->ReadAt(position, count, destination));
    fPosition = position + count;
}

void CMediaBridge::WriteAt(int32_t position, int32_t count, const void* source)
{
    int64_t end = int64_t(position) + count;
    if (position < 0 || count < 0 || end > INT32_MAX) throw NSZubrik::XWrite();
    if (count > 0) Check(fFile->WriteAt(position, count, source));
    fSize = std::max(fSize, int32_t(end));
    fPosition = int32_t(end);
}

// ---- COpenReadFileBridge

COpenReadFileBridge::COpenReadFileBridge(const TFilePath& path)
    : fPath(path), fFile(OpenFile(path, EOpenMode::kRead))
{
    Attach(*fFile);
}

COpenReadFileBridge::~COpenReadFileBridge() = default;

// ---- CSafeFileWriter

namespace {

// A name beside the target that no other writer of this process or another
// uses at the same moment.
TFilePath TemporaryBeside(const TFilePath& target)
{
    static std::atomic<unsigned> counter {0};
    std::string name(".");
    name.append(target.filename().string());
    name.append(".saving-");
    name.append(std::to_string(getpid()));
    name.push_back('-');
    name.append(std::to_string(counter++));
    return target.parent_path() / name;
}

} // namespace

CSafeFileWriter::CSafeFileWriter(const TFilePath& target, TFourCC type)
    : fTarget(target), fTemporary(TemporaryBeside(target))
{
    CreateFile(fTemporary, type);
    try {
        fFile = OpenFile(fTemporary, EOpenMode::kReadWrite);
        fMedia = std::make_unique<CMediaBridge>(*fFile);
    } catch (...) {
        Discard();
        throw;
    }
}

CSafeFileWriter::~CSafeFileWriter()
{
    if (!fCommitted) Discard();
}

void CSafeFileWriter::Commit()
{
    if (fCommitted || !fFile) throw NSZubrik::XIllegalCallSequence();
    try {
        Check(fFile->Flush());
        TResult closed = fFile->Close();
        fFile.reset();
        Check(closed);
        Check(GetDiskKit().Replace(fTemporary, fTarget));
    } catch (...) {
        Discard();
        throw;
    }
    fCommitted = true;
}

void CSafeFileWriter::Discard() noexcept
{
    fMedia.reset();
    fFile.reset();  // closes the file when still open
    try {
        (void)GetDiskKit().Delete(fTemporary);
    } catch (...) {
    }
}

} // namespace NSDiskKitUtils
