// Raw deflate (LZ77 on hash chains over the 32 KiB window, each block written fixed, dynamic or
// stored, whichever is shortest), its inflate and base64url. The inflate meets hostile links:
// it reads only inside its input, refuses every malformed stream with a sentence, stops at the
// size limit, and each step consumes input or output, so it always comes to an end.
#include "core/record/ReplayLink.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace zarq {
namespace {

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                         4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block lists the lengths of its code-length code.
constexpr std::array<std::uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                           11, 4,  12, 3, 13, 2, 14, 1, 15};

constexpr std::size_t kWindow = 32768;
constexpr unsigned kMinMatch = 3;
constexpr unsigned kMaxMatch = 258;
constexpr unsigned kEndOfBlock = 256;
constexpr unsigned kMaxBits = 15;

// The fixed code's lengths (for literals and lengths, then for distances).
std::vector<std::uint8_t> FixedLengths() {
    std::vector<std::uint8_t> lengths(288 + 30, 5);
    std::fill(lengths.begin(), lengths.begin() + 144, 8);
    std::fill(lengths.begin() + 144, lengths.begin() + 256, 9);
    std::fill(lengths.begin() + 256, lengths.begin() + 280, 7);
    std::fill(lengths.begin() + 280, lengths.begin() + 288, 8);
    return lengths;
}

unsigned LengthCode(unsigned length) {
    const auto at = std::upper_bound(kLengthBase.begin(), kLengthBase.end(), length);
    return static_cast<unsigned>(at - kLengthBase.begin()) - 1;
}

unsigned DistanceCode(unsigned distance) {
    const auto at = std::upper_bound(kDistanceBase.begin(), kDistanceBase.end(), distance);
    return static_cast<unsigned>(at - kDistanceBase.begin()) - 1;
}

// ---------------------------------------------------------------------------- deflate

