#include "cli/RunLog.h"

#include <cstring>
#include <exception>

#include "cli/Terminal.h"
#include "conversion/output/JsonText.h"
#include "conversion/output/OutputFiles.h"
#include "files/FileSystem.h"
#include "files/NativeText.h"
#include "files/Path.h"
#include "stream/StreamFile.h"

namespace {

// The version of the JSON objects: raised when a field changes its meaning or goes, not when
// one is added.
const int kJsonVersion = 1;

uint32_t BigEndian32(const unsigned char* bytes)
{
    return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
           static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

int32_t LittleEndian32(const unsigned char* bytes)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) |
                                static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 |
                                static_cast<uint32_t>(bytes[3]) << 24);
}

// The picture size that a PNG's IHDR, an MNG's MHDR or a BMP's info header gives; false for
// anything else.
bool PictureSize(const unsigned char* head, size_t size, int32_t& width, int32_t& height)
{
    const bool png = size >= 24 && std::memcmp(head, "\x89PNG\r\n\x1a\n", 8) == 0 &&
                     std::memcmp(head + 12, "IHDR", 4) == 0;
    const bool mng = size >= 24 && std::memcmp(head, "\x8aMNG\r\n\x1a\n", 8) == 0 &&
                     std::memcmp(head + 12, "MHDR", 4) == 0;
    if (png || mng) {
        const uint32_t w = BigEndian32(head + 16);
        const uint32_t h = BigEndian32(head + 20);
        if (w > INT32_MAX || h > INT32_MAX)
            return false;
        width = static_cast<int32_t>(w);
        height = static_cast<int32_t>(h);
        return true;
    }
    if (size >= 26 && head[0] == 'B' && head[1] == 'M' && LittleEndian32(head + 14) >= 40) {
        width = LittleEndian32(head + 18);
        const int32_t h = LittleEndian32(head + 22);  // negative: rows top-down
        height = h == INT32_MIN ? 0 : h < 0 ? -h : h;
        return width > 0;
    }
    return false;
}

// A path as the system names the file: where "/" separates folders, a "\\" that a layer file's
// name scheme put in is one too.
std::string ShownPath(const std::string& path)
{
    std::string shown = path;
    if (sdk::files::kPathSeparator == '/') {
        for (char& c : shown) {
            if (c == '\\')
                c = '/';
        }
    }
    return shown;
}

// JSON strings are UTF-8, whatever this system's byte strings are.
void Text(JsonText& json, const char* key, const std::string& native)
{
    json.Key(key);
    json.String(sdk::files::NativeToUtf8(native));
}

void Head(JsonText& json, const char* type)
{
    json.BeginObject(true);
    json.Key("version");
    json.Number(kJsonVersion);
    json.Key("type");
    json.String(type);
}

std::string Line(JsonText& json)
{
    json.EndObject();
    return json.Value() + "\n";
}

}  // namespace

WrittenFile MeasureWritten(const WrittenOutput& output)
{
    WrittenFile file;
    file.output = output;
    file.bytes = sdk::files::GetFileSize64(output.output);
    // An embedded file is whatever the document keeps: its size is not looked for.
    if (output.kind == OutputKind::Text || output.kind == OutputKind::Manifest ||
        output.kind == OutputKind::SmartObject)
        return file;
    // A file shorter than the head leaves the rest zero, which no header matches.
    unsigned char head[26] = {};
    try {
        sdk::stream::file_in stream(output.output);
        stream.OpenRead();
        stream.Read(head, sizeof head);
    } catch (const std::exception&) {
        return file;
    }
    if (!PictureSize(head, sizeof head, file.width, file.height))
        file.width = file.height = 0;
    return file;
}

RunLog::RunLog(LogStyle style, bool statusLines, std::FILE* out)
    : style_(style), statusLines_(statusLines), out_(out)
{
}

void RunLog::Out(const std::string& text)
{
    if (!text.empty())
        terminal::Write(out_, text);
}

void RunLog::Skipped(const SkippedInput& skipped)
{
    ++counts_.skipped;
    if (style_ != LogStyle::Json)
        return;
    JsonText json;
    Head(json, "skipped");
    Text(json, "input", skipped.path);
    Text(json, "reason", skipped.why);
    Out(Line(json));
}

void RunLog::Missing(const std::string& path)
{
    if (style_ == LogStyle::WindowLines)
        return;  // the window's summary does not count them
    ++counts_.failed;
    if (style_ != LogStyle::Json)
        return;
    JsonText json;
    Head(json, "failed");
    Text(json, "input", path);
    json.Key("tag");
    json.Null();
    Text(json, "explanation", "no such file or folder");
    Out(Line(json));
}

void RunLog::File(const FileOutcome& outcome)
{
    const bool gave_nothing = outcome.ok && outcome.written.empty();
    if (!outcome.ok)
        ++counts_.failed;
    else if (gave_nothing && style_ != LogStyle::WindowLines)
        ++counts_.skipped;
    else
        ++counts_.converted;
    counts_.outputs += static_cast<int>(outcome.written.size());

    std::string text;
    switch (style_) {
    case LogStyle::WindowLines:
        for (const std::string& line : outcome.windowLines)
            text += line + "\n";
        break;
    case LogStyle::OutputLines:
        for (const WrittenFile& file : outcome.written)
            text += sdk::files::NativeToUtf8(file.output.input) + " \xE2\x86\x92 " +
                    sdk::files::NativeToUtf8(ShownPath(file.output.output)) + "\n";
        break;
    case LogStyle::Json:
        for (const WrittenFile& file : outcome.written) {
            JsonText json;
            Head(json, "output");
            Text(json, "input", file.output.input);
            Text(json, "output", ShownPath(file.output.output));
            json.Key("kind");
            json.String(OutputKindName(file.output.kind));
            if (file.output.layer > 0) {
                json.Key("layer");
                json.Number(file.output.layer);
            }
            if (file.width > 0) {
                json.Key("width");
                json.Number(file.width);
                json.Key("height");
                json.Number(file.height);
            }
            json.Key("bytes");
            json.Number(static_cast<int64_t>(file.bytes));
            text += Line(json);
        }
        if (!outcome.ok || gave_nothing) {
            JsonText json;
            Head(json, outcome.ok ? "skipped" : "failed");
            Text(json, "input", outcome.input);
            if (!outcome.ok) {
                json.Key("tag");
                if (outcome.tag.empty())
                    json.Null();
                else
                    json.String(outcome.tag);
            }
            Text(json, outcome.ok ? "reason" : "explanation", outcome.explanation);
            text += Line(json);
        }
        break;
    }
    if (statusLines_ || style_ == LogStyle::Json)
        Out(text);
    if (!outcome.note.empty())
        terminal::Write(stderr, outcome.note);
}

void RunLog::Summary(double seconds)
{
    const RunCounts& counts = counts_;
    if (style_ != LogStyle::Json)
        return;
    JsonText json;
    Head(json, "summary");
    json.Key("converted");
    json.Number(counts.converted);
    json.Key("failed");
    json.Number(counts.failed);
    json.Key("skipped");
    json.Number(counts.skipped);
    json.Key("outputs");
    json.Number(counts.outputs);
    json.Key("seconds");
    json.Decimal(seconds, 3);
    Out(Line(json));
}
