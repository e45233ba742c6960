// icongen: turns a palette-and-rows icon source into a Windows .ico file.
//
//   icongen SOURCE.icon OUTPUT.ico
//
// Source lines: "colour <char> <RRGGBB> [<AA>]" defines a palette character, opaque unless
// an opacity is given ("." is transparent); "image <size>" is followed by <size> rows of
// <size> palette characters, top row first; "#" starts a comment line. Every image becomes a
// 32-bit image with an alpha channel and the matching transparency mask, so the icon shows
// the same on old and new systems; a 256-pixel image is stored compressed, as a PNG image,
// which is how systems from Vista on expect their largest icons.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Image {
  int size = 0;
  std::vector<std::string> rows;
};

struct Failure {
  int line;
  std::string message;
};

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::vector<Image> Parse(std::istream& in, std::map<char, std::uint32_t>& palette) {
  std::vector<Image> images;
  std::string line;
  int number = 0;
  Image* open = nullptr;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (open && static_cast<int>(open->rows.size()) < open->size) {
      if (static_cast<int>(line.size()) != open->size)
        throw Failure{number, "row of " + std::to_string(line.size()) + " characters in a " +
                                  std::to_string(open->size) + "-pixel image"};
      for (char c : line)
        if (c != '.' && !palette.count(c))
          throw Failure{number, std::string("character '") + c + "' is not in the palette"};
      open->rows.push_back(line);
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "colour") {
      std::string key, rgb, alpha = "FF";
      words >> key >> rgb;
      words >> alpha;
      const auto hex = [](const std::string& text, std::size_t digits) {
        return text.size() == digits &&
               text.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
      };
      if (key.size() != 1 || key == "." || !hex(rgb, 6) || !hex(alpha, 2))
        throw Failure{number, "expected: colour <char> <RRGGBB> [<AA>]"};
      palette[key[0]] = static_cast<std::uint32_t>(std::stoul(alpha + rgb, nullptr, 16));
    } else if (word == "image") {
      int size = 0;
      if (!(words >> size) || size < 1 || size > 256)
        throw Failure{number, "expected: image <size> (1 to 256)"};
      images.push_back(Image{size, {}});
      open = &images.back();
    } else {
      throw Failure{number, "unknown line: " + line};
    }
  }
  if (open && static_cast<int>(open->rows.size()) < open->size)
    throw Failure{number, "the last image has too few rows"};
  if (images.empty()) throw Failure{number, "no image"};
  return images;
}

// The colour of a pixel as 0xAARRGGBB; the transparent "." is 0.
std::uint32_t Pixel(char c, const std::map<char, std::uint32_t>& palette) {
  return c == '.' ? 0 : palette.at(c);
}

// One image as stored in an icon: a bitmap header of twice the height (colour rows, then
// mask rows), the colour rows bottom-up, the mask rows bottom-up padded to 32 bits.
std::vector<std::uint8_t> Encode(const Image& image, const std::map<char, std::uint32_t>& palette) {
  const int n = image.size;
  std::vector<std::uint8_t> out;
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(n));
  Put32(out, static_cast<std::uint32_t>(2 * n));
  Put16(out, 1);   // planes
  Put16(out, 32);  // bits per pixel
  Put32(out, 0);   // no compression
  const int maskStride = ((n + 31) / 32) * 4;
  Put32(out, static_cast<std::uint32_t>(n * n * 4 + maskStride * n));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = n - 1; y >= 0; --y)
    for (char c : image.rows[static_cast<std::size_t>(y)])
      Put32(out, Pixel(c, palette));  // blue, green, red, alpha
  for (int y = n - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
    const std::string& pixels = image.rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < n; ++x)
      if (Pixel(pixels[static_cast<std::size_t>(x)], palette) >> 24 == 0)
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// --- PNG ----------------------------------------------------------------------------------

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
  }
  return ~crc;
}

std::uint32_t Adler32(const std::vector<std::uint8_t>& data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

// Deflate's bit order: values from their lowest bit, Huffman codes from their highest.
class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void Bits(std::uint32_t value, int count) {
    bits_ |= value << filled_;
    filled_ += count;
    for (; filled_ >= 8; filled_ -= 8, bits_ >>= 8)
      out_.push_back(static_cast<std::uint8_t>(bits_));
  }
  void Code(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i)
      reversed |= ((code >> i) & 1) << (length - 1 - i);
    Bits(reversed, length);
  }
  void Flush() {
    if (filled_ > 0) out_.push_back(static_cast<std::uint8_t>(bits_));
    bits_ = 0;
    filled_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint32_t bits_ = 0;
  int filled_ = 0;
};

