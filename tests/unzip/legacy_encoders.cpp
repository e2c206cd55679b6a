#include "unzip/legacy_encoders.h"

#include <algorithm>
#include <map>
#include <memory>
#include <queue>
#include <unordered_map>

void TestBitWriter::Put(uint32_t value, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        if (used == 0) bytes += '\0';
        if ((value >> i) & 1) bytes.back() = static_cast<char>(bytes.back() | (1 << used));
        used = (used + 1) & 7;
    }
}

void TestBitWriter::PutCode(uint32_t code, unsigned length) {
    for (unsigned i = length; i-- > 0;) Put((code >> i) & 1, 1);
}

namespace {

// ---- Shrink -------------------------------------------------------------

constexpr unsigned kShrinkCodes = 8192;

struct ShrinkTable {
    int prefix[kShrinkCodes];
    uint8_t suffix[kShrinkCodes];
    unsigned children[kShrinkCodes] = {};
    std::unordered_map<uint32_t, unsigned> lookup;  // prefix << 8 | byte -> code
    unsigned freeCode = 257;

    ShrinkTable() {
        for (unsigned c = 0; c < kShrinkCodes; ++c) prefix[c] = c < 256 ? -2 : -1;
    }
    void Add(unsigned w, uint8_t c) {
        if (freeCode >= kShrinkCodes) return;
        prefix[freeCode] = static_cast<int>(w);
        suffix[freeCode] = c;
        ++children[w];
        lookup[(w << 8) | c] = freeCode;
        NextFree(freeCode + 1);
    }
    void NextFree(unsigned from) {
        while (from < kShrinkCodes && prefix[from] != -1) ++from;
        freeCode = from;
    }
    void PartialClear() {
        std::vector<bool> hasChild(kShrinkCodes);
        for (unsigned c = 257; c < kShrinkCodes; ++c)
            if (prefix[c] >= 0) hasChild[prefix[c]] = true;
        for (unsigned c = 257; c < kShrinkCodes; ++c)
            if (prefix[c] >= 0 && !hasChild[c]) {
                lookup.erase((static_cast<uint32_t>(prefix[c]) << 8) | suffix[c]);
                --children[prefix[c]];
                prefix[c] = -1;
            }
        NextFree(257);
    }
};

// ---- Prefix codes for implode ---------------------------------------------

// Huffman code lengths for every symbol (each used at least once), at most 16 bits.
std::vector<uint8_t> CodeLengths(std::vector<uint64_t> freq) {
    for (auto& f : freq) ++f;
    for (;;) {
        using Node = std::pair<uint64_t, int>;
        std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
        std::vector<int> parent(2 * freq.size(), -1);
        for (size_t i = 0; i < freq.size(); ++i) heap.push({freq[i], static_cast<int>(i)});
        int next = static_cast<int>(freq.size());
        while (heap.size() > 1) {
            Node a = heap.top();
            heap.pop();
            Node b = heap.top();
            heap.pop();
            parent[a.second] = parent[b.second] = next;
            heap.push({a.first + b.first, next++});
        }
        std::vector<uint8_t> lengths(freq.size());
        bool tooLong = false;
        for (size_t i = 0; i < freq.size(); ++i) {
            unsigned depth = 0;
            for (int n = static_cast<int>(i); parent[n] >= 0; n = parent[n]) ++depth;
            lengths[i] = static_cast<uint8_t>(depth);
            tooLong |= depth > 16;
        }
        if (!tooLong) return lengths;
        for (auto& f : freq) f = f / 2 + 1;  // flatten and try again
    }
}

// Canonical codes: shorter codes first, equal lengths in symbol order.
std::vector<uint32_t> CanonicalCodes(const std::vector<uint8_t>& lengths) {
    std::vector<uint32_t> codes(lengths.size());
    uint32_t code = 0;
    for (unsigned len = 1; len <= 16; ++len, code <<= 1)
        for (size_t s = 0; s < lengths.size(); ++s)
            if (lengths[s] == len) codes[s] = code++;
    return codes;
}

// The compact form: a count byte, then (repeat - 1, length - 1) nibbles.
void PutTree(TestBitWriter& w, const std::vector<uint8_t>& lengths) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < lengths.size();) {
        size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == lengths[i] && run < 16) ++run;
        bytes.push_back(static_cast<uint8_t>(((run - 1) << 4) | (lengths[i] - 1)));
        i += run;
    }
    w.Put(static_cast<uint32_t>(bytes.size() - 1), 8);
    for (uint8_t b : bytes) w.Put(b, 8);
}