class BitWriter {
  public:
    void Put(std::uint32_t bits, unsigned count) {
        held_ |= std::uint64_t{bits} << fill_;
        fill_ += count;
        for (; fill_ >= 8; fill_ -= 8, held_ >>= 8) out_.push_back(static_cast<char>(held_ & 0xFF));
    }
    // Huffman codes go out from their most significant bit.
    void PutCode(std::uint32_t code, unsigned length) {
        std::uint32_t reversed = 0;
        for (unsigned i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
        Put(reversed, length);
    }
    void Align() {
        if (fill_ > 0) Put(0, 8 - fill_);
    }
    std::string Take() {
        Align();
        return std::move(out_);
    }

  private:
    std::string out_;
    std::uint64_t held_ = 0;
    unsigned fill_ = 0;
};

// Huffman's code lengths for `counts`, none longer than `limit`: while the longest is too long,
// the counts are halved (rounding up, so that a used symbol stays used), which flattens the tree.
std::vector<std::uint8_t> CodeLengths(std::vector<std::uint32_t> counts, unsigned limit) {
    const std::size_t n = counts.size();
    std::vector<std::uint8_t> lengths(n, 0);
    for (;;) {
        using Item = std::pair<std::uint64_t, std::size_t>;
        std::priority_queue<Item, std::vector<Item>, std::greater<>> queue;
        std::vector<std::size_t> parent(n, SIZE_MAX);
        for (std::size_t i = 0; i < n; ++i) {
            if (counts[i] > 0) queue.push({counts[i], i});
        }
        if (queue.size() < 2) {
            for (std::size_t i = 0; i < n; ++i) lengths[i] = counts[i] > 0 ? 1 : 0;
            return lengths;
        }
        while (queue.size() > 1) {
            const Item a = queue.top();
            queue.pop();
            const Item b = queue.top();
            queue.pop();
            parent[a.second] = parent.size();
            parent[b.second] = parent.size();
            queue.push({a.first + b.first, parent.size()});
            parent.push_back(SIZE_MAX);
        }
        unsigned longest = 0;
        for (std::size_t i = 0; i < n; ++i) {
            unsigned depth = 0;
            if (counts[i] > 0) {
                for (std::size_t p = i; parent[p] != SIZE_MAX; p = parent[p]) ++depth;
            }
            lengths[i] = static_cast<std::uint8_t>(depth);
            longest = std::max(longest, depth);
        }
        if (longest <= limit) return lengths;
        for (std::uint32_t& c : counts) c = (c + 1) / 2;
    }
}

// Every code we write is complete, which every inflate accepts: a code of one symbol gets a
// second one beside it.
void AtLeastTwo(std::vector<std::uint8_t>& lengths) {
    auto used = std::count_if(lengths.begin(), lengths.end(), [](auto l) { return l > 0; });
    for (std::size_t i = 0; i < lengths.size() && used < 2; ++i) {
        if (lengths[i] == 0) lengths[i] = 1, ++used;
    }
}

std::vector<std::uint32_t> CanonicalCodes(const std::uint8_t* lengths, std::size_t n) {
    std::array<std::uint32_t, kMaxBits + 2> count{}, next{};
    for (std::size_t i = 0; i < n; ++i) ++count[lengths[i]];
    count[0] = 0;
    std::uint32_t code = 0;
    for (unsigned bits = 1; bits <= kMaxBits; ++bits) {
        code = (code + count[bits - 1]) << 1;
        next[bits] = code;
    }
    std::vector<std::uint32_t> codes(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        if (lengths[i] > 0) codes[i] = next[lengths[i]]++;
    }
    return codes;
}

// A literal (Distance 0) or a match.
struct Symbol {
    std::uint16_t Value;
    std::uint16_t Distance;
};

struct Code {
    std::vector<std::uint8_t> Lengths;
    std::vector<std::uint32_t> Codes;
    void Make(std::vector<std::uint8_t> lengths) {
        Lengths = std::move(lengths);
        Codes = CanonicalCodes(Lengths.data(), Lengths.size());
    }
    void Put(BitWriter& out, unsigned symbol) const { out.PutCode(Codes[symbol], Lengths[symbol]); }
};

std::size_t DataBits(const std::vector<std::uint32_t>& literals,
                     const std::vector<std::uint32_t>& distances, const Code& lit,
                     const Code& dist) {
    std::size_t bits = 0;
    for (std::size_t i = 0; i < literals.size(); ++i) {
        bits += literals[i] * (lit.Lengths[i] + (i > kEndOfBlock ? kLengthExtra[i - 257] : 0u));
    }
    for (std::size_t i = 0; i < distances.size(); ++i) {
        bits += distances[i] * (dist.Lengths[i] + kDistanceExtra[i]);
    }
    return bits;
}

void PutSymbols(BitWriter& out, const std::vector<Symbol>& symbols, const Code& lit,
                const Code& dist) {
    for (const Symbol& s : symbols) {
        if (s.Distance == 0) {
            lit.Put(out, s.Value);
            continue;
        }
        const unsigned l = LengthCode(s.Value), d = DistanceCode(s.Distance);
        lit.Put(out, 257 + l);
        out.Put(s.Value - kLengthBase[l], kLengthExtra[l]);
        dist.Put(out, d);
        out.Put(s.Distance - kDistanceBase[d], kDistanceExtra[d]);
    }
    lit.Put(out, kEndOfBlock);
}

// One block of `symbols`, which stand for `raw`, in whichever form is shortest.
void PutBlock(BitWriter& out, const std::vector<Symbol>& symbols, std::string_view raw, bool last) {
    std::vector<std::uint32_t> literals(286, 0), distances(30, 0);
    for (const Symbol& s : symbols) {
        if (s.Distance == 0) {
            ++literals[s.Value];
        } else {
            ++literals[257 + LengthCode(s.Value)];
            ++distances[DistanceCode(s.Distance)];
        }
    }
    literals[kEndOfBlock] = 1;

    Code fixedLit, fixedDist;
    const std::vector<std::uint8_t> fixed = FixedLengths();
    fixedLit.Make({fixed.begin(), fixed.begin() + 288});
    fixedDist.Make({fixed.begin() + 288, fixed.end()});
    const std::size_t fixedBits = 3 + DataBits(literals, distances, fixedLit, fixedDist);

    Code lit, dist;
    std::vector<std::uint8_t> litLengths = CodeLengths(literals, kMaxBits);
    std::vector<std::uint8_t> distLengths = CodeLengths(distances, kMaxBits);
    AtLeastTwo(litLengths);
    AtLeastTwo(distLengths);
    lit.Make(litLengths);
    dist.Make(distLengths);
    std::size_t litCount = 286, distCount = 30;
    while (litCount > 257 && litLengths[litCount - 1] == 0) --litCount;
    while (distCount > 1 && distLengths[distCount - 1] == 0) --distCount;
    std::vector<std::uint8_t> all(litLengths.begin(), litLengths.begin() + litCount);
    all.insert(all.end(), distLengths.begin(), distLengths.begin() + distCount);

    // The lengths as runs: 16 repeats the previous length 3-6 times, 17 and 18 write 3-10 and
    // 11-138 zeros.
    std::vector<std::pair<std::uint8_t, std::uint8_t>> runs;  // symbol, extra value
    for (std::size_t i = 0; i < all.size();) {
        const std::uint8_t length = all[i];
        std::size_t run = 1;
        while (i + run < all.size() && all[i + run] == length) ++run;
        i += run;
        if (length == 0) {
            for (; run >= 11; run -= std::min<std::size_t>(run, 138)) {
                runs.push_back(
                    {18, static_cast<std::uint8_t>(std::min<std::size_t>(run, 138) - 11)});
            }
            if (run >= 3) {
                runs.push_back({17, static_cast<std::uint8_t>(run - 3)});
                run = 0;
            }
        } else {
            runs.push_back({length, 0});
            for (--run; run >= 3; run -= std::min<std::size_t>(run, 6)) {
                runs.push_back({16, static_cast<std::uint8_t>(std::min<std::size_t>(run, 6) - 3)});
            }
        }
        for (; run > 0; --run) runs.push_back({length, 0});
    }
    std::vector<std::uint32_t> runCounts(19, 0);
    for (const auto& r : runs) ++runCounts[r.first];
    std::vector<std::uint8_t> runLengths = CodeLengths(runCounts, 7);
    AtLeastTwo(runLengths);
    Code runCode;
    runCode.Make(runLengths);
    std::size_t listed = 19;
    while (listed > 4 && runLengths[kCodeLengthOrder[listed - 1]] == 0) --listed;
    constexpr std::array<unsigned, 19> kRunExtra = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                    0, 0, 0, 0, 0, 0, 2, 3, 7};
    std::size_t dynamicBits = 3 + 14 + 3 * listed + DataBits(literals, distances, lit, dist);
    for (const auto& r : runs) dynamicBits += runLengths[r.first] + kRunExtra[r.first];

