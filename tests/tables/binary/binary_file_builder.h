// Forges binary table files item by item, so tests can state the exact bytes
// a file must have and build files of older versions and damaged ones.
#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "tables/extended_float.h"

namespace kvr::test {

class BinaryFileBuilder {
public:
    BinaryFileBuilder& Raw(std::string_view bytes) {
        out_ += bytes;
        return *this;
    }
    BinaryFileBuilder& Bytes(std::initializer_list<int> bytes) {
        for (const int b : bytes) out_ += static_cast<char>(b);
        return *this;
    }
    BinaryFileBuilder& Signature() { return Raw("TPF0"); }
    BinaryFileBuilder& ListStart() { return Bytes({0x01}); }
    BinaryFileBuilder& End() { return Bytes({0x00}); }
    BinaryFileBuilder& Bool(bool value) { return Bytes({value ? 0x09 : 0x08}); }

    // The smallest integer item, as the writer chooses it.
    BinaryFileBuilder& Int(std::int32_t value) {
        if (value >= -128 && value <= 127) return Bytes({0x02}).Le(static_cast<std::uint8_t>(value), 1);
        if (value >= -32768 && value <= 32767) return Bytes({0x03}).Le(static_cast<std::uint16_t>(value), 2);
        return Bytes({0x04}).Le(static_cast<std::uint32_t>(value), 4);
    }
    BinaryFileBuilder& Int64Item(std::int64_t value) { return Bytes({0x13}).Le(static_cast<std::uint64_t>(value), 8); }
    BinaryFileBuilder& DoubleItem(double value) {
        return Bytes({0x15}).Le(std::bit_cast<std::uint64_t>(value), 8);
    }
    BinaryFileBuilder& Float(double value) {
        const extended::Bytes bytes = extended::FromDouble(value);
        Bytes({0x05});
        out_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return *this;
    }

    // ASCII or raw 8-bit text as a short byte string.
    BinaryFileBuilder& Text(std::string_view text) {
        Bytes({0x06, static_cast<int>(text.size())});
        return Raw(text);
    }
    BinaryFileBuilder& LongText(std::string_view text) { return Bytes({0x0C}).Le(text.size(), 4).Raw(text); }
    BinaryFileBuilder& Utf8Text(std::string_view utf8) { return Bytes({0x14}).Le(utf8.size(), 4).Raw(utf8); }
    BinaryFileBuilder& Utf16Text(std::u16string_view text) {
        Bytes({0x12}).Le(text.size(), 4);
        for (const char16_t unit : text) Le(unit, 2);
        return *this;
    }

    BinaryFileBuilder& Le(std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) out_ += static_cast<char>((value >> (8 * i)) & 0xFF);
        return *this;
    }

    // A field definition group of the given version's form.
    BinaryFileBuilder& FieldDef(std::string_view name, std::string_view type, int size, int version = 251,
                                std::string_view kind = "Data") {
        Text(name).Text(type).Int(size).Text(name).Utf16Text(u"").Int(10).Bool(false).Bool(false);
        if (version >= 250) Text(kind);
        if (version >= 251) Utf16Text(u"");
        return *this;
    }

    BinaryFileBuilder& TypeHeader(std::initializer_list<int> codes) {
        ListStart().Int(static_cast<std::int32_t>(codes.size()));
        for (const int code : codes) Int(code);
        return End();
    }

    const std::string& Str() const { return out_; }
    std::size_t Size() const { return out_.size(); }

private:
    std::string out_;
};

}  // namespace kvr::test
