// Writing one element of a chunk file on a given parent media: the level
// class under the file writer. CRIFFWriter2 stores sizes little-endian.
#pragma once

#include "tambor/IFFLevel.h"

namespace NSTambor {

class CIFFWriter2 {
public:
    explicit CIFFWriter2(CMedia& parent) : CIFFWriter2(parent, ESizeOrder::kBigEndian) {}
    CIFFWriter2(const CIFFWriter2&) = delete;
    CIFFWriter2& operator=(const CIFFWriter2&) = delete;

    // Each writes the header at the parent's position (identifier, a size
    // placeholder and, for containers, the type) and opens the element.
    void BeginForm(const CFourCharCode& type) { Begin(EChunkKind::kForm, type); }
    void BeginCat(const CFourCharCode& type) { Begin(EChunkKind::kCat, type); }
    void BeginList(const CFourCharCode& type) { Begin(EChunkKind::kList, type); }
    void BeginChunk(const CFourCharCode& id) { Begin(EChunkKind::kChunk, id); }
    // The media through which the element's data is written.
    CMedia& GetMedia();
    // Patches the size, returns the parent to the end and pads odd data.
    void End();
    bool IsOpen() const { return fLevel.has_value(); }

protected:
    CIFFWriter2(CMedia& parent, ESizeOrder order, bool padOddSize = true)
        : fParent(parent), fOrder(order), fPadOddSize(padOddSize)
    {
    }
    void Begin(EChunkKind kind, const CFourCharCode& idOrType);

private:
    CMedia& fParent;
    ESizeOrder fOrder;
    bool fPadOddSize;
    std::optional<CIFFFileLevel> fLevel;
};

// The same with little-endian sizes; its form is "RIFF".
class CRIFFWriter2 : public CIFFWriter2 {
public:
    explicit CRIFFWriter2(CMedia& parent) : CIFFWriter2(parent, ESizeOrder::kLittleEndian) {}
    void BeginRiff(const CFourCharCode& type) { BeginForm(type); }
};

} // namespace NSTambor
