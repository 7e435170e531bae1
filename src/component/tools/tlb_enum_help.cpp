// Build tool (runs on the build machine): completes a type library written by widl with
// the two things the control's library declares and widl refuses to compile:
//  - every enumeration member gets a help string equal to its own name;
//  - every dispatch-only interface (the event interface) is marked non-extensible.
//
//   tlb_enum_help input.tlb output.tlb
//
// Each member record of an enumeration grows by its help-context and help-string fields,
// the strings go at the end of the string segment, and every file offset behind them
// (later segments, member blocks) moves accordingly. The tool checks that the file has
// the layout widl writes (segments back to back, member blocks in type order) and fails
// rather than write anything it does not fully understand.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kMagic = 0x5446534D;  // "MSFT"
constexpr std::size_t kHeaderBytes = 0x54;
constexpr int kSegments = 15;
constexpr int kSegTypeInfo = 0;
constexpr int kSegName = 7;
constexpr int kSegString = 8;
constexpr std::size_t kTypeInfoBaseBytes = 0x64;
constexpr std::uint32_t kRecordWithHelpString = 0x1C;
constexpr std::uint32_t kTkindDispatch = 4;
constexpr std::size_t kTypeFlagsField = 0x30;
constexpr std::uint32_t kTypeFlagNonExtensible = 0x80;

