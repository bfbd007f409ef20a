#pragma once
// Reads the numbers of a file's header one after another, never past the end of its bytes. A
// read that would pass the end gives 0 and leaves the reader failed, so a parser of untrusted
// bytes can make its reads and check once.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vexaframe {

enum class ByteOrder { LittleEndian, BigEndian };

class ByteReader {
public:
    ByteReader(std::string_view bytes, ByteOrder order) : bytes_(bytes), order_(order) {}

    std::uint32_t Byte() { return Unsigned(1); }
    std::uint32_t Unsigned16() { return Unsigned(2); }
    std::uint32_t Unsigned24() { return Unsigned(3); }
    std::uint32_t Unsigned32() { return Unsigned(4); }
    std::int32_t Signed16() { return static_cast<std::int16_t>(Unsigned(2)); }
    std::int32_t Signed32() { return static_cast<std::int32_t>(Unsigned(4)); }

    // The next `count` bytes as they are; empty past the end.
    std::string_view Take(std::size_t count) {
        if (!Has(count)) return {};
        const std::string_view taken = bytes_.substr(at_, count);
        at_ += count;
        return taken;
    }
    void Skip(std::size_t count) { Take(count); }
    void MoveTo(std::size_t at) {
        failed_ = failed_ || at > bytes_.size();
        if (!failed_) at_ = at;
    }

    bool Failed() const { return failed_; }

private:
    bool Has(std::size_t count) {
        failed_ = failed_ || bytes_.size() - at_ < count;
        return !failed_;
    }

    std::uint32_t Unsigned(std::size_t size) {
        if (!Has(size)) return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            const std::size_t from = order_ == ByteOrder::BigEndian ? i : size - 1 - i;
            value = value << 8 | static_cast<std::uint8_t>(bytes_[at_ + from]);
        }
        at_ += size;
        return value;
    }

    std::string_view bytes_;
    ByteOrder order_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace vexaframe
