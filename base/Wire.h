#pragma once

#include <cstddef>
#include <cstdint>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shamblex {

// Plain values laid end to end in little-endian bytes, for messages between two
// processes of this program. The writer never fails; the reader checks every length
// against what is left and every value against the bounds it is given, so that a
// message from a process that cannot be trusted (a brain worker) is either read
// whole and in range or refused, never read past its end or believed blindly.
class WireWriter {
public:
    WireWriter& u8(std::uint8_t value)
    {
        m_bytes.push_back(value);
        return *this;
    }
    WireWriter& u32(std::uint32_t value) { return raw(&value, sizeof value); }
    WireWriter& i32(std::int32_t value) { return raw(&value, sizeof value); }
    WireWriter& u64(std::uint64_t value) { return raw(&value, sizeof value); }
    WireWriter& i64(std::int64_t value) { return raw(&value, sizeof value); }
    // The values one after another, with no length before them.
    WireWriter& i32s(std::span<const std::int32_t> values) { return raw(values.data(), values.size_bytes()); }
    // A length, then the bytes.
    WireWriter& bytes(std::span<const std::uint8_t> data)
    {
        u32(static_cast<std::uint32_t>(data.size()));
        return raw(data.data(), data.size());
    }
    WireWriter& text(std::string_view data)
    {
        u32(static_cast<std::uint32_t>(data.size()));
        return raw(data.data(), data.size());
    }

    const std::vector<std::uint8_t>& data() const { return m_bytes; }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    // Every platform this program builds for is little-endian, which this checks.
    static_assert(std::endian::native == std::endian::little);

    WireWriter& raw(const void* data, std::size_t size)
    {
        // Grown by resize and filled by copy: GCC 12 warns, wrongly, that an insert
        // into an empty vector overflows it (stringop-overflow) once it is inlined.
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + size);
        if (size > 0)
            std::memcpy(m_bytes.data() + at, data, size);
        return *this;
    }

    std::vector<std::uint8_t> m_bytes;
};

class WireReader {
public:
    explicit WireReader(std::span<const std::uint8_t> data)
        : m_data(data)
    {
    }

    // Each returns nothing once the message is too short (and stays failed).
    std::optional<std::uint8_t> u8() { return number<std::uint8_t>(); }
    std::optional<std::uint32_t> u32() { return number<std::uint32_t>(); }
    std::optional<std::int32_t> i32() { return number<std::int32_t>(); }
    std::optional<std::uint64_t> u64() { return number<std::uint64_t>(); }
    std::optional<std::int64_t> i64() { return number<std::int64_t>(); }
    // A value within [low, high], or nothing (and failed).
    template<typename T>
    std::optional<T> within(std::optional<T> value, T low, T high)
    {
        if (!value || *value < low || *value > high) {
            m_failed = true;
            return std::nullopt;
        }
        return value;
    }
    // A length of at most `maximum`, then that many bytes.
    std::optional<std::span<const std::uint8_t>> bytes(std::size_t maximum)
    {
        auto size = u32();
        if (!size || *size > maximum || *size > m_data.size() - m_at) {
            m_failed = true;
            return std::nullopt;
        }
        std::span<const std::uint8_t> data = m_data.subspan(m_at, *size);
        m_at += *size;
        return data;
    }
    std::optional<std::string> text(std::size_t maximum)
    {
        auto data = bytes(maximum);
        if (!data)
            return std::nullopt;
        return std::string(reinterpret_cast<const char*>(data->data()), data->size());
    }

    bool failed() const { return m_failed; }
    // Whether every byte was read and nothing failed: a message with bytes left over
    // is not the message it claims to be.
    bool complete() const { return !m_failed && m_at == m_data.size(); }

private:
    template<typename T>
    std::optional<T> number()
    {
        if (m_failed || m_data.size() - m_at < sizeof(T)) {
            m_failed = true;
            return std::nullopt;
        }
        T value;
        std::memcpy(&value, m_data.data() + m_at, sizeof value);
        m_at += sizeof value;
        return value;
    }

    std::span<const std::uint8_t> m_data;
    std::size_t m_at = 0;
    bool m_failed = false;
};

}