[[noreturn]] void Fail(const std::string& why) {
    throw std::runtime_error(why);
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    if (at + 4 > b.size()) Fail("read past the end of the file");
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Append32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

struct Segment {
    std::int32_t offset;
    std::uint32_t length;
};

Bytes Patch(const Bytes& in) {
    if (Get32(in, 0) != kMagic) Fail("not an MSFT type library");
    const std::uint32_t varflags = Get32(in, 0x14);
    const std::uint32_t typeCount = Get32(in, 0x20);
    const std::size_t offsetsAt = kHeaderBytes + ((varflags & 0x100) ? 4 : 0);
    const std::size_t segdirAt = offsetsAt + typeCount * 4;
    std::vector<Segment> seg(kSegments);
    for (int i = 0; i < kSegments; ++i)
        seg[i] = {static_cast<std::int32_t>(Get32(in, segdirAt + 16 * i)), Get32(in, segdirAt + 16 * i + 4)};
    const std::size_t prefixEnd = segdirAt + 16 * kSegments;

    // Segments must follow the directory back to back.
    std::map<std::int32_t, int> byOffset;
    for (int i = 0; i < kSegments; ++i)
        if (seg[i].offset != -1) byOffset[seg[i].offset] = i;
    std::size_t expected = prefixEnd;
    for (const auto& [offset, index] : byOffset) {
        if (static_cast<std::size_t>(offset) != expected) Fail("segments are not back to back");
        expected += seg[index].length;
    }
    if (seg[kSegTypeInfo].offset == -1 || seg[kSegName].offset == -1) Fail("no type or name segment");
    const std::size_t blocksStart = expected;

    // New strings, appended to the string segment; identical texts share one entry.
    Bytes strings;
    if (seg[kSegString].offset != -1)
        strings.assign(in.begin() + seg[kSegString].offset,
                       in.begin() + seg[kSegString].offset + seg[kSegString].length);
    std::map<std::string, std::uint32_t> added;
    auto addString = [&](const std::string& text) {
        const auto found = added.find(text);
        if (found != added.end()) return found->second;
        const auto offset = static_cast<std::uint32_t>(strings.size());
        strings.push_back(static_cast<std::uint8_t>(text.size() & 0xFF));
        strings.push_back(static_cast<std::uint8_t>(text.size() >> 8));
        strings.insert(strings.end(), text.begin(), text.end());
        while (strings.size() % 4) strings.push_back(0x57);  // the padding widl and MIDL use
        added[text] = offset;
        return offset;
    };
    auto nameAt = [&](std::uint32_t nameOffset) {
        const std::size_t at = seg[kSegName].offset + nameOffset;
        const std::uint32_t length = Get32(in, at + 8) & 0xFF;
        if (nameOffset + 12 + length > seg[kSegName].length) Fail("name outside the name segment");
        return std::string(in.begin() + at + 12, in.begin() + at + 12 + length);
    };

    // Member blocks, one per type with members, in type order right after the segments.
    std::vector<Bytes> blocks(typeCount);
    std::size_t originalPos = blocksStart;
    for (std::uint32_t t = 0; t < typeCount; ++t) {
        const std::size_t base = seg[kSegTypeInfo].offset + Get32(in, offsetsAt + 4 * t);
        if (base + kTypeInfoBaseBytes > seg[kSegTypeInfo].offset + seg[kSegTypeInfo].length)
            Fail("type outside segment");
        const std::uint32_t memoffset = Get32(in, base + 4);
        const std::uint32_t elements = Get32(in, base + 0x18);
        const std::uint32_t funcs = elements & 0xFFFF, vars = elements >> 16, count = funcs + vars;
        if (memoffset != originalPos) Fail("member blocks are not in type order");
        if (count == 0) continue;
        const std::uint32_t recordBytes = Get32(in, memoffset);
        const std::size_t records = memoffset + 4, tables = records + recordBytes;
        const std::size_t blockEnd = tables + 12 * count;
        if (blockEnd > in.size()) Fail("member block past the end of the file");
        originalPos = blockEnd;
        Bytes block(in.begin() + memoffset, in.begin() + blockEnd);
        const bool isEnum = (Get32(in, base) & 0xF) == 0;
        if (!isEnum || funcs != 0) {
            blocks[t] = std::move(block);
            continue;
        }
        // Rebuild the records of the enumeration with the two help fields.
        Bytes rebuilt;
        std::vector<std::uint32_t> newOffsets(count);
        for (std::uint32_t v = 0; v < vars; ++v) {
            const std::uint32_t recordOffset = Get32(in, tables + 8 * count + 4 * v);
            const std::size_t at = records + recordOffset;
            const std::uint32_t info = Get32(in, at);
            const std::uint32_t length = info & 0xFFFF;
            if (length < 0x14 || recordOffset + length > recordBytes) Fail("bad member record");
            newOffsets[v] = static_cast<std::uint32_t>(rebuilt.size());
            const std::string name = nameAt(Get32(in, tables + 4 * count + 4 * v));
            Bytes record(in.begin() + at, in.begin() + at + length);
            if (length < 0x18) Append32(record, 0);  // help context
            if (length < kRecordWithHelpString)
                Append32(record, addString(name));
            else if (Get32(record, 0x18) == 0xFFFFFFFF)
                Put32(record, 0x18, addString(name));
            Put32(record, 0, (info & 0xFFFF0000) | static_cast<std::uint32_t>(record.size()));
            rebuilt.insert(rebuilt.end(), record.begin(), record.end());
        }
        Bytes newBlock;
        Append32(newBlock, static_cast<std::uint32_t>(rebuilt.size()));
        newBlock.insert(newBlock.end(), rebuilt.begin(), rebuilt.end());
        // Member ids and names unchanged, record offsets new.
        newBlock.insert(newBlock.end(), in.begin() + tables, in.begin() + tables + 8 * count);
        for (std::uint32_t v = 0; v < count; ++v) Append32(newBlock, newOffsets[v]);
        blocks[t] = std::move(newBlock);
    }
    if (originalPos != in.size()) Fail("unexpected bytes after the member blocks");

    // Write: prefix, segments in file order (the string segment grown), then the blocks.
    Bytes out(in.begin(), in.begin() + prefixEnd);
    std::vector<std::size_t> newSegmentOffset(kSegments);
    for (const auto& [offset, index] : byOffset) {
        newSegmentOffset[index] = out.size();
        Put32(out, segdirAt + 16 * index, static_cast<std::uint32_t>(out.size()));
        if (index == kSegString) {
            out.insert(out.end(), strings.begin(), strings.end());
            Put32(out, segdirAt + 16 * index + 4, static_cast<std::uint32_t>(strings.size()));
        } else {
            out.insert(out.end(), in.begin() + offset, in.begin() + offset + seg[index].length);
        }
    }
    if (seg[kSegString].offset == -1 && !strings.empty()) Fail("library has no string segment");
    for (std::uint32_t t = 0; t < typeCount; ++t) {
        const std::size_t base = newSegmentOffset[kSegTypeInfo] + Get32(in, offsetsAt + 4 * t);
        if ((Get32(out, base) & 0xF) == kTkindDispatch)
            Put32(out, base + kTypeFlagsField, Get32(out, base + kTypeFlagsField) | kTypeFlagNonExtensible);
        Put32(out, base + 4, static_cast<std::uint32_t>(out.size()));
        out.insert(out.end(), blocks[t].begin(), blocks[t].end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s input.tlb output.tlb\n", argv[0]);
        return 2;
    }
    try {
        std::ifstream input(argv[1], std::ios::binary);
        if (!input) Fail(std::string("cannot read ") + argv[1]);
        const Bytes in((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
        const Bytes out = Patch(in);
        std::ofstream output(argv[2], std::ios::binary | std::ios::trunc);
        output.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
        if (!output) Fail(std::string("cannot write ") + argv[2]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlb_enum_help: %s\n", e.what());
        return 1;
    }
    return 0;
}
