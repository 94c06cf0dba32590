// The rows of the sample database. Text is written here in UTF-8 and converted to the library's
// code page when it is used, so the same sample comes out in Windows-1250 and in UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vmado::app::sample {

struct Customer {
    const char* Id;
    const char* Name; // UTF-8
    const char* City; // UTF-8
    double Credit;
    bool Active;
    std::uint32_t Colour; // 0xRRGGBB of its logo; 0 for a customer without one
};

struct Product {
    const char* Name; // UTF-8
    double UnitPrice;
};

std::span<const Customer> Customers();
std::span<const Product> Products();

// A small uncompressed bitmap file (8 by 8 pixels, 24 bits) filled with colour and crossed by a
// black diagonal, so the blob holds zero bytes as well as text-like ones.
std::vector<char> LogoBitmap(std::uint32_t colour);

} // namespace vmado::app::sample
