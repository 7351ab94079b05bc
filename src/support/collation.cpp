// Windows-1252 Western collation from fixed 256-entry weight tables.
#include "support/collation.h"

#include <array>
#include <cstdint>

namespace kvr {

namespace {

// Accent classes, in the order accented forms follow the plain letter.
enum Accent : std::uint8_t {
    kPlain = 0, kAcute, kGrave, kCircumflex, kCaron, kRing, kDiaeresis, kTilde, kCedilla, kStroke, kHook,
};

// Tertiary weight bits: upper case sorts after lower case, and variant forms
// (ª, ², ß, æ, ...) after the plain letters they stand for.
constexpr std::uint8_t kUpper = 1;
constexpr std::uint8_t kVariant = 2;

// A byte gives one collation element, or two for the ligatures and ß.
struct Weights {
    std::uint8_t primary[2] = {0, 0};
    std::uint8_t secondary = 0;
    std::uint8_t tertiary = 0;
};

struct Tables {
    std::array<Weights, 256> weights{};
    std::array<unsigned char, 256> fold{};
};

constexpr bool IsControl(int b) {
    return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}
constexpr bool IsDigitByte(int b) { return b >= '0' && b <= '9'; }
constexpr bool IsLetterSymbol(int b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == 0x83 || b == 0x8A || b == 0x8C || b == 0x8E ||
           b == 0x9A || b == 0x9C || b == 0x9E || b == 0x9F || b == 0xAA || b == 0xB5 || b == 0xBA ||
           (b >= 0xC0 && b <= 0xFF && b != 0xD7 && b != 0xF7);
}

struct Letter {
    unsigned char byte;
    char base;      // the plain lower-case letter, or '0'..'9' for superscript digits
    char second;    // second letter of an expansion, or 0
    Accent accent;
    std::uint8_t tertiary;
};

// Every non-ASCII letter-like byte of the code page and what it sorts as.
// Thorn and micro are letters of their own after z.
constexpr Letter kLetters[] = {
    {0x83, 'f', 0, kHook, 0},           {0x8A, 's', 0, kCaron, kUpper},      {0x8C, 'o', 'e', kPlain, kVariant | kUpper},
    {0x8E, 'z', 0, kCaron, kUpper},     {0x9A, 's', 0, kCaron, 0},           {0x9C, 'o', 'e', kPlain, kVariant},
    {0x9E, 'z', 0, kCaron, 0},          {0x9F, 'y', 0, kDiaeresis, kUpper},  {0xAA, 'a', 0, kPlain, kVariant},
    {0xB2, '2', 0, kPlain, kVariant},   {0xB3, '3', 0, kPlain, kVariant},    {0xB9, '1', 0, kPlain, kVariant},
    {0xBA, 'o', 0, kPlain, kVariant},   {0xC0, 'a', 0, kGrave, kUpper},      {0xC1, 'a', 0, kAcute, kUpper},
    {0xC2, 'a', 0, kCircumflex, kUpper}, {0xC3, 'a', 0, kTilde, kUpper},     {0xC4, 'a', 0, kDiaeresis, kUpper},
    {0xC5, 'a', 0, kRing, kUpper},      {0xC6, 'a', 'e', kPlain, kVariant | kUpper}, {0xC7, 'c', 0, kCedilla, kUpper},
    {0xC8, 'e', 0, kGrave, kUpper},     {0xC9, 'e', 0, kAcute, kUpper},      {0xCA, 'e', 0, kCircumflex, kUpper},
    {0xCB, 'e', 0, kDiaeresis, kUpper}, {0xCC, 'i', 0, kGrave, kUpper},      {0xCD, 'i', 0, kAcute, kUpper},
    {0xCE, 'i', 0, kCircumflex, kUpper}, {0xCF, 'i', 0, kDiaeresis, kUpper}, {0xD0, 'd', 0, kStroke, kUpper},
    {0xD1, 'n', 0, kTilde, kUpper},     {0xD2, 'o', 0, kGrave, kUpper},      {0xD3, 'o', 0, kAcute, kUpper},
    {0xD4, 'o', 0, kCircumflex, kUpper}, {0xD5, 'o', 0, kTilde, kUpper},     {0xD6, 'o', 0, kDiaeresis, kUpper},
    {0xD8, 'o', 0, kStroke, kUpper},    {0xD9, 'u', 0, kGrave, kUpper},      {0xDA, 'u', 0, kAcute, kUpper},
    {0xDB, 'u', 0, kCircumflex, kUpper}, {0xDC, 'u', 0, kDiaeresis, kUpper}, {0xDD, 'y', 0, kAcute, kUpper},
    {0xDF, 's', 's', kPlain, kVariant},
};

constexpr Tables BuildTables() {
    Tables t;
    for (int b = 0; b < 256; ++b) t.fold[b] = static_cast<unsigned char>(b);
    for (int b = 'A'; b <= 'Z'; ++b) t.fold[b] = static_cast<unsigned char>(b + 0x20);
    for (int b = 0xC0; b <= 0xDE; ++b) {
        if (b != 0xD7) t.fold[b] = static_cast<unsigned char>(b + 0x20);
    }
    t.fold[0x8A] = 0x9A;
    t.fold[0x8C] = 0x9C;
    t.fold[0x8E] = 0x9E;
    t.fold[0x9F] = 0xFF;

    // Primary weights in ascending blocks: controls, blanks, punctuation and
    // symbols, digits, letters. Within the first three blocks bytes keep their order.
    std::uint8_t next = 1;
    for (int b = 0; b < 256; ++b) {
        if (IsControl(b)) t.weights[b].primary[0] = next++;
    }
    t.weights[0x20].primary[0] = next++;
    t.weights[0xA0].primary[0] = next++;
    for (int b = 0x21; b < 256; ++b) {
        if (!IsControl(b) && b != 0xA0 && !IsDigitByte(b) && !IsLetterSymbol(b) && b != 0xB2 && b != 0xB3 &&
            b != 0xB9)
            t.weights[b].primary[0] = next++;
    }
    std::array<std::uint8_t, 128> asciiPrimary{};
    for (int b = '0'; b <= '9'; ++b) asciiPrimary[b] = t.weights[b].primary[0] = next++;
    for (int b = 'a'; b <= 'z'; ++b) asciiPrimary[b] = t.weights[b].primary[0] = next++;
    const std::uint8_t thorn = next++;
    const std::uint8_t micro = next++;

    for (int b = 'A'; b <= 'Z'; ++b) {
        t.weights[b] = t.weights[b + 0x20];
        t.weights[b].tertiary = kUpper;
    }
    for (const Letter& l : kLetters) {
        Weights& w = t.weights[l.byte];
        w.primary[0] = asciiPrimary[static_cast<unsigned char>(l.base)];
        w.primary[1] = l.second != 0 ? asciiPrimary[static_cast<unsigned char>(l.second)] : 0;
        w.secondary = l.accent;
        w.tertiary = l.tertiary;
        // Each upper-case form listed above has its lower-case partner at the folded byte.
        if ((l.tertiary & kUpper) != 0) {
            Weights lower = w;
            lower.tertiary = static_cast<std::uint8_t>(l.tertiary & ~kUpper);
            t.weights[t.fold[l.byte]] = lower;
        }
    }
    t.weights[0xDE] = {{thorn, 0}, 0, kUpper};
    t.weights[0xFE] = {{thorn, 0}, 0, 0};
    t.weights[0xB5] = {{micro, 0}, 0, 0};
    return t;
}

constexpr Tables kTables = BuildTables();
// The primary weights must not have wrapped around their 8 bits.
static_assert(kTables.weights[0xB5].primary[0] > kTables.weights['z'].primary[0]);

// Walks the collation elements of a text, two per expanding byte, without copying.
class Elements {
public:
    explicit Elements(std::string_view text) : text_(text) {}

