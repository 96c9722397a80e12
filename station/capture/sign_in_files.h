#pragma once
// The files of one sign-in: pictures are written under a temporary name and renamed into place,
// so a crash never leaves half a JPEG under a final name.
#include <QImage>
#include <string>
#include "platform/local_clock.h"
#include "text/tstring.h"

// Encodes the picture as JPEG (the encoder's default quality) and replaces the file at the path
// with it; false when it could not be written completely, the old file then being unchanged.
bool WriteJpegAtomically(const QImage& picture, const tstring& path);

// The same for a file that must not exist yet: false, and nothing changed, when one does.
bool WriteNewJpeg(const QImage& picture, const tstring& path);

// Decodes a JPEG and encodes it again to a new file at another path; false when either step
// fails or the target exists.
bool ReencodeJpeg(const tstring& from, const tstring& to);

// The picture as JPEG bytes at the encoder's default quality; empty when it cannot be encoded.
std::string JpegBytes(const QImage& picture);
// The JPEG file decoded and encoded again; empty when either step fails.
std::string ReencodedJpegBytes(const tstring& from);

bool FileExists(const tstring& path);
bool DeleteFileAt(const tstring& path);

// "2024/3/5  9:5:7": date, two blanks, time, no leading zeros.
tstring TimeStampText(const vantor::LocalDateTime& time);

// Photo and save are refused within the second of the previous one.
bool SameSecond(const vantor::LocalDateTime& a, const vantor::LocalDateTime& b);

// Writes the time stamp in red letters of kTimeStampPixels, bold, on a soft light ring that keeps
// them readable on dark frames, top-left at `at`.
inline constexpr int kTimeStampPixels = 18;
void DrawTimeStamp(QImage& picture, const vantor::LocalDateTime& time, QPoint at);