    const std::size_t chunks = std::max<std::size_t>(1, (raw.size() + 65534) / 65535);
    const std::size_t storedBits = raw.size() * 8 + chunks * 48;

    if (storedBits < std::min(fixedBits, dynamicBits)) {
        for (std::size_t at = 0, chunk = 0; chunk < chunks; ++chunk) {
            const std::size_t size = std::min<std::size_t>(65535, raw.size() - at);
            out.Put(last && chunk + 1 == chunks ? 1 : 0, 1);
            out.Put(0, 2);
            out.Align();
            out.Put(static_cast<std::uint32_t>(size), 16);
            out.Put(static_cast<std::uint32_t>(size) ^ 0xFFFF, 16);
            for (std::size_t i = 0; i < size; ++i)
                out.Put(static_cast<std::uint8_t>(raw[at + i]), 8);
            at += size;
        }
    } else if (fixedBits <= dynamicBits) {
        out.Put(last ? 1 : 0, 1);
        out.Put(1, 2);
        PutSymbols(out, symbols, fixedLit, fixedDist);
    } else {
        out.Put(last ? 1 : 0, 1);
        out.Put(2, 2);
        out.Put(static_cast<std::uint32_t>(litCount - 257), 5);
        out.Put(static_cast<std::uint32_t>(distCount - 1), 5);
        out.Put(static_cast<std::uint32_t>(listed - 4), 4);
        for (std::size_t i = 0; i < listed; ++i) out.Put(runLengths[kCodeLengthOrder[i]], 3);
        for (const auto& r : runs) {
            runCode.Put(out, r.first);
            out.Put(r.second, kRunExtra[r.first]);
        }
        PutSymbols(out, symbols, lit, dist);
    }
}