struct Token {
    bool literal;
    uint8_t byte;
    size_t distance, length;
    size_t position;  // of the token's first byte in the data
};

// Greedy LZ77 with hash chains; matches of minMatch to maxMatch bytes within window.
std::vector<Token> Tokens(const std::string& data, size_t window, size_t minMatch, size_t maxMatch) {
    std::vector<Token> tokens;
    std::unordered_map<uint32_t, std::vector<size_t>> chains;
    auto key = [&](size_t i) {
        uint32_t k = static_cast<uint8_t>(data[i]) | (static_cast<uint8_t>(data[i + 1]) << 8);
        if (minMatch >= 3) k |= static_cast<uint32_t>(static_cast<uint8_t>(data[i + 2])) << 16;
        return k;
    };
    for (size_t i = 0; i < data.size();) {
        size_t bestLength = 0, bestDistance = 0;
        if (i + minMatch <= data.size()) {
            auto& chain = chains[key(i)];
            int tries = 0;
            for (auto it = chain.rbegin(); it != chain.rend() && tries < 48; ++it, ++tries) {
                const size_t d = i - *it;
                if (d > window) break;
                size_t n = 0;
                while (i + n < data.size() && n < maxMatch && data[*it + n] == data[i + n]) ++n;
                if (n > bestLength) bestLength = n, bestDistance = d;
            }
        }
        const size_t step = bestLength >= minMatch ? bestLength : 1;
        if (bestLength >= minMatch) tokens.push_back({false, 0, bestDistance, bestLength, i});
        else tokens.push_back({true, static_cast<uint8_t>(data[i]), 0, 0, i});
        for (size_t k = 0; k < step; ++k, ++i)
            if (i + minMatch <= data.size()) chains[key(i)].push_back(i);
    }
    return tokens;
}

}  // namespace

std::string TestShrink(const std::string& data, unsigned clearEvery, bool afterLeaf, unsigned* leafClears) {
    TestBitWriter w;
    if (data.empty()) return w.bytes;
    auto table = std::make_unique<ShrinkTable>();
    unsigned codeSize = 9, added = 0;
    auto emit = [&](unsigned code) {
        while (code >= (1u << codeSize)) {  // widen before a code needs it
            w.Put(256, codeSize);
            w.Put(1, codeSize);
            ++codeSize;
        }
        w.Put(code, codeSize);
    };
    unsigned current = static_cast<uint8_t>(data[0]);
    for (size_t i = 1; i < data.size(); ++i) {
        const uint8_t c = static_cast<uint8_t>(data[i]);
        auto found = table->lookup.find((current << 8) | c);
        if (found != table->lookup.end()) {
            current = found->second;
            continue;
        }
        emit(current);
        // A partial clear only while the string just sent is a single byte,
        // which no clear can free, or with afterLeaf only while it is a leaf,
        // which the clear frees; the entry it starts follows the clear and
        // takes the sent code as its prefix all the same.
        const bool full = table->freeCode >= kShrinkCodes;
        const bool leaf = current >= 257 && table->children[current] == 0;
        if ((afterLeaf ? leaf : current < 256) && (full || (clearEvery && added >= clearEvery))) {
            w.Put(256, codeSize);
            w.Put(2, codeSize);
            table->PartialClear();
            added = 0;
            if (leaf && leafClears) ++*leafClears;
        }
        if (table->freeCode < kShrinkCodes) ++added;
        table->Add(current, c);
        current = c;
    }
    emit(current);
    return w.bytes;
}

