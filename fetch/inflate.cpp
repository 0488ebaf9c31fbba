#include "fetch/inflate.h"

namespace {

const int MAX_BITS = 15;
const int LITERAL_CODES = 288;
const int DISTANCE_CODES = 30;
const int LENGTH_CODES = 29;
const DWORD WINDOW_MASK = INFLATE_WINDOW - 1;
// The order in which a dynamic block sends the code length code's lengths.
const BYTE LENGTH_ORDER[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// A canonical code: how many codes each length has, and the symbols in
// code order.
struct Huffman {
    WORD count[MAX_BITS + 1];
    WORD symbol[LITERAL_CODES];
};

// Length codes 257 to 285 and the distance codes: a base and extra bits,
// which follow from the code's place in the list.
int lengthExtra(int index) { return index < 8 || index == 28 ? 0 : index / 4 - 1; }
int distanceExtra(int index) { return index < 4 ? 0 : index / 2 - 1; }

class Decoder {
public:
    Decoder(const InflateStreams& streams, BYTE* window) : streams_(streams), window_(window) {}
    InflateResult run(bool* trailing);

private:
    void fill(int count);
    DWORD bits(int count);
    int decode(const Huffman& code);
    bool build(Huffman& code, const BYTE* lengths, int count);
    bool put(BYTE byte);
    InflateResult storedBlock();
    InflateResult codedBlock(const Huffman& literals, const Huffman& distances);
    InflateResult dynamicBlock();
    InflateResult fixedBlock();
    InflateResult failure() const { return stopped_ ? InflateResult::Stopped : ended_ ? InflateResult::InputEnded : InflateResult::Damaged; }

    const InflateStreams& streams_;
    BYTE* window_;
    const BYTE* input_ = nullptr;
    DWORD left_ = 0;
    DWORD buffer_ = 0;
    int buffered_ = 0;
    DWORD at_ = 0;            // in the window
    ULONGLONG written_ = 0;   // in all, which bounds a distance
    bool exhausted_ = false;  // the input has no more
    bool ended_ = false;      // and a code needed more
    bool stopped_ = false;
    WORD lengthBase_[LENGTH_CODES];
    WORD distanceBase_[DISTANCE_CODES];
    Huffman literals_, distances_;
};

// Makes `count` bits ready, as far as the input has them.
void Decoder::fill(int count) {
    while (buffered_ < count && !exhausted_) {
        if (left_ == 0) left_ = streams_.pull(streams_.context, &input_);
        if (left_ == 0) {
            exhausted_ = true;
            return;
        }
        buffer_ |= static_cast<DWORD>(*input_++) << buffered_;
        --left_;
        buffered_ += 8;
    }
}

// Zero bits once the input has ended; the callers test ended_ per code.
DWORD Decoder::bits(int count) {
    fill(count);
    if (buffered_ < count) {
        ended_ = true;
        return 0;
    }
    const DWORD value = buffer_ & ((1UL << count) - 1);
    buffer_ >>= count;
    buffered_ -= count;
    return value;
}

// Codes are sent most significant bit first.
int Decoder::decode(const Huffman& code) {
    fill(MAX_BITS);
    DWORD buffer = buffer_;
    int value = 0, first = 0, index = 0;
    for (int length = 1; length <= MAX_BITS; ++length) {
        value |= static_cast<int>(buffer & 1);
        buffer >>= 1;
        const int count = code.count[length];
        if (value - first < count) {
            if (length > buffered_) break;
            buffer_ = buffer;
            buffered_ -= length;
            return code.symbol[index + value - first];
        }
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    ended_ = exhausted_;
    return -1;
}

// False for lengths that promise more codes than the bits allow; a code
// with fewer is used as it is (a code that is not there fails to decode).
bool Decoder::build(Huffman& code, const BYTE* lengths, int count) {
    WORD offsets[MAX_BITS + 2];
    for (int length = 0; length <= MAX_BITS; ++length) code.count[length] = 0;
    for (int symbol = 0; symbol < count; ++symbol) ++code.count[lengths[symbol]];
    int open = 1;
    offsets[1] = 0;
    for (int length = 1; length <= MAX_BITS; ++length) {
        open = (open << 1) - code.count[length];
        if (open < 0) return false;
        offsets[length + 1] = static_cast<WORD>(offsets[length] + code.count[length]);
    }
    for (int symbol = 0; symbol < count; ++symbol) {
        if (lengths[symbol]) code.symbol[offsets[lengths[symbol]]++] = static_cast<WORD>(symbol);
    }
    return true;
}

bool Decoder::put(BYTE byte) {
    window_[at_++] = byte;
    ++written_;
    if (at_ < INFLATE_WINDOW) return true;
    at_ = 0;
    stopped_ = !streams_.push(streams_.context, window_, INFLATE_WINDOW);
    return !stopped_;
}

InflateResult Decoder::storedBlock() {
    bits(buffered_ & 7);
    const DWORD length = bits(16);
    if (bits(16) != (~length & 0xFFFF) || ended_) return failure();
    for (DWORD i = 0; i < length; ++i) {
        const BYTE byte = static_cast<BYTE>(bits(8));
        if (ended_ || !put(byte)) return failure();
    }
    return InflateResult::Done;
}

InflateResult Decoder::codedBlock(const Huffman& literals, const Huffman& distances) {
    for (;;) {
        const int symbol = decode(literals);
        if (symbol < 0 || ended_) return failure();
        if (symbol < 256) {
            if (!put(static_cast<BYTE>(symbol))) return failure();
            continue;
        }
        if (symbol == 256) return InflateResult::Done;
        const int index = symbol - 257;
        if (index >= LENGTH_CODES) return failure();
        DWORD length = lengthBase_[index] + bits(lengthExtra(index));
        const int code = decode(distances);
        if (code < 0 || code >= DISTANCE_CODES) return failure();
        const DWORD distance = distanceBase_[code] + bits(distanceExtra(code));
        if (ended_ || distance > written_) return failure();
        while (length-- > 0) {
            if (!put(window_[(at_ - distance) & WINDOW_MASK])) return failure();
        }
    }
}

InflateResult Decoder::fixedBlock() {
    BYTE lengths[LITERAL_CODES];
    for (int symbol = 0; symbol < LITERAL_CODES; ++symbol) {
        lengths[symbol] = symbol < 144 ? 8 : symbol < 256 ? 9 : symbol < 280 ? 7 : 8;
    }
    build(literals_, lengths, LITERAL_CODES);
    for (int symbol = 0; symbol < DISTANCE_CODES; ++symbol) lengths[symbol] = 5;
    build(distances_, lengths, DISTANCE_CODES);
    return codedBlock(literals_, distances_);
}

InflateResult Decoder::dynamicBlock() {
    const int literalCount = static_cast<int>(bits(5)) + 257;
    const int distanceCount = static_cast<int>(bits(5)) + 1;
    const int lengthCount = static_cast<int>(bits(4)) + 4;
    if (literalCount > 286 || distanceCount > DISTANCE_CODES) return failure();
    BYTE lengths[LITERAL_CODES + DISTANCE_CODES] = {};
    for (int i = 0; i < lengthCount; ++i) lengths[LENGTH_ORDER[i]] = static_cast<BYTE>(bits(3));
    Huffman& lengthCode = distances_;
    if (ended_ || !build(lengthCode, lengths, 19)) return failure();
    const int total = literalCount + distanceCount;
    for (int i = 0; i < total;) {
        const int symbol = decode(lengthCode);
        if (symbol < 0 || ended_) return failure();
        if (symbol < 16) {
            lengths[i++] = static_cast<BYTE>(symbol);
            continue;
        }
        BYTE repeated = 0;
        int times = 0;
        if (symbol == 16) {
            if (i == 0) return failure();
            repeated = lengths[i - 1];
            times = 3 + static_cast<int>(bits(2));
        } else {
            times = symbol == 17 ? 3 + static_cast<int>(bits(3)) : 11 + static_cast<int>(bits(7));
        }
        if (i + times > total) return failure();
        while (times-- > 0) lengths[i++] = repeated;
    }
    // A block without its end code could never end.
    if (lengths[256] == 0 || !build(literals_, lengths, literalCount) ||
        !build(distances_, lengths + literalCount, distanceCount)) {
        return failure();
    }
    return codedBlock(literals_, distances_);
}

InflateResult Decoder::run(bool* trailing) {
    DWORD base = 3;
    for (int i = 0; i < LENGTH_CODES; ++i) {
        lengthBase_[i] = static_cast<WORD>(i == 28 ? 258 : base);
        base += 1UL << lengthExtra(i);
    }
    base = 1;
    for (int i = 0; i < DISTANCE_CODES; ++i) {
        distanceBase_[i] = static_cast<WORD>(base);
        base += 1UL << distanceExtra(i);
    }
    for (bool last = false; !last;) {
        last = bits(1) != 0;
        const DWORD type = bits(2);
        InflateResult result = InflateResult::Damaged;
        if (ended_) return failure();
        if (type == 0) result = storedBlock();
        if (type == 1) result = fixedBlock();
        if (type == 2) result = dynamicBlock();
        if (result != InflateResult::Done) return result == InflateResult::Damaged ? failure() : result;
    }
    if (at_ > 0 && !streams_.push(streams_.context, window_, at_)) return InflateResult::Stopped;
    // Input read ahead for a code and not used is left over too.
    *trailing = left_ != 0 || buffered_ >= 8;
    return InflateResult::Done;
}

}  // namespace

InflateResult inflateRaw(const InflateStreams& streams, BYTE* window, bool* trailing) {
    Decoder* decoder = new Decoder(streams, window);
    const InflateResult result = decoder->run(trailing);
    delete decoder;
    return result;
}
