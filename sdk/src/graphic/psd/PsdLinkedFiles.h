// The files a document keeps for its placed layers (smart objects): the records of the linked
// file blocks among the blocks after the layer information ("lnkD", "lnk2", "lnk3" and "lnkE").
//
// Each block holds a sequence of records, each an 8-byte length and the record's bytes, padded
// to a multiple of 4:
// - a type ("liFD": the file's bytes are in the document; "liFE": the file lives outside it;
//   "liFA": an alias of one), a version (1 to 7), the file's unique id (a Pascal string, which
//   the placements name), its original name (a Unicode string: a count of UTF-16 units and the
//   units), its file type and creator (four characters each), the length of its data (8 bytes)
//   and a flag that says whether a versioned descriptor of the parameters it was opened with
//   follows;
// - for "liFE", a versioned descriptor of where the file lives ("fullPath", "relPath",
//   "originalPath", "Nm  "), from version 4 its date (a 4-byte year, a byte each for month, day,
//   hour and minute, the seconds as a double) and then its size (8 bytes);
// - the data ("liFD" always; "liFE" from version 3, where the editor writes none);
// - from version 5 the id of the document it was made from (a Unicode string), from version 6
//   a date of its library asset (a double), from version 7 whether that asset is locked.
//
// The data of an embedded file may be large (hundreds of megabytes in print documents): it is
// never read here. The records keep where it lies, and the reader copies it in pieces when it is
// written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "graphic/psd/PsdLayerProperties.h"
#include "stream/Stream.h"

namespace sdk {
namespace graphic {

struct PsdLinkedFile {
    std::string id;        // the unique id the placements name ("5a96c404-ab9c-...")
    std::u16string name;   // the file's original name, without the zero units that end it
    char type[4] = {};     // its file type ("png ", "8BPS", "8BPB"), as stored
    char creator[4] = {};  // its creator ("8BIM", or zeros)
    uint32_t version = 0;
    // Its bytes are in the document ("liFD"); otherwise it lives outside it ("liFE", "liFA").
    bool embedded = false;
    bool alias = false;  // "liFA": no more is said of where it lives
    // Where an embedded file's bytes lie in the document, and how many there are.
    int64_t dataStart = 0;
    int64_t dataLength = 0;
    // Where a linked file ("liFE") lives: the full path (often a "file://" address) or, when
    // the record names none, the relative or the original path; and the path relative to the
    // document as the record says it. Empty when the record says nothing.
    std::u16string externalPath;
    std::u16string relativePath;
    int64_t externalSize = 0;  // the linked file's size as the record says it
};

// Reads the records of the linked file block at place from stream into files, at most
// kMostLinkedFiles of them in all. A damaged record ends the block: its tag goes into damage
// (when damage is still empty) and the records before it are kept. The tags:
// "ImageLoaderPSD::LinkedFile:600" a record whose length runs past its block, ":610" a record
// that ends inside its fields, ":620" a record of an unknown type or version 0, ":630" data
// whose length runs past its record, ":640" a damaged descriptor, ":650" more records than
// kMostLinkedFiles. The stream is left anywhere.
void ReadPsdLinkedFiles(stream::stream_in& stream, const PsdBlockPlace& place,
                        std::vector<PsdLinkedFile>& files, std::string& damage);

// More files than a document links; every record takes at least 8 bytes of its block, so this
// bounds the memory of a block of many tiny records long before the block's size does.
const size_t kMostLinkedFiles = 1 << 16;

// Whether key is the key of a linked file block.
bool IsPsdLinkedFileBlock(const char* key);

// What a damage tag of ReadPsdLinkedFiles means, in words ("a record ends inside its fields");
// empty for another tag.
std::string PsdLinkedFileDamage(const std::string& tag);

}  // namespace graphic
}  // namespace sdk