// Finds earlier occurrences through chains of positions with the same three-byte hash. Positions
// are kept in 32 bits: a recording is far smaller than 2 GiB.
class MatchFinder {
  public:
    explicit MatchFinder(std::string_view in) : in_(in), head_(1u << 15, -1), prev_(kWindow, -1) {}

    // Hashes every position before `to`.
    void HashUpTo(std::size_t to) {
        for (; hashed_ < to; ++hashed_) {
            if (hashed_ + kMinMatch > in_.size()) continue;
            const std::uint32_t h = Hash(hashed_);
            prev_[hashed_ % kWindow] = head_[h];
            head_[h] = static_cast<std::int32_t>(hashed_);
        }
    }

    // The longest match for the bytes at `at` (hashed up to it, not including it).
    std::pair<unsigned, unsigned> Longest(std::size_t at) const {
        if (at + kMinMatch > in_.size()) return {0, 0};
        const std::size_t limit = std::min<std::size_t>(kMaxMatch, in_.size() - at);
        unsigned best = 0, distance = 0;
        int chain = 128;
        for (std::int32_t c = head_[Hash(at)];
             c >= 0 && at - static_cast<std::size_t>(c) <= kWindow && chain-- > 0;
             c = prev_[static_cast<std::size_t>(c) % kWindow]) {
            const std::size_t from = static_cast<std::size_t>(c);
            if (in_[from + best] != in_[at + best]) continue;
            std::size_t length = 0;
            while (length < limit && in_[from + length] == in_[at + length]) ++length;
            if (length > best) {
                best = static_cast<unsigned>(length);
                distance = static_cast<unsigned>(at - from);
                if (length == limit) break;
            }
        }
        // A short match far back costs more than its three literals.
        if (best < kMinMatch || (best == kMinMatch && distance > 4096)) return {0, 0};
        return {best, distance};
    }

  private:
    std::uint32_t Hash(std::size_t at) const {
        const auto byte = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<std::uint8_t>(in_[i]));
        };
        return ((byte(at) << 10) ^ (byte(at + 1) << 5) ^ byte(at + 2)) & 0x7FFF;
    }

    std::string_view in_;
    std::vector<std::int32_t> head_, prev_;
    std::size_t hashed_ = 0;
};

// ---------------------------------------------------------------------------- inflate

// A canonical Huffman code for decoding: how many codes of each length, and the symbols in
// code order.
struct DecodeTable {
    std::array<std::uint16_t, kMaxBits + 1> Count{};
    std::vector<std::uint16_t> Symbols;
};

enum class Shape { Complete, Incomplete, Oversubscribed };

Shape Build(DecodeTable& table, const std::uint8_t* lengths, std::size_t n) {
    table.Count.fill(0);
    for (std::size_t i = 0; i < n; ++i) ++table.Count[lengths[i]];
    int left = 1;
    for (unsigned bits = 1; bits <= kMaxBits; ++bits) {
        left = left * 2 - table.Count[bits];
        if (left < 0) return Shape::Oversubscribed;
    }
    std::array<std::uint16_t, kMaxBits + 2> offset{};
    for (unsigned bits = 1; bits <= kMaxBits; ++bits) {
        offset[bits + 1] = static_cast<std::uint16_t>(offset[bits] + table.Count[bits]);
    }
    table.Symbols.assign(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        if (lengths[i] != 0) table.Symbols[offset[lengths[i]]++] = static_cast<std::uint16_t>(i);
    }
    return left == 0 ? Shape::Complete : Shape::Incomplete;
}

