// The base of every record that is stored as the data of one chunk.
#pragma once

namespace NSTambor {

class CMedia;

// A serialisable chunk record. Each record class also has a constructor
// that parses the record from a media and validates every field, failing
// with XBadFormat (or its own format exception).
class CABCFormat {
public:
    // Writes the record's fields in file order at the media's position.
    virtual void Write(CMedia& media) const = 0;
    virtual ~CABCFormat() = default;
};

} // namespace NSTambor