std::string TestImplode(const std::string& data, bool bigDictionary, bool literalTree) {
    const unsigned lowBits = bigDictionary ? 7 : 6;
    const size_t minMatch = literalTree ? 3 : 2;
    const std::vector<Token> tokens = Tokens(data, bigDictionary ? 8192 : 4096, minMatch, minMatch + 63 + 255);
    std::vector<uint64_t> literalFreq(256), lengthFreq(64), distanceFreq(64);
    for (const Token& t : tokens) {
        if (t.literal) {
            literalFreq[t.byte]++;
        } else {
            lengthFreq[std::min<size_t>(t.length - minMatch, 63)]++;
            distanceFreq[(t.distance - 1) >> lowBits]++;
        }
    }
    const auto literalLengths = CodeLengths(literalFreq), lengthLengths = CodeLengths(lengthFreq),
               distanceLengths = CodeLengths(distanceFreq);
    const auto literalCodes = CanonicalCodes(literalLengths), lengthCodes = CanonicalCodes(lengthLengths),
               distanceCodes = CanonicalCodes(distanceLengths);
    TestBitWriter w;
    if (literalTree) PutTree(w, literalLengths);
    PutTree(w, lengthLengths);
    PutTree(w, distanceLengths);
    // Codes go out most significant bit first, every bit inverted.
    auto code = [&](const std::vector<uint32_t>& codes, const std::vector<uint8_t>& lengths, size_t symbol) {
        w.PutCode(~codes[symbol] & ((1u << lengths[symbol]) - 1), lengths[symbol]);
    };
    for (const Token& t : tokens) {
        if (t.literal) {
            w.Put(1, 1);
            if (literalTree) code(literalCodes, literalLengths, t.byte);
            else w.Put(t.byte, 8);
            continue;
        }
        w.Put(0, 1);
        w.Put(static_cast<uint32_t>((t.distance - 1) & ((1u << lowBits) - 1)), lowBits);
        code(distanceCodes, distanceLengths, (t.distance - 1) >> lowBits);
        const size_t l = t.length - minMatch;
        code(lengthCodes, lengthLengths, std::min<size_t>(l, 63));
        if (l >= 63) w.Put(static_cast<uint32_t>(l - 63), 8);
    }
    return w.bytes;
}

std::string TestReduce(const std::string& data, unsigned factor, unsigned maxFollowers) {
    const unsigned lengthMask = 0xFFu >> factor;
    const std::vector<Token> tokens = Tokens(data, size_t{256} << factor, 3, lengthMask + 255 + 3);
    // The sequence of bytes the follower coding sees: literals (144 escaped
    // as 144 0) and copies as 144, V, [extra length], low distance.
    std::vector<uint8_t> seq;
    for (const Token& t : tokens) {
        const size_t len = t.literal ? 0 : t.length - 3, high = t.literal ? 0 : (t.distance - 1) >> 8;
        const unsigned v = static_cast<unsigned>((high << (8 - factor)) | std::min<size_t>(len, lengthMask));
        if (t.literal || v == 0) {  // V = 0 would read as an escaped 144: send the bytes instead
            const size_t n = t.literal ? 1 : t.length;
            for (size_t k = 0; k < n; ++k) {
                const uint8_t b = static_cast<uint8_t>(data[t.position + k]);
                seq.push_back(b);
                if (b == 144) seq.push_back(0);
            }
            continue;
        }
        seq.push_back(144);
        seq.push_back(static_cast<uint8_t>(v));
        if (len >= lengthMask) seq.push_back(static_cast<uint8_t>(len - lengthMask));
        seq.push_back(static_cast<uint8_t>((t.distance - 1) & 0xFF));
    }
    // Follower sets: the most frequent successors of each byte.
    std::vector<std::map<uint8_t, uint64_t>> successors(256);
    uint8_t last = 0;
    for (uint8_t c : seq) {
        successors[last][c]++;
        last = c;
    }
    std::vector<std::vector<uint8_t>> followers(256);
    for (unsigned c = 0; c < 256; ++c) {
        std::vector<std::pair<uint64_t, uint8_t>> ranked;
        for (auto [b, n] : successors[c]) ranked.push_back({n, b});
        std::sort(ranked.rbegin(), ranked.rend());
        for (size_t i = 0; i < ranked.size() && i < maxFollowers; ++i) followers[c].push_back(ranked[i].second);
    }
    TestBitWriter w;
    for (int c = 255; c >= 0; --c) {
        w.Put(static_cast<uint32_t>(followers[c].size()), 6);
        for (uint8_t f : followers[c]) w.Put(f, 8);
    }
    last = 0;
    for (uint8_t c : seq) {
        const auto& set = followers[last];
        if (set.empty()) {
            w.Put(c, 8);
        } else {
            auto at = std::find(set.begin(), set.end(), c);
            if (at == set.end()) {
                w.Put(1, 1);
                w.Put(c, 8);
            } else {
                unsigned bits = 1;
                while ((1u << bits) < set.size()) ++bits;
                w.Put(0, 1);
                w.Put(static_cast<uint32_t>(at - set.begin()), bits);
            }
        }
        last = c;
    }
    return w.bytes;
}
