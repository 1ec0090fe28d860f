#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tavrix {
// Little-endian fields of a fixed-size record, bounds-checked: a read past the end gives 0 (an
// empty text), and a write past the end is dropped, so a short or damaged record never makes us
// touch memory outside it.
class ByteReader
{
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    template <typename Array> explicit ByteReader(const Array& bytes) : ByteReader(bytes.data(), bytes.size()) {}

    std::uint8_t Get8(std::size_t offset) const { return Fits(offset, 1) ? m_data[offset] : 0; }
    std::uint16_t Get16(std::size_t offset) const
    {
        return Fits(offset, 2) ? static_cast<std::uint16_t>(m_data[offset] | m_data[offset + 1] << 8) : 0;
    }
    std::uint32_t Get32(std::size_t offset) const
    {
        if (!Fits(offset, 4))
            return 0;
        return static_cast<std::uint32_t>(m_data[offset]) | static_cast<std::uint32_t>(m_data[offset + 1]) << 8 |
               static_cast<std::uint32_t>(m_data[offset + 2]) << 16 |
               static_cast<std::uint32_t>(m_data[offset + 3]) << 24;
    }
    // Up to `width` bytes, stopping at a zero byte, as a C string would end there.
    std::string Text(std::size_t offset, std::size_t width) const
    {
        std::string text;
        for (std::size_t i = 0; i < width && Fits(offset + i, 1) && m_data[offset + i] != 0; ++i)
            text.push_back(static_cast<char>(m_data[offset + i]));
        return text;
    }
    const std::uint8_t* At(std::size_t offset, std::size_t length) const
    {
        return Fits(offset, length) ? m_data + offset : nullptr;
    }

private:
    bool Fits(std::size_t offset, std::size_t length) const { return offset <= m_size && length <= m_size - offset; }

    const std::uint8_t* m_data;
    std::size_t m_size;
};

class ByteWriter
{
public:
    ByteWriter(std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    template <typename Array> explicit ByteWriter(Array& bytes) : ByteWriter(bytes.data(), bytes.size()) {}

    void Put8(std::size_t offset, std::uint8_t value)
    {
        if (Fits(offset, 1))
            m_data[offset] = value;
    }
    void Put16(std::size_t offset, std::uint16_t value)
    {
        Put8(offset, static_cast<std::uint8_t>(value));
        Put8(offset + 1, static_cast<std::uint8_t>(value >> 8));
    }
    void Put32(std::size_t offset, std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            Put8(offset + static_cast<std::size_t>(i), static_cast<std::uint8_t>(value >> (8 * i)));
    }
    void PutBytes(std::size_t offset, const std::uint8_t* bytes, std::size_t length)
    {
        for (std::size_t i = 0; i < length; ++i)
            Put8(offset + i, bytes[i]);
    }
    // `text` cut or filled with `fill` to `width` bytes.
    void PutText(std::size_t offset, std::size_t width, const std::string& text, char fill)
    {
        for (std::size_t i = 0; i < width; ++i)
            Put8(offset + i, static_cast<std::uint8_t>(i < text.size() ? text[i] : fill));
    }

private:
    bool Fits(std::size_t offset, std::size_t length) const { return offset <= m_size && length <= m_size - offset; }

    std::uint8_t* m_data;
    std::size_t m_size;
};
} // namespace tavrix