    bool Next(std::uint8_t& primary, std::uint8_t& secondary, std::uint8_t& tertiary) {
        if (pos_ >= text_.size()) return false;
        const Weights& w = kTables.weights[static_cast<unsigned char>(text_[pos_])];
        primary = w.primary[half_];
        secondary = w.secondary;
        tertiary = w.tertiary;
        if (half_ == 0 && w.primary[1] != 0) {
            half_ = 1;
        } else {
            half_ = 0;
            ++pos_;
        }
        return true;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::uint8_t half_ = 0;
};

int CompareBytes(std::string_view a, std::string_view b, bool folded) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (folded) {
            x = kTables.fold[x];
            y = kTables.fold[y];
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

}  // namespace

int CollateText(std::string_view a, std::string_view b, bool caseInsensitive) {
    // Identical leading bytes give identical elements, and no element spans two
    // bytes, so they cannot decide any level.
    std::size_t same = 0;
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    while (same < n && a[same] == b[same]) ++same;
    a.remove_prefix(same);
    b.remove_prefix(same);

    // One pass decides the primary level and remembers the first secondary and
    // tertiary differences: with equal primaries both texts have the same
    // number of elements, so those levels line up element by element.
    const std::uint8_t tertiaryMask = caseInsensitive ? static_cast<std::uint8_t>(~kUpper) : 0xFF;
    int secondary = 0, tertiary = 0;
    Elements ea(a), eb(b);
    for (;;) {
        std::uint8_t pa = 0, sa = 0, ta = 0, pb = 0, sb = 0, tb = 0;
        const bool hasA = ea.Next(pa, sa, ta);
        const bool hasB = eb.Next(pb, sb, tb);
        if (!hasA || !hasB) {
            if (hasA != hasB) return hasA ? 1 : -1;
            break;
        }
        if (pa != pb) return pa < pb ? -1 : 1;
        if (secondary == 0 && sa != sb) secondary = sa < sb ? -1 : 1;
        ta &= tertiaryMask;
        tb &= tertiaryMask;
        if (tertiary == 0 && ta != tb) tertiary = ta < tb ? -1 : 1;
    }
    if (secondary != 0) return secondary;
    if (tertiary != 0) return tertiary;
    return CompareBytes(a, b, caseInsensitive);
}

std::string CollationKey(std::string_view text, bool caseInsensitive) {
    // Primary weights are never 0, so the 0 after them makes a text whose
    // elements run out first sort first; with equal primaries the other levels
    // have equal lengths and line up as CollateText compares them.
    const std::uint8_t tertiaryMask = caseInsensitive ? static_cast<std::uint8_t>(~kUpper) : 0xFF;
    std::size_t count = 0;
    for (char c : text) count += kTables.weights[static_cast<unsigned char>(c)].primary[1] != 0 ? 2 : 1;
    std::string key(3 * count + 3 + text.size(), '\0');
    char* primary = key.data();
    char* secondary = primary + count + 1;
    char* tertiary = secondary + count + 1;
    Elements elements(text);
    std::uint8_t p = 0, s = 0, t = 0;
    while (elements.Next(p, s, t)) {
        *primary++ = static_cast<char>(p);
        *secondary++ = static_cast<char>(s);
        *tertiary++ = static_cast<char>(t & tertiaryMask);
    }
    char* bytes = tertiary + 1;
    for (char c : text) *bytes++ = caseInsensitive ? FoldCase(c) : c;
    return key;
}

char FoldCase(char c) { return static_cast<char>(kTables.fold[static_cast<unsigned char>(c)]); }

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareBytes(a, b, true) == 0;
}

}  // namespace kvr
