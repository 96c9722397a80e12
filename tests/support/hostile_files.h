#pragma once
// Files a hostile or careless folder holds, made at test time: a JPEG of a few hundred bytes whose
// header claims a picture of gigabytes, a FIFO and a link to a device named like pictures, and a
// BMP cut short.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <string>

namespace vantor_test {

// A baseline CMYK JPEG whose frame header claims 63040 x 15663 pixels (about 8 GB of
// coefficients if a decoder believed it), followed by a little coded data: one quantisation and two
// one-symbol Huffman tables, so that every block decodes as zeros until the data ends.
inline std::string HugeCmykJpeg(int width = 63040, int height = 15663) {
    std::string jpeg("\xFF\xD8", 2);
    jpeg += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    jpeg += std::string("\xFF\xC0\x00\x14\x08", 5);
    jpeg += static_cast<char>(height >> 8);
    jpeg += static_cast<char>(height & 0xFF);
    jpeg += static_cast<char>(width >> 8);
    jpeg += static_cast<char>(width & 0xFF);
    jpeg += '\x04';
    for (char id = 1; id <= 4; ++id) {
        jpeg += std::string{id, '\x11', '\x00'};
    }
    for (const char table_class : {'\x00', '\x10'}) {  // DC table 0, AC table 0: one code of length 1
        jpeg += std::string("\xFF\xC4\x00\x14", 4) + table_class + '\x01' + std::string(15, '\x00') + '\x00';
    }
    jpeg += std::string("\xFF\xDA\x00\x0E\x04\x01\x00\x02\x00\x03\x00\x04\x00\x00\x3F\x00", 16);
    jpeg += std::string(96, '\x00');
    jpeg += std::string("\xFF\xD9", 2);
    return jpeg;
}

// The BMP Qt writes for a picture, as a file holds it.
inline std::string BmpBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");
    return bytes.toStdString();
}

// A FIFO at the path; false when it cannot be made.
inline bool MakeFifo(const std::filesystem::path& path) {
    return ::mkfifo(path.c_str(), 0600) == 0;
}

// Lets a reader that waits on the FIFO go on (it then reads an empty file).
inline void ReleaseFifoReader(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace vantor_test
