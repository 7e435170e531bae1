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

// The file's layout as widl writes it: header, type offsets, segment directory, the
// segments back to back, then the member blocks.
struct Layout {
    std::uint32_t typeCount = 0;
    std::size_t offsetsAt = 0, segdirAt = 0, prefixEnd = 0, blocksStart = 0;
    std::vector<Segment> seg;
    std::map<std::int32_t, int> byOffset;  // the segments in file order
};

Layout ReadLayout(const Bytes& in) {
    if (Get32(in, 0) != kMagic) Fail("not an MSFT type library");
    Layout l;
    const std::uint32_t varflags = Get32(in, 0x14);
    l.typeCount = Get32(in, 0x20);
    l.offsetsAt = kHeaderBytes + ((varflags & 0x100) ? 4 : 0);
    l.segdirAt = l.offsetsAt + l.typeCount * 4;
    l.seg.resize(kSegments);
    for (int i = 0; i < kSegments; ++i)
        l.seg[i] = {static_cast<std::int32_t>(Get32(in, l.segdirAt + 16 * i)), Get32(in, l.segdirAt + 16 * i + 4)};
    l.prefixEnd = l.segdirAt + 16 * kSegments;
    for (int i = 0; i < kSegments; ++i)
        if (l.seg[i].offset != -1) l.byOffset[l.seg[i].offset] = i;
    std::size_t expected = l.prefixEnd;
    for (const auto& [offset, index] : l.byOffset) {
        if (static_cast<std::size_t>(offset) != expected) Fail("segments are not back to back");
        expected += l.seg[index].length;
    }
    if (l.seg[kSegTypeInfo].offset == -1 || l.seg[kSegName].offset == -1) Fail("no type or name segment");
    l.blocksStart = expected;
    return l;
}

// The string segment with the help strings appended; identical texts share one entry.
class Strings {
public:
    Strings(const Bytes& in, const Segment& seg) {
        if (seg.offset != -1) bytes_.assign(in.begin() + seg.offset, in.begin() + seg.offset + seg.length);
    }
    std::uint32_t Add(const std::string& text) {
        const auto found = added_.find(text);
        if (found != added_.end()) return found->second;
        const auto offset = static_cast<std::uint32_t>(bytes_.size());
        bytes_.push_back(static_cast<std::uint8_t>(text.size() & 0xFF));
        bytes_.push_back(static_cast<std::uint8_t>(text.size() >> 8));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        while (bytes_.size() % 4) bytes_.push_back(0x57);  // the padding widl and MIDL use
        added_[text] = offset;
        return offset;
    }
    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
    std::map<std::string, std::uint32_t> added_;
};

std::string NameAt(const Bytes& in, const Layout& l, std::uint32_t nameOffset) {
    const std::size_t at = l.seg[kSegName].offset + nameOffset;
    const std::uint32_t length = Get32(in, at + 8) & 0xFF;
    if (nameOffset + 12 + length > l.seg[kSegName].length) Fail("name outside the name segment");
    return std::string(in.begin() + at + 12, in.begin() + at + 12 + length);
}

