// The program's side of the file library: the library object, its result
// codes turned into exceptions, open files shown as media, and a writer that
// replaces a file only once the new contents are complete.
#pragma once

#include "platform/DiskKit.h"
#include "tambor/Media.h"

#include <functional>
#include <memory>
#include <vector>
#include <string>

namespace NSDiskKitUtils {

using NSDiskKit::TFilePath;
using NSDiskKit::TFourCC;

constexpr TFourCC MakeFourCC(const char (&code)[5])
{
    return TFourCC(uint8_t(code[0])) << 24 | TFourCC(uint8_t(code[1])) << 16 |
           TFourCC(uint8_t(code[2])) << 8 | TFourCC(uint8_t(code[3]));
}

// The creator code carried by every file the program creates.
inline constexpr TFourCC kCreatorCode = MakeFourCC("Zbrk");

// The library object, created on first use and kept until the process ends
// (or until ReleaseDiskKit).
NSDiskKit::IDiskKit& GetDiskKit();
void ReleaseDiskKit();

// Throws the exception that belongs to a result code other than success.
void Check(NSDiskKit::TResult result);

// Throwing forms of the library calls.
void SplitPath(const TFilePath& path, TFilePath& folder, std::string& name);
TFilePath MakePath(const TFilePath& folder, const std::string& name);
// The program's per-user settings folder, created when missing.
TFilePath GetPreferencesFolder();
bool FileExists(const TFilePath& path);
// Creates (or empties) the file with the type code and the program's creator.
void CreateFile(const TFilePath& path, TFourCC type);
std::unique_ptr<NSDiskKit::IOpenFile> OpenFile(const TFilePath& path, NSDiskKit::EOpenMode mode);
void DeleteFile(const TFilePath& path);
std::string GetReference(const TFilePath& path);
TFilePath MakeFromReference(const std::string& reference);

// An open file shown as a media. The file stays the caller's. Reads past
// the end fail with XRead; writes grow the file.
//
// The codecs and chunk writers read and write a few kilobytes at a time, so
// the bridge gathers consecutive writes and reads ahead in blocks of
// kBlockBytes: one system call per block instead of one per piece. A bridge
// made to gather writes hands them to the file on Flush, before any read, or
// when a write goes elsewhere, so its owner calls Flush before it trusts the
// file to be complete; any other bridge writes at once.
class CMediaBridge : public NSTambor::CMedia {
public:
    static constexpr int32_t kBlockBytes = 256 * 1024;

    explicit CMediaBridge(NSDiskKit::IOpenFile& file, bool gatherWrites = false);

    int32_t GetSize() const override { return fSize; }
    int32_t GetPosition() const override { return fPosition; }
    void SetPosition(int32_t position) override;
    void ReadAt(int32_t position, int32_t count, void* destination) override;
    void WriteAt(int32_t position, int32_t count, const void* source) override;
    // Hands the gathered writes to the file.
    void Flush();

protected:
    CMediaBridge() = default;
    void Attach(NSDiskKit::IOpenFile& file);

private:
    void ReadAhead(int32_t position);

    NSDiskKit::IOpenFile* fFile = nullptr;
    bool fGatherWrites = false;
    int32_t fSize = 0;
    int32_t fPosition = 0;
    std::vector<uint8_t> fPending;  // writes from fPendingStart on, in order
    int32_t fPendingStart = 0;
    std::vector<uint8_t> fAhead;     // the file's bytes from fAheadStart on
    int32_t fAheadStart = 0;
};

// A file opened for reading, owned and shown as a media; closed with it.
class COpenReadFileBridge : public CMediaBridge {
public:
    explicit COpenReadFileBridge(const TFilePath& path);
    ~COpenReadFileBridge() override;
    COpenReadFileBridge(const COpenReadFileBridge&) = delete;
    COpenReadFileBridge& operator=(const COpenReadFileBridge&) = delete;

    const TFilePath& GetPath() const { return fPath; }

private:
    TFilePath fPath;
    std::unique_ptr<NSDiskKit::IOpenFile> fFile;
};

// Writes a file through a temporary file beside it. Commit hands the bytes
// to the disk and moves the temporary file over the target (or, while a
// CWriteTransaction is open, hands the finished temporary file to it); a
// writer destroyed without a successful Commit removes the temporary file
// and leaves the target as it was.
class CSafeFileWriter {
public:
    CSafeFileWriter(const TFilePath& target, TFourCC type);
    ~CSafeFileWriter();
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    NSTambor::CMedia& GetMedia() { return *fMedia; }
    void Commit();

    const TFilePath& GetTarget() const { return fTarget; }
    const TFilePath& GetTemporary() const { return fTemporary; }

private:
    void Discard() noexcept;

    TFilePath fTarget;
    TFilePath fTemporary;
    std::unique_ptr<NSDiskKit::IOpenFile> fFile;
    std::unique_ptr<CMediaBridge> fMedia;
    bool fCommitted = false;
};

// The files one job writes, moved over their targets together. While a
// transaction is open, every CSafeFileWriter's Commit completes its
// temporary file and leaves it here instead of moving it. Commit runs the
// job's last check (which may throw to call the job off) and then moves
// every file: the check is the one point of no return. A transaction ended
// without Commit removes the temporary files, so every target stays exactly
// as it was. One transaction at a time; not for use across threads.
class CWriteTransaction {
public:
    CWriteTransaction();
    ~CWriteTransaction();
    CWriteTransaction(const CWriteTransaction&) = delete;
    CWriteTransaction& operator=(const CWriteTransaction&) = delete;

    // The open transaction, or null.
    static CWriteTransaction* GetOpen();
    // Takes over a finished temporary file for target.
    void Add(const TFilePath& temporary, const TFilePath& target);
    // The targets handed in so far, in order.
    std::vector<TFilePath> GetTargets() const;
    // lastCheck runs before the first file moves; when it throws nothing
    // moves and the files stay pending (the destructor removes them).
    void Commit(const std::function<void()>& lastCheck = {});

    // For its lifetime, files are written straight to their targets even
    // inside a transaction: scratch files that a job reads back before it
    // ends (the pieces packed into an archive) are not outputs.
    class CPause {
    public:
        CPause();
        ~CPause();
        CPause(const CPause&) = delete;
        CPause& operator=(const CPause&) = delete;

    private:
        CWriteTransaction* fPaused;
    };

private:
    struct SPending {
        TFilePath fTemporary;
        TFilePath fTarget;
    };
    std::vector<SPending> fPending;
};

} // namespace NSDiskKitUtils
