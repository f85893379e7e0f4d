// The file formats of the skin's resources.
#include "tools/skingen/SkinWriters.h"

#include <fstream>

namespace {

void Put16(Bytes* out, unsigned v) {
    out->push_back(static_cast<std::uint8_t>(v & 0xFF));
    out->push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(Bytes* out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The 14-byte file header and the 40-byte information header.
void PutHeaders(Bytes* out, int width, int height, int bits, std::uint32_t compression,
                std::uint32_t colours, std::uint32_t imageSize) {
    const std::uint32_t offset = 14 + 40 + colours * 4;
    out->push_back('B');
    out->push_back('M');
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bits));
    Put32(out, compression);
    Put32(out, imageSize);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, colours);
    Put32(out, 0);
}

}  // namespace

Bytes Bitmap24(const Canvas& canvas) {
    const int width = canvas.Width();
    const int height = canvas.Height();
    const int stride = (width * 3 + 3) & ~3;
    Bytes out;
    PutHeaders(&out, width, height, 24, 0, 0, static_cast<std::uint32_t>(stride * height));
    for (int y = height - 1; y >= 0; --y) {
        Bytes row = canvas.RowBgr(y);
        row.resize(static_cast<std::size_t>(stride), 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

Bytes EncodeRle8Row(const std::uint8_t* pixels, int width) {
    Bytes out;
    int i = 0;
    while (i < width) {
        int run = 1;
        while (i + run < width && run < 255 && pixels[i + run] == pixels[i]) ++run;
        if (run >= 3) {
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(pixels[i]);
            i += run;
            continue;
        }
        // Gather literal pixels up to the next run of three.
        int literal = 0;
        while (i + literal < width && literal < 255) {
            const int j = i + literal;
            if (j + 2 < width && pixels[j] == pixels[j + 1] && pixels[j] == pixels[j + 2]) break;
            ++literal;
        }
        if (literal >= 3) {
            out.push_back(0);
            out.push_back(static_cast<std::uint8_t>(literal));
            out.insert(out.end(), pixels + i, pixels + i + literal);
            if ((literal & 1) != 0) out.push_back(0);
        } else {
            for (int k = 0; k < literal; ++k) {
                out.push_back(1);
                out.push_back(pixels[i + k]);
            }
        }
        i += literal;
    }
    return out;
}

Bytes Bitmap8Rle(const Canvas& canvas) {
    const int width = canvas.Width();
    const int height = canvas.Height();
    Bytes data;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width));
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) row[static_cast<std::size_t>(x)] = canvas.GreyByte(x, y);
        Bytes encoded = EncodeRle8Row(row.data(), width);
        data.insert(data.end(), encoded.begin(), encoded.end());
        data.push_back(0);
        data.push_back(y > 0 ? 0 : 1);  // end of line, end of bitmap after the last
    }
    Bytes out;
    PutHeaders(&out, width, height, 8, 1 /* run-length 8-bit */, 256,
               static_cast<std::uint32_t>(data.size()));
    for (int i = 0; i < 256; ++i) {
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(static_cast<std::uint8_t>(i));
        out.push_back(0);
    }
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes Bitmap4(int width, int height, const std::vector<std::uint32_t>& colours,
              const std::vector<std::uint8_t>& indices) {
    const int stride = ((width + 1) / 2 + 3) & ~3;
    Bytes out;
    PutHeaders(&out, width, height, 4, 0, 16, static_cast<std::uint32_t>(stride * height));
    for (int i = 0; i < 16; ++i) {
        const std::uint32_t c = i < static_cast<int>(colours.size()) ? colours[i] : 0;
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
        out.push_back(static_cast<std::uint8_t>((c >> 16) & 0xFF));
        out.push_back(0);
    }
    for (int y = height - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t index = indices[static_cast<std::size_t>(y * width + x)] & 0x0F;
            row[static_cast<std::size_t>(x / 2)] |=
                static_cast<std::uint8_t>((x % 2) == 0 ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

Bytes Cursor(const char* const rows[32], int hotX, int hotY) {
    // Colour bits (1 = white) and the transparency mask (1 = screen shows through), bottom-up,
    // 4 bytes per row.
    Bytes colourBits;
    Bytes maskBits;
    for (int y = 31; y >= 0; --y) {
        std::uint32_t colour = 0;
        std::uint32_t mask = 0;
        for (int x = 0; x < 32; ++x) {
            const char c = rows[y][x];
            const std::uint32_t bit = 0x80000000u >> x;
            if (c == 'o') colour |= bit;
            if (c == '.') mask |= bit;
        }
        for (int shift = 24; shift >= 0; shift -= 8) {
            colourBits.push_back(static_cast<std::uint8_t>((colour >> shift) & 0xFF));
            maskBits.push_back(static_cast<std::uint8_t>((mask >> shift) & 0xFF));
        }
    }
    const std::uint32_t imageSize = 40 + 8 + 128 + 128;
    Bytes out;
    Put16(&out, 0);  // reserved
    Put16(&out, 2);  // cursor
    Put16(&out, 1);  // one image
    out.push_back(32);
    out.push_back(32);
    out.push_back(2);  // colours
    out.push_back(0);
    Put16(&out, static_cast<unsigned>(hotX));
    Put16(&out, static_cast<unsigned>(hotY));
    Put32(&out, imageSize);
    Put32(&out, 22);
    Put32(&out, 40);
    Put32(&out, 32);
    Put32(&out, 64);  // colour and mask stacked
    Put16(&out, 1);
    Put16(&out, 1);
    Put32(&out, 0);
    Put32(&out, 256);
    Put32(&out, 0);
    Put32(&out, 0);
    Put32(&out, 0);
    Put32(&out, 0);
    Put32(&out, 0x00000000);  // black
    Put32(&out, 0x00FFFFFF);  // white
    out.insert(out.end(), colourBits.begin(), colourBits.end());
    out.insert(out.end(), maskBits.begin(), maskBits.end());
    return out;
}

Bytes IconFile(const SkinPicture& picture) {
    const int w = picture.Width();
    const int h = picture.Height();
    const int maskRow = (w + 31) / 32 * 4;
    const std::uint32_t imageSize = 40 + static_cast<std::uint32_t>(w * h * 4 + maskRow * h);
    const std::vector<std::uint8_t> rgbt = picture.RawBytes();
    Bytes out;
    Put16(&out, 0);  // reserved
    Put16(&out, 1);  // icon
    Put16(&out, 1);  // one image
    out.push_back(static_cast<std::uint8_t>(w));
    out.push_back(static_cast<std::uint8_t>(h));
    out.push_back(0);  // no palette
    out.push_back(0);
    Put16(&out, 1);   // planes
    Put16(&out, 32);  // bits per pixel
    Put32(&out, imageSize);
    Put32(&out, 22);
    Put32(&out, 40);
    Put32(&out, static_cast<std::uint32_t>(w));
    Put32(&out, static_cast<std::uint32_t>(h * 2));  // colour and mask stacked
    Put16(&out, 1);
    Put16(&out, 32);
    for (int i = 0; i < 6; ++i) Put32(&out, 0);
    // Rows bottom-up: B, G, R, alpha; then the mask, 1 where the screen shows through.
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = &rgbt[static_cast<std::size_t>(y * w + x) * 4];
            out.insert(out.end(), {p[2], p[1], p[0], static_cast<std::uint8_t>(255 - p[3])});
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(maskRow), 0);
        for (int x = 0; x < w; ++x) {
            if (rgbt[static_cast<std::size_t>(y * w + x) * 4 + 3] > 127) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}