// An enumeration's member block, its records grown by the help context and help string.
Bytes EnumBlock(const Bytes& in, const Layout& l, Strings& strings, std::size_t records, std::uint32_t recordBytes,
                std::uint32_t count) {
    const std::size_t tables = records + recordBytes;
    Bytes rebuilt;
    std::vector<std::uint32_t> newOffsets(count);
    for (std::uint32_t v = 0; v < count; ++v) {
        const std::uint32_t recordOffset = Get32(in, tables + 8 * count + 4 * v);
        const std::size_t at = records + recordOffset;
        const std::uint32_t info = Get32(in, at);
        const std::uint32_t length = info & 0xFFFF;
        if (length < 0x14 || recordOffset + length > recordBytes) Fail("bad member record");
        newOffsets[v] = static_cast<std::uint32_t>(rebuilt.size());
        const std::string name = NameAt(in, l, Get32(in, tables + 4 * count + 4 * v));
        Bytes record(in.begin() + at, in.begin() + at + length);
        if (length < 0x18) Append32(record, 0);  // help context
        if (length < kRecordWithHelpString)
            Append32(record, strings.Add(name));
        else if (Get32(record, 0x18) == 0xFFFFFFFF)
            Put32(record, 0x18, strings.Add(name));
        Put32(record, 0, (info & 0xFFFF0000) | static_cast<std::uint32_t>(record.size()));
        rebuilt.insert(rebuilt.end(), record.begin(), record.end());
    }
    Bytes block;
    Append32(block, static_cast<std::uint32_t>(rebuilt.size()));
    block.insert(block.end(), rebuilt.begin(), rebuilt.end());
    // Member ids and names unchanged, record offsets new.
    block.insert(block.end(), in.begin() + tables, in.begin() + tables + 8 * count);
    for (std::uint32_t v = 0; v < count; ++v) Append32(block, newOffsets[v]);
    return block;
}

// Member blocks, one per type with members, in type order right after the segments.
std::vector<Bytes> MemberBlocks(const Bytes& in, const Layout& l, Strings& strings) {
    std::vector<Bytes> blocks(l.typeCount);
    std::size_t originalPos = l.blocksStart;
    for (std::uint32_t t = 0; t < l.typeCount; ++t) {
        const std::size_t base = l.seg[kSegTypeInfo].offset + Get32(in, l.offsetsAt + 4 * t);
        if (base + kTypeInfoBaseBytes > l.seg[kSegTypeInfo].offset + l.seg[kSegTypeInfo].length)
            Fail("type outside segment");
        const std::uint32_t memoffset = Get32(in, base + 4);
        const std::uint32_t elements = Get32(in, base + 0x18);
        const std::uint32_t funcs = elements & 0xFFFF, vars = elements >> 16, count = funcs + vars;
        if (memoffset != originalPos) Fail("member blocks are not in type order");
        if (count == 0) continue;
        const std::uint32_t recordBytes = Get32(in, memoffset);
        const std::size_t records = memoffset + 4, blockEnd = records + recordBytes + 12 * count;
        if (blockEnd > in.size()) Fail("member block past the end of the file");
        originalPos = blockEnd;
        const bool isEnum = (Get32(in, base) & 0xF) == 0;
        blocks[t] = isEnum && funcs == 0 ? EnumBlock(in, l, strings, records, recordBytes, count)
                                         : Bytes(in.begin() + memoffset, in.begin() + blockEnd);
    }
    if (originalPos != in.size()) Fail("unexpected bytes after the member blocks");
    return blocks;
}

Bytes Patch(const Bytes& in) {
    const Layout l = ReadLayout(in);
    Strings strings(in, l.seg[kSegString]);
    const std::vector<Bytes> blocks = MemberBlocks(in, l, strings);

    // Write: prefix, segments in file order (the string segment grown), then the blocks.
    Bytes out(in.begin(), in.begin() + l.prefixEnd);
    std::vector<std::size_t> newSegmentOffset(kSegments);
    for (const auto& [offset, index] : l.byOffset) {
        newSegmentOffset[index] = out.size();
        Put32(out, l.segdirAt + 16 * index, static_cast<std::uint32_t>(out.size()));
        if (index == kSegString) {
            out.insert(out.end(), strings.bytes().begin(), strings.bytes().end());
            Put32(out, l.segdirAt + 16 * index + 4, static_cast<std::uint32_t>(strings.bytes().size()));
        } else {
            out.insert(out.end(), in.begin() + offset, in.begin() + offset + l.seg[index].length);
        }
    }
    if (l.seg[kSegString].offset == -1 && !strings.bytes().empty()) Fail("library has no string segment");
    for (std::uint32_t t = 0; t < l.typeCount; ++t) {
        const std::size_t base = newSegmentOffset[kSegTypeInfo] + Get32(in, l.offsetsAt + 4 * t);
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