// An incomplete code is taken only when it is a single code of one bit or (for distances, in
// a block of literals alone) no code at all, as zlib takes it.
bool Acceptable(Shape shape, const DecodeTable& table) {
    if (shape == Shape::Complete) return true;
    if (shape == Shape::Oversubscribed) return false;
    std::size_t used = 0;
    for (unsigned bits = 1; bits <= kMaxBits; ++bits) used += table.Count[bits];
    return used == 0 || (used == 1 && table.Count[1] == 1);
}

class Inflater {
  public:
    Inflater(std::string_view in, std::size_t limit) : in_(in), limit_(limit) {}

    LinkResult Run() {
        bool last = false;
        while (!last) {
            std::uint32_t header = 0;
            if (!Bits(3, header)) return Failed();
            last = (header & 1) != 0;
            const std::uint32_t type = header >> 1;
            const bool ok = type == 0   ? Stored()
                            : type == 1 ? Fixed()
                            : type == 2 ? Dynamic()
                                        : Fail("it holds a block of an unknown kind");
            if (!ok) return Failed();
        }
        if (pos_ < in_.size()) {
            return {std::nullopt, "The link's data goes on after the end of its recording."};
        }
        return {std::move(out_), ""};
    }

  private:
    bool Fail(std::string why) {
        if (error_.empty()) error_ = std::move(why);
        return false;
    }
    LinkResult Failed() const {
        if (error_ == kTooLarge) {
            return {std::nullopt, "The link's recording would be larger than " +
                                      std::to_string(limit_ >> 20) + " MB."};
        }
        if (error_ == kCutShort) {
            return {std::nullopt,
                    "The link is cut short: its data ends before its recording does."};
        }
        return {std::nullopt, "The link's data is damaged: " + error_ + "."};
    }

