// icongen: turns a palette-and-rows icon source into a Windows .ico file.
//
//   icongen SOURCE.icon OUTPUT.ico
//
// Source lines: "colour <char> <RRGGBB>" defines a palette character ("." is transparent);
// "image <size>" is followed by <size> rows of <size> palette characters, top row first;
// "#" starts a comment line. Every image becomes a 32-bit image with an alpha channel and
// the matching transparency mask, so the icon shows the same on old and new systems.

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
      std::string key, rgb;
      words >> key >> rgb;
      if (key.size() != 1 || key == "." || rgb.size() != 6 ||
          rgb.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw Failure{number, "expected: colour <char> <RRGGBB>"};
      palette[key[0]] = static_cast<std::uint32_t>(std::stoul(rgb, nullptr, 16));
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
    for (char c : image.rows[static_cast<std::size_t>(y)]) {
      if (c == '.') {
        Put32(out, 0);
        continue;
      }
      const std::uint32_t rgb = palette.at(c);
      out.push_back(static_cast<std::uint8_t>(rgb));        // blue
      out.push_back(static_cast<std::uint8_t>(rgb >> 8));   // green
      out.push_back(static_cast<std::uint8_t>(rgb >> 16));  // red
      out.push_back(0xFF);
    }
  for (int y = n - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
    const std::string& pixels = image.rows[static_cast<std::size_t>(y)];
    for (int x = 0; x < n; ++x)
      if (pixels[static_cast<std::size_t>(x)] == '.')
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
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
    data.push_back(Encode(image, palette));

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
