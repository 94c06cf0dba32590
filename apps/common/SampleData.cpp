// The sample's customers, products and logos; names with the accented letters of Hungarian and
// Czech (o and u with double acute, c and r with caron) that only Windows-1250 of the 8-bit
// code pages holds.
#include "SampleDataPrivate.h"

namespace vmado::app::sample {

namespace {

const Customer kCustomers[] = {
    {"ALFKI", "Alfreds Futterkiste", "Berlin", 1500.5, true, 0x2E7D32},
    {"BUDAP", "Árpád Élelmiszer Kft.", "Budapest", 820.0, true, 0xC62828},
    {"DEBRE", "Öreg Kovács Üzlet", "Debrecen", 0.0, false, 0},
    {"HEVIZ", "Hőforrás Fürdő Zrt.", "Hévíz", 4100.0, true, 0x1565C0},
    {"BRNO1", "Řezníkův Čajový dům s.r.o.", "Brno", 640.75, true, 0x6A1B9A},
    {"PLZEN", "Dvořák a syn", "Plzeň", 99.9, true, 0xEF6C00},
    {"SZEGE", "Szegedi Halászcsárda", "Szeged", 2750.0, false, 0x00838F},
    {"GYORI", "Győri Sűrítő Bt.", "Győr", 310.25, true, 0x4E342E},
};

const Product kProducts[] = {
    {"Tokaji aszú", 32.5},        {"Őszibarack pálinka", 21.0}, {"Pražská šunka", 9.8},
    {"Olomoucké tvarůžky", 4.25}, {"Pick szalámi", 12.4},       {"Túró Rudi", 0.9},
    {"Becherovka", 15.0},         {"Štrúdl s jablky", 3.6},     {"Lángos", 2.75},
    {"Karlovarské oplatky", 5.1},
};

void PutLittleEndian(std::vector<char>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

std::span<const Customer> Customers()
{
    return kCustomers;
}

std::span<const Product> Products()
{
    return kProducts;
}

std::vector<char> LogoBitmap(std::uint32_t colour)
{
    constexpr int kSide = 8;
    constexpr int kPixelBytes = kSide * kSide * 3; // rows of 24 bytes need no padding
    constexpr int kHeaderBytes = 14 + 40;
    std::vector<char> out;
    out.reserve(kHeaderBytes + kPixelBytes);
    out.push_back('B');
    out.push_back('M');
    PutLittleEndian(out, kHeaderBytes + kPixelBytes, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, kHeaderBytes, 4);
    PutLittleEndian(out, 40, 4); // the info header
    PutLittleEndian(out, kSide, 4);
    PutLittleEndian(out, kSide, 4);
    PutLittleEndian(out, 1, 2);  // planes
    PutLittleEndian(out, 24, 2); // bits per pixel
    PutLittleEndian(out, 0, 4);  // no compression
    PutLittleEndian(out, kPixelBytes, 4);
    PutLittleEndian(out, 2835, 4); // 72 dots per inch
    PutLittleEndian(out, 2835, 4);
    PutLittleEndian(out, 0, 4);
    PutLittleEndian(out, 0, 4);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const std::uint32_t pixel = x == y ? 0 : colour;
            PutLittleEndian(out, pixel, 3); // stored blue, green, red
        }
    }
    return out;
}

} // namespace vmado::app::sample
