#include "graphic/psd/PsdLinkedFiles.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "debug/Error.h"
#include "graphic/psd/PsdDescriptor.h"
#include "graphic/psd/PsdFieldReader.h"
#include "stream/ByteOrder.h"

namespace sdk {
namespace graphic {

namespace {

const char kPastBlock[] = "ImageLoaderPSD::LinkedFile:600";
const char kCutShort[] = "ImageLoaderPSD::LinkedFile:610";
const char kUnknownType[] = "ImageLoaderPSD::LinkedFile:620";
const char kPastRecord[] = "ImageLoaderPSD::LinkedFile:630";
const char kDamagedDescriptor[] = "ImageLoaderPSD::LinkedFile:640";
const char kTooMany[] = "ImageLoaderPSD::LinkedFile:650";

// The fields before a record's data are read into memory: first the record's first
// kUsualFields bytes, which hold them in every real record (its descriptors take a few kilobytes
// with the alias of a linked file), and only when they run past those, its first kLargestFields.
const int64_t kUsualFields = 64 << 10;
const int64_t kLargestFields = 4 << 20;

// The text item of a descriptor, as UTF-16; empty when it has none.
std::u16string WideText(const PsdDescriptorValue& descriptor, const char* key)
{
    const PsdDescriptorValue* item = descriptor.Find(key);
    return item && item->type == PsdDescriptorValue::Type::Text ? item->wide : std::u16string();
}

// Reads the record of length bytes at start (its length field read already) from its first
// bytes. Raises the tags of ReadPsdLinkedFiles.
PsdLinkedFile ReadFields(const std::vector<uint8_t>& bytes, int64_t start, int64_t length)
{
    PsdFieldReader fields(bytes.data(), bytes.size(), kCutShort, kDamagedDescriptor);

    PsdLinkedFile file;
    const uint8_t* type = fields.Take(4);
    file.embedded = memcmp(type, "liFD", 4) == 0;
    file.alias = memcmp(type, "liFA", 4) == 0;
    const bool external = memcmp(type, "liFE", 4) == 0;
    file.version = fields.U32();
    if ((!file.embedded && !file.alias && !external) || file.version == 0)
        throw debug::runtime_error(kUnknownType);
    file.id = fields.Pascal();
    file.name = fields.Unicode();
    memcpy(file.type, fields.Take(4), 4);
    memcpy(file.creator, fields.Take(4), 4);
    const uint64_t dataLength = fields.U64();
    // The parameters the file was opened with, when the flag says they follow.
    if (fields.U8() != 0)
        fields.Descriptor();
    if (external) {
        const PsdDescriptorValue where = fields.Descriptor();
        file.relativePath = WideText(where, "relPath");
        for (const char* key : {"fullPath", "relPath", "originalPath", "Nm  "}) {
            file.externalPath = WideText(where, key);
            if (!file.externalPath.empty())
                break;
        }
        // The date the linked file was last changed.
        if (file.version > 3)
            fields.Take(16);
        file.externalSize = static_cast<int64_t>(std::min<uint64_t>(fields.U64(), INT64_MAX));
    }
    // What follows the data (another document's id, a library asset's date and lock) says
    // nothing of the file itself, and the record's length says where the next one starts.
    if (!file.alias) {
        if (dataLength > static_cast<uint64_t>(length) - fields.At())
            throw debug::runtime_error(kPastRecord);
        file.dataStart = start + static_cast<int64_t>(fields.At());
        file.dataLength = static_cast<int64_t>(dataLength);
    }
    return file;
}

PsdLinkedFile ReadRecord(stream::stream_in& stream, int64_t start, int64_t length)
{
    std::vector<uint8_t> bytes;
    for (const int64_t most : {kUsualFields, kLargestFields}) {
        bytes.assign(static_cast<size_t>(std::min(length, most)), 0);
        stream.SetPos(static_cast<int32_t>(start));
        if (!bytes.empty())
            stream.Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
        try {
            return ReadFields(bytes, start, length);
        } catch (const debug::runtime_error&) {
            // Fields that run past the bytes read may end within the record's further bytes.
            if (length <= most || most == kLargestFields)
                throw;
        }
    }
    return ReadFields(bytes, start, length);
}

}  // namespace

bool IsPsdLinkedFileBlock(const char* key)
{
    for (const char* entry : {"lnkD", "lnk2", "lnk3", "lnkE"}) {
        if (memcmp(key, entry, 4) == 0)
            return true;
    }
    return false;
}

void ReadPsdLinkedFiles(stream::stream_in& stream, const PsdBlockPlace& place,
                        std::vector<PsdLinkedFile>& files, std::string& damage)
{
    // Every record moves the position on by at least its 8-byte length field.
    const int64_t end = place.start + place.length;
    int64_t position = place.start;
    try {
        while (end - position >= 8) {
            uint8_t field[8];
            stream.SetPos(static_cast<int32_t>(position));
            stream.Read(field, 8);
            const uint64_t length = (static_cast<uint64_t>(stream::BigEndian32(field)) << 32) |
                                    stream::BigEndian32(field + 4);
            position += 8;
            if (length > static_cast<uint64_t>(end - position))
                throw debug::runtime_error(kPastBlock);
            if (files.size() >= kMostLinkedFiles)
                throw debug::runtime_error(kTooMany);
            files.push_back(ReadRecord(stream, position, static_cast<int64_t>(length)));
            position = std::min(end, position + (static_cast<int64_t>(length) + 3) / 4 * 4);
        }
    } catch (const debug::runtime_error& error) {
        if (damage.empty())
            damage = error.what();
    }
}

std::string PsdLinkedFileDamage(const std::string& tag)
{
    static const struct {
        const char* tag;
        const char* words;
    } kWords[] = {
        {kPastBlock, "a record's length runs past its block"},
        {kCutShort, "a record ends inside its fields"},
        {kUnknownType, "a record is of an unknown type"},
        {kPastRecord, "a file's data runs past its record"},
        {kDamagedDescriptor, "a descriptor of a record is damaged"},
        {kTooMany, "the document lists more linked files than a document has"},
    };
    for (const auto& entry : kWords) {
        if (tag == entry.tag)
            return entry.words;
    }
    return std::string();
}

}  // namespace graphic
}  // namespace sdk
