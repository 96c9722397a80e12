#include "video/movie_control.h"

#include <QBuffer>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <filesystem>
#include <system_error>
#include "platform/native_path.h"
#include "platform/whole_file.h"

namespace halvix {
namespace {

Q_LOGGING_CATEGORY(lcMovies, "vantor.wall.movies")

tstring Upper(tstring text) {
    text.MakeUpper();
    return text;
}

bool SameIgnoringCase(const tstring& a, const tstring& b) {
    return Upper(a) == Upper(b);
}

// The frame in the middle of the thumbnail in its own shape, black bars beside or above it (a phone's
// portrait clip stretched to 4:3 would show everybody twice as wide), the play mark at its own size
// in the bottom-left corner.
QImage StampedThumbnail(const QImage& frame, const QImage& play_mark) {
    QImage thumbnail(kThumbnailWidth, kThumbnailHeight, QImage::Format_RGB32);
    thumbnail.fill(Qt::black);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize shape = frame.size().scaled(kThumbnailWidth, kThumbnailHeight, Qt::KeepAspectRatio);
    painter.drawImage(
        QRect(QPoint((kThumbnailWidth - shape.width()) / 2, (kThumbnailHeight - shape.height()) / 2), shape),
        frame);
    if (!play_mark.isNull()) {
        painter.drawImage(QPoint(0, kThumbnailHeight - play_mark.height()), play_mark);
    }
    return thumbnail;
}

}  // namespace

bool HasVideoExtension(const tstring& name) {
    const int dot = name.ReFind(u'.');
    if (dot < 0) {
        return false;
    }
    const tstring extension = Upper(name.Mid(dot + 1));
    for (const char16_t* known : {u"AVI", u"MPG", u"MPEG", u"WMV", u"RM", u"RMVB", u"ASF", u"MOV", u"MP4",
                                  u"M4V", u"MKV", u"WEBM", u"3GP", u"MTS"}) {
        if (extension == known) {
            return true;
        }
    }
    return false;
}

tstring ThumbnailFileName(const tstring& video_name) {
    tstring name = Upper(video_name);
    for (const char16_t* extension : {u".RMVB", u".WAV", u".MPEG", u".RM", u".MPG", u".AVI", u".ASF"}) {
        tstring lower(extension);
        lower.MakeLower();
        name.ReplaceAll(tstring(extension), lower);
    }
    return name + tstring(u".bmp");
}

CMovieControl::CMovieControl(FrameGrabber grabber, tstring play_mark)
    : grabber_(grabber ? std::move(grabber) : FrameGrabber([](const std::string& path, std::int64_t at_ns) {
          return zorvane::GrabVideoFrame(path, at_ns);
      })),
      play_mark_(std::move(play_mark)) {}

CMovieControl::~CMovieControl() {
    DeleteThumbnails();
}

void CMovieControl::LoadFolder(const tstring& folder, const std::function<bool()>& stop) {
    std::lock_guard scan(scan_mutex_);
    DeleteThumbnails();
    std::vector<Entry> entries = Scan(folder, stop);
    std::lock_guard list(list_mutex_);
    entries_ = std::move(entries);
}

void CMovieControl::DeleteThumbnails() {
    std::vector<Entry> old;
    {
        std::lock_guard list(list_mutex_);
        old.swap(entries_);
    }
    for (const Entry& entry : old) {
        if (entry.written) {
            std::error_code ignored;
            std::filesystem::remove(entry.native_thumbnail, ignored);
        }
    }
}

// Every file of the folder with a video extension, in listing order; a file in which no video
// stream decodes is left out. A folder that cannot be listed, or a listing error, ends the scan.
std::vector<CMovieControl::Entry> CMovieControl::Scan(const tstring& folder,
                                                      const std::function<bool()>& stop) const {
    std::vector<Entry> entries;
    const std::string native_folder = vantor::ToNativePath(folder);
    std::error_code error;
    std::filesystem::directory_iterator it(native_folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        // Only regular files (links followed): the decoder would wait for ever on a FIFO named
        // like a video, or read a device without end.
        std::error_code kind_error;
        if (!it->is_regular_file(kind_error)) {
            continue;
        }
        const tstring name = vantor::FromNativePath(it->path().filename().string());
        if (!HasVideoExtension(name)) {
            continue;
        }
        if (stop && stop()) {
            break;
        }
        Entry entry;
        const tstring thumbnail_name = ThumbnailFileName(name);
        entry.thumbnail = folder + tstring(u"\\") + thumbnail_name;
        entry.video = folder + tstring(u"\\") + name;
        entry.native_thumbnail =
            (std::filesystem::path(native_folder) / vantor::ToNativePath(thumbnail_name)).string();
        if (MakeThumbnail(it->path().string(), entry.native_thumbnail, entry.written)) {
            entries.push_back(std::move(entry));
        }
    }
    if (error) {
        qCInfo(lcMovies) << "videos of" << native_folder.c_str() << "not listed:" << error.message().c_str();
    }
    return entries;
}

bool CMovieControl::MakeThumbnail(const std::string& native_video, const std::string& native_thumbnail,
                                  bool& written) const {
    const zorvane::VideoGrab grab = grabber_(native_video, kThumbnailAt_ns);
    written = false;
    if (!grab.has_video) {
        qCWarning(lcMovies) << "no tile for" << native_video.c_str() << "-" << grab.refusal.c_str();
        return false;
    }
    if (grab.duration_ns <= kThumbnailAt_ns) {
        qCInfo(lcMovies) << "no tile for" << native_video.c_str() << "- not longer than ten seconds";
        return true;
    }
    if (grab.frame.isNull()) {
        qCWarning(lcMovies) << "no tile for" << native_video.c_str() << "- no picture at ten seconds";
        return true;
    }
    const QImage play_mark(QString::fromStdString(vantor::ToNativePath(play_mark_)));
    const QImage thumbnail = StampedThumbnail(grab.frame, play_mark);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!thumbnail.save(&buffer, "BMP") ||
        !vantor::ReplaceWholeFile(native_thumbnail, std::string_view(bytes.constData(), bytes.size()),
                                  vantor::NewFileMode())) {
        qCWarning(lcMovies) << "cannot write the thumbnail" << native_thumbnail.c_str();
        return true;
    }
    written = true;
    return true;
}

bool CMovieControl::IsThumbnail(const tstring& path) const {
    std::lock_guard list(list_mutex_);
    for (const Entry& entry : entries_) {
        if (SameIgnoringCase(entry.thumbnail, path)) {
            return true;
        }
    }
    return false;
}

tstring CMovieControl::VideoFile(const tstring& video_path) const {
    std::lock_guard list(list_mutex_);
    for (const Entry& entry : entries_) {
        if (entry.video == video_path) {
            return entry.video;
        }
    }
    for (const Entry& entry : entries_) {
        if (SameIgnoringCase(entry.video, video_path)) {
            return entry.video;
        }
    }
    return video_path;
}

std::vector<tstring> CMovieControl::ThumbnailList() const {
    std::lock_guard lock(list_mutex_);
    std::vector<tstring> list;
    for (const Entry& entry : entries_) {
        list.push_back(Upper(entry.thumbnail));
    }
    return list;
}

}  // namespace halvix
