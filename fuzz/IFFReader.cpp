// Feeds arbitrary bytes to the chunk readers, IFF and RIFF, walking every
// element by sibling steps and by lookups. Damaged input may only ever end
// in XBadFormat; anything else escaping, or a walk that disagrees with the
// child count, is a fault.
#include "app/ZubrikErrors.h"
#include "tambor/IFFFileReader.h"
#include "tambor/IFFReader.h"

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace NSTambor;

namespace {

constexpr int kMaxDepth = 48;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads the current element's data a little, so that its window is used.
void Touch(CIFFFileReader& reader)
{
    CPartialMedia& media = reader.GetCurrentMedia();
    Check(media.GetSize() >= 0);
    uint8_t bytes[16];
    const int32_t count = media.GetSize() < 16 ? media.GetSize() : 16;
    media.ReadAt(0, count, bytes);
    if (media.GetSize() >= 4)
        media.ReadAt(media.GetSize() - 4, 4, bytes);
}

// Walks the children of the current container by sibling steps (and into
// each of them), then looks the first few up again by their codes.
void Walk(CIFFFileReader& reader, int depth)
{
    const int32_t count = reader.CountChildren();
    if (!reader.EnterFirstChild()) {
        Check(count == 0);
        return;
    }
    std::vector<std::pair<EChunkKind, CFourCharCode>> codes;
    int32_t seen = 0;
    do {
        ++seen;
        Touch(reader);
        const EChunkKind kind = reader.GetCurrentKind();
        if (codes.size() < 8)
            codes.emplace_back(kind, kind == EChunkKind::kChunk ? reader.GetCurrentId()
                                                                : reader.GetCurrentType());
        if (depth < kMaxDepth)
            Walk(reader, depth + 1);
    } while (reader.EnterNextSibling());
    Check(seen == count);

    const int32_t containerDepth = reader.GetDepth();
    for (const auto& [kind, code] : codes) {
        if (kind == EChunkKind::kChunk)
            Check(reader.FindChunkMedia(code) != nullptr);
        reader.Enter(kind, code);
        Check(reader.GetCurrentKind() == kind);
        reader.Leave();
        Check(reader.GetDepth() == containerDepth);
    }
}

void WalkFile(CMedia& media, ESizeOrder order)
{
    try {
        CIFFFileReader reader(media, order);
        Walk(reader, 0);
        Check(reader.GetDepth() == 0);
        reader.TryEnterForm("AIFF");
        reader.TryEnterCat("ZBX2");
        reader.TryEnterList("INFO");
        reader.FindChunkMedia("HEAD");
    } catch (const NSZubrik::XBadFormat&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 20))
        return 0;
    COwnedMemoryMedia media(static_cast<int32_t>(size), data);
    WalkFile(media, ESizeOrder::kBigEndian);
    WalkFile(media, ESizeOrder::kLittleEndian);
    try {
        media.SetPosition(0);
        CIFFReader form(media);
        if (std::unique_ptr<CMedia> block = form.FindChunk("APPL"))
            Check(block->GetSize() <= form.GetSize());
    } catch (const NSZubrik::XBadFormat&) {
    }
    return 0;
}
