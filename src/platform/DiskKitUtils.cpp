#include "platform/DiskKitUtils.h"

#include <cstring>

#include "app/ProductInfo.h"
#include "app/ResultCodes.h"
#include "app/ZubrikErrors.h"

#include <atomic>
#include <cstring>
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

CMediaBridge::CMediaBridge(IOpenFile& file, bool gatherWrites) : fGatherWrites(gatherWrites)
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
    Flush();
    auto* out = static_cast<uint8_t*>(destination);
    int32_t done = 0;
    while (done < count) {
        const int32_t at = position + done;
        const int64_t offset = int64_t(at) - fAheadStart;
        if (offset < 0 || offset >= int64_t(fAhead.size())) {
            if (count - done >= kBlockBytes) {
                // Large reads go straight to the caller's memory.
                Check(fFile->ReadAt(at, count - done, out + done));
                break;
            }
            ReadAhead(at);
            continue;
        }
        const int32_t piece = int32_t(std::min<int64_t>(count - done, int64_t(fAhead.size()) - offset));
        std::memcpy(out + done, fAhead.data() + offset, size_t(piece));
        done += piece;
    }
    fPosition = position + count;
}

void CMediaBridge::ReadAhead(int32_t position)
{
    const int32_t length = std::min(kBlockBytes, fSize - position);
    fAhead.resize(size_t(length));
    fAheadStart = position;
    try {
        Check(fFile->ReadAt(position, length, fAhead.data()));
    } catch (...) {
        fAhead.clear();
        throw;
    }
}

void CMediaBridge::WriteAt(int32_t position, int32_t count, const void* source)
{
    int64_t end = int64_t(position) + count;
    if (position < 0 || count < 0 || end > INT32_MAX) throw NSZubrik::XWrite();
    if (count > 0) {
        fAhead.clear();
        // A write that continues the gathered bytes or lands among them (a
        // chunk writer patching a size it has just written) joins them.
        const int64_t pendingEnd = int64_t(fPendingStart) + int64_t(fPending.size());
        const bool joins = !fPending.empty() && position >= fPendingStart && position <= pendingEnd &&
                           end - fPendingStart <= kBlockBytes;
        if (!joins) Flush();
        if (!joins && (count >= kBlockBytes || !fGatherWrites)) {
            Check(fFile->WriteAt(position, count, source));
        } else {
            if (fPending.empty()) {
                fPending.reserve(size_t(kBlockBytes));
                fPendingStart = position;
            }
            const size_t offset = size_t(position - fPendingStart);
            fPending.resize(std::max(fPending.size(), offset + size_t(count)));
            std::memcpy(fPending.data() + offset, source, size_t(count));
        }
    }
    fSize = std::max(fSize, int32_t(end));
    fPosition = int32_t(end);
}

void CMediaBridge::Flush()
{
    if (fPending.empty()) return;
    // Gathered bytes are given up whether or not the file takes them: a
    // failed write fails the save that made them.
    std::vector<uint8_t> pending;
    pending.swap(fPending);
    Check(fFile->WriteAt(fPendingStart, int32_t(pending.size()), pending.data()));
    pending.clear();
    fPending.swap(pending);
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
        fMedia = std::make_unique<CMediaBridge>(*fFile, true);
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
        fMedia->Flush();
        Check(fFile->Flush());
        TResult closed = fFile->Close();
        fFile.reset();
        Check(closed);
        if (CWriteTransaction* transaction = CWriteTransaction::GetOpen())
            transaction->Add(fTemporary, fTarget);
        else
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

// ---- CWriteTransaction

namespace {

CWriteTransaction* gOpenTransaction = nullptr;

} // namespace

CWriteTransaction::CWriteTransaction()
{
    if (gOpenTransaction != nullptr) throw NSZubrik::XIllegalCallSequence();
    gOpenTransaction = this;
}

CWriteTransaction::~CWriteTransaction()
{
    gOpenTransaction = nullptr;
    for (const SPending& pending : fPending) {
        try {
            (void)GetDiskKit().Delete(pending.fTemporary);
        } catch (...) {
        }
    }
}

CWriteTransaction* CWriteTransaction::GetOpen() { return gOpenTransaction; }

CWriteTransaction::CPause::CPause() : fPaused(gOpenTransaction) { gOpenTransaction = nullptr; }

CWriteTransaction::CPause::~CPause() { gOpenTransaction = fPaused; }

void CWriteTransaction::Add(const TFilePath& temporary, const TFilePath& target)
{
    // A second write of one target within the job replaces the first.
    for (SPending& pending : fPending)
        if (pending.fTarget == target) {
            (void)GetDiskKit().Delete(pending.fTemporary);
            pending.fTemporary = temporary;
            return;
        }
    fPending.push_back({temporary, target});
}

std::vector<TFilePath> CWriteTransaction::GetTargets() const
{
    std::vector<TFilePath> targets;
    for (const SPending& pending : fPending)
        targets.push_back(pending.fTarget);
    return targets;
}

void CWriteTransaction::Commit(const std::function<void()>& lastCheck)
{
    if (lastCheck) lastCheck();
    // Past the check the job has written: every move is attempted, and the
    // first failure is reported once all that can move have moved.
    std::vector<SPending> pending;
    pending.swap(fPending);
    TResult failure = kSuccess;
    for (const SPending& file : pending) {
        const TResult result = GetDiskKit().Replace(file.fTemporary, file.fTarget);
        if (result != kSuccess) {
            if (failure == kSuccess) failure = result;
            (void)GetDiskKit().Delete(file.fTemporary);
        }
    }
    Check(failure);
}

} // namespace NSDiskKitUtils