// A literal/length symbol in the fixed Huffman code.
void Symbol(BitWriter& bits, int symbol) {
  if (symbol < 144)
    bits.Code(0x30 + static_cast<std::uint32_t>(symbol), 8);
  else if (symbol < 256)
    bits.Code(0x190 + static_cast<std::uint32_t>(symbol - 144), 9);
  else if (symbol < 280)
    bits.Code(static_cast<std::uint32_t>(symbol - 256), 7);
  else
    bits.Code(0xC0 + static_cast<std::uint32_t>(symbol - 280), 8);
}

// A zlib stream of one fixed-code deflate block whose only matches repeat the byte before
// (distance 1): the filtered rows of an icon are long runs of zeros, which this packs well.
std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& data) {
  static constexpr int kLengthBase[] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                        15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                        67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr int kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                         2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  std::vector<std::uint8_t> out{0x78, 0x01};
  BitWriter bits(out);
  bits.Bits(1, 1);  // the last block
  bits.Bits(1, 2);  // fixed codes
  for (std::size_t i = 0; i < data.size();) {
    Symbol(bits, data[i]);
    std::size_t run = 0;
    while (run < 258 && i + 1 + run < data.size() && data[i + 1 + run] == data[i])
      ++run;
    if (run >= 3) {
      int code = 28;
      while (kLengthBase[code] > static_cast<int>(run))
        --code;
      Symbol(bits, 257 + code);
      bits.Bits(static_cast<std::uint32_t>(static_cast<int>(run) - kLengthBase[code]),
                kLengthExtra[code]);
      bits.Code(0, 5);  // distance 1
      i += 1 + run;
    } else {
      i += 1;
    }
  }
  Symbol(bits, 256);  // end of block
  bits.Flush();
  PutBig32(out, Adler32(data));
  return out;
}

void Chunk(std::vector<std::uint8_t>& out, const char* type,
           const std::vector<std::uint8_t>& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  PutBig32(out, Crc32(out.data() + start, out.size() - start));
}

// The image as a PNG file: 8-bit RGBA, every row filtered by its left neighbour.
std::vector<std::uint8_t> EncodePng(const Image& image,
                                    const std::map<char, std::uint32_t>& palette) {
  const int n = image.size;
  std::vector<std::uint8_t> rows;
  for (const std::string& row : image.rows) {
    rows.push_back(1);  // filter: difference from the pixel to the left
    std::uint32_t left = 0;
    for (char c : row) {
      const std::uint32_t argb = Pixel(c, palette);
      for (int shift : {16, 8, 0, 24})  // red, green, blue, alpha
        rows.push_back(static_cast<std::uint8_t>((argb >> shift) - (left >> shift)));
      left = argb;
    }
  }
  std::vector<std::uint8_t> header;
  PutBig32(header, static_cast<std::uint32_t>(n));
  PutBig32(header, static_cast<std::uint32_t>(n));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filters, no interlace
  std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Chunk(out, "IHDR", header);
  Chunk(out, "IDAT", Zlib(rows));
  Chunk(out, "IEND", {});
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: icongen SOURCE.icon OUTPUT.ico\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << argv[1] << ": cannot open\n";
    return 1;
  }
  std::map<char, std::uint32_t> palette;
  std::vector<Image> images;
  try {
    images = Parse(in, palette);
  } catch (const Failure& failure) {
    std::cerr << argv[1] << ":" << failure.line << ": " << failure.message << "\n";
    return 1;
  }
  std::vector<std::vector<std::uint8_t>> data;
  for (const Image& image : images)
    data.push_back(image.size == 256 ? EncodePng(image, palette) : Encode(image, palette));

  std::vector<std::uint8_t> file;
  Put16(file, 0);
  Put16(file, 1);  // an icon
  Put16(file, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const int n = images[i].size;
    file.push_back(static_cast<std::uint8_t>(n == 256 ? 0 : n));
    file.push_back(static_cast<std::uint8_t>(n == 256 ? 0 : n));
    file.push_back(0);  // no palette
    file.push_back(0);
    Put16(file, 1);
    Put16(file, 32);
    Put32(file, static_cast<std::uint32_t>(data[i].size()));
    Put32(file, offset);
    offset += static_cast<std::uint32_t>(data[i].size());
  }
  for (const auto& image : data)
    file.insert(file.end(), image.begin(), image.end());

  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) {
    std::cerr << argv[2] << ": cannot write\n";
    return 1;
  }
  return 0;
}