    bool Bits(unsigned count, std::uint32_t& value) {
        while (fill_ < count) {
            if (pos_ >= in_.size()) return Fail(kCutShort);
            held_ |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(in_[pos_++])) << fill_;
            fill_ += 8;
        }
        value = count == 0 ? 0 : held_ & ((1u << count) - 1);
        held_ = count == 32 ? 0 : held_ >> count;
        fill_ -= count;
        return true;
    }

    bool Decode(const DecodeTable& table, unsigned& symbol) {
        int code = 0, first = 0, index = 0;
        for (unsigned bits = 1; bits <= kMaxBits; ++bits) {
            std::uint32_t bit = 0;
            if (!Bits(1, bit)) return false;
            code |= static_cast<int>(bit);
            const int count = table.Count[bits];
            if (code - count < first) {
                symbol = table.Symbols[static_cast<std::size_t>(index + code - first)];
                return true;
            }
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return Fail("it uses a code its block does not define");
    }

    bool Room(std::size_t more) { return out_.size() + more <= limit_ || Fail(kTooLarge); }

    bool Stored() {
        held_ = 0;  // the rest of the byte (fewer than eight bits are ever held here)
        fill_ = 0;
        std::uint32_t size = 0, check = 0;
        if (!Bits(16, size) || !Bits(16, check)) return false;
        if ((size ^ 0xFFFF) != check) return Fail("a stored block's length fails its check");
        if (in_.size() - pos_ < size) return Fail(kCutShort);
        if (!Room(size)) return false;
        out_.append(in_.substr(pos_, size));
        pos_ += size;
        return true;
    }

    bool Fixed() {
        if (fixedLit_.Symbols.empty()) {  // built once: a stream may hold many tiny blocks
            const std::vector<std::uint8_t> lengths = FixedLengths();
            Build(fixedLit_, lengths.data(), 288);
            Build(fixedDist_, lengths.data() + 288, 30);
        }
        return Codes(fixedLit_, fixedDist_);
    }

    bool Dynamic() {
        std::uint32_t litCount = 0, distCount = 0, listed = 0;
        if (!Bits(5, litCount) || !Bits(5, distCount) || !Bits(4, listed)) return false;
        litCount += 257;
        distCount += 1;
        listed += 4;
        if (litCount > 286 || distCount > 30)
            return Fail("a block lists more codes than there are");
        std::array<std::uint8_t, 19> runLengths{};
        for (std::uint32_t i = 0; i < listed; ++i) {
            std::uint32_t length = 0;
            if (!Bits(3, length)) return false;
            runLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(length);
        }
        DecodeTable runs;
        if (Build(runs, runLengths.data(), 19) != Shape::Complete) {
            return Fail("a block's table of code lengths is not a valid code");
        }
        std::vector<std::uint8_t> lengths(litCount + distCount, 0);
        for (std::size_t i = 0; i < lengths.size();) {
            unsigned symbol = 0;
            if (!Decode(runs, symbol)) return false;
            if (symbol < 16) {
                lengths[i++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint32_t repeat = 0;
            std::uint8_t length = 0;
            if (symbol == 16) {
                if (i == 0) return Fail("a block repeats a code length before the first");
                length = lengths[i - 1];
                if (!Bits(2, repeat)) return false;
                repeat += 3;
            } else if (symbol == 17) {
                if (!Bits(3, repeat)) return false;
                repeat += 3;
            } else {
                if (!Bits(7, repeat)) return false;
                repeat += 11;
            }
            if (i + repeat > lengths.size())
                return Fail("a block's code lengths run past its codes");
            std::fill_n(lengths.begin() + static_cast<std::ptrdiff_t>(i), repeat, length);
            i += repeat;
        }
        if (lengths[kEndOfBlock] == 0) return Fail("a block has no code for its end");
        DecodeTable lit, dist;
        if (!Acceptable(Build(lit, lengths.data(), litCount), lit) ||
            !Acceptable(Build(dist, lengths.data() + litCount, distCount), dist)) {
            return Fail("a block's code lengths do not make a valid code");
        }
        return Codes(lit, dist);
    }

    bool Codes(const DecodeTable& lit, const DecodeTable& dist) {
        for (;;) {
            unsigned symbol = 0;
            if (!Decode(lit, symbol)) return false;
            if (symbol < 256) {
                if (!Room(1)) return false;
                out_.push_back(static_cast<char>(symbol));
                continue;
            }
            if (symbol == kEndOfBlock) return true;
            symbol -= 257;
            if (symbol >= kLengthBase.size())
                return Fail("it holds a length code that does not exist");
            std::uint32_t extra = 0;
            if (!Bits(kLengthExtra[symbol], extra)) return false;
            const std::size_t length = kLengthBase[symbol] + extra;
            unsigned code = 0;
            if (!Decode(dist, code)) return false;
            if (code >= kDistanceBase.size())
                return Fail("it holds a distance code that does not exist");
            if (!Bits(kDistanceExtra[code], extra)) return false;
            const std::size_t distance = kDistanceBase[code] + extra;
            if (distance > out_.size())
                return Fail("it refers back to before the recording's start");
            if (!Room(length)) return false;
            for (std::size_t i = 0; i < length; ++i) out_.push_back(out_[out_.size() - distance]);
        }
    }

    static constexpr const char* kCutShort = "cut short";
    static constexpr const char* kTooLarge = "too large";

    std::string_view in_;
    std::size_t limit_;
    std::size_t pos_ = 0;
    std::uint32_t held_ = 0;
    unsigned fill_ = 0;
    std::string out_;
    std::string error_;
    DecodeTable fixedLit_, fixedDist_;
};

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

}  // namespace

std::string DeflateRaw(std::string_view bytes) {
    BitWriter out;
    MatchFinder finder(bytes);
    std::vector<Symbol> symbols;
    std::size_t blockStart = 0;
    // A block of up to this many symbols gets a code of its own.
    constexpr std::size_t kBlockSymbols = 16384;
    for (std::size_t at = 0; at < bytes.size();) {
        finder.HashUpTo(at);
        auto [length, distance] = finder.Longest(at);
        // One step of lazy matching: a longer match at the next byte wins over this one.
        if (length > 0 && length < 32) {
            finder.HashUpTo(at + 1);
            if (finder.Longest(at + 1).first > length) length = 0;
        }
        if (length > 0) {
            symbols.push_back(
                {static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(distance)});
            at += length;
        } else {
            symbols.push_back({static_cast<std::uint8_t>(bytes[at]), 0});
            ++at;
        }
        if (symbols.size() == kBlockSymbols && at < bytes.size()) {
            PutBlock(out, symbols, bytes.substr(blockStart, at - blockStart), false);
            symbols.clear();
            blockStart = at;
        }
    }
    PutBlock(out, symbols, bytes.substr(blockStart), true);
    return out.Take();
}

LinkResult InflateRaw(std::string_view stream, std::size_t limit) {
    return Inflater(stream, limit).Run();
}

std::string Base64UrlEncode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    std::uint32_t held = 0;
    unsigned fill = 0;
    for (const char c : bytes) {
        held = ((held << 8) | static_cast<std::uint8_t>(c)) & 0xFFFF;
        for (fill += 8; fill >= 6; fill -= 6) text.push_back(kAlphabet[(held >> (fill - 6)) & 63]);
    }
    if (fill > 0) text.push_back(kAlphabet[(held << (6 - fill)) & 63]);
    return text;
}

LinkResult Base64UrlDecode(std::string_view text) {
    if (text.size() % 4 == 1) {
        return {std::nullopt, "The link's data has " + std::to_string(text.size()) +
                                  " characters, a length no base64url text has: it may be cut "
                                  "short."};
    }
    std::string bytes;
    bytes.reserve(text.size() * 3 / 4);
    std::uint32_t held = 0;
    unsigned fill = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t value = kAlphabet.find(text[i]);
        if (value == std::string_view::npos) {
            const auto byte = static_cast<std::uint8_t>(text[i]);
            const std::string shown = byte > 32 && byte < 127 ? "'" + std::string(1, text[i]) + "'"
                                                              : "byte " + std::to_string(byte);
            return {std::nullopt, "The link's data holds " + shown + " at position " +
                                      std::to_string(i + 1) +
                                      ", which is not a base64url character."};
        }
        held = ((held << 6) | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
        fill += 6;
        if (fill >= 8) {
            fill -= 8;
            bytes.push_back(static_cast<char>((held >> fill) & 0xFF));
        }
    }
    if ((held & ((1u << fill) - 1)) != 0) {
        return {std::nullopt,
                "The link's data ends in a character with stray bits: it may be cut short or "
                "changed."};
    }
    return {std::move(bytes), ""};
}

std::string EncodeReplayLink(std::string_view recording) {
    return Base64UrlEncode(DeflateRaw(recording));
}

LinkResult DecodeReplayLink(std::string_view data) {
    LinkResult bytes = Base64UrlDecode(data);
    if (!bytes.Value) return bytes;
    return InflateRaw(*bytes.Value, kLinkRecordingLimit);
}

std::string ReplayLinkAddress(std::string_view page, std::string_view recording) {
    const std::size_t fragment = page.find('#');
    return std::string(page.substr(0, fragment)) + std::string(kLinkMarker) +
           EncodeReplayLink(recording);
}

bool IsReplayLink(std::string_view text) {
    return text.find(kLinkMarker) != std::string_view::npos;
}

LinkResult RecordingFromLink(std::string_view link) {
    const std::size_t at = link.find(kLinkMarker);
    if (at == std::string_view::npos)
        return {std::nullopt, "The link carries no play (it has no #play=)."};
    std::string_view data = link.substr(at + kLinkMarker.size());
    data = data.substr(0, data.find('&'));
    // Pasted links often end with a line break or spaces.
    while (!data.empty() && (data.back() == '\n' || data.back() == '\r' || data.back() == ' '))
        data.remove_suffix(1);
    if (data.empty()) return {std::nullopt, "The link's play is empty."};
    return DecodeReplayLink(data);
}

}  // namespace zarq
