#include "overlay/template_finder.h"

#include <QPainter>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include "platform/native_path.h"
#include "text/narrow_text.h"
#include "text/qt_text.h"

std::vector<tstring> FindTemplatePaths(const tstring& folder) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(vantor::ToNativePath(folder), error);
    if (error) {
        return {};
    }
    std::vector<std::string> names;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            return {};  // the listing broke off: offer nothing rather than half a list
        }
        std::error_code kind_error;
        if (it->is_directory(kind_error)) {
            continue;
        }
        names.push_back(it->path().filename().string());
    }
    if (error) {
        return {};
    }
    std::sort(names.begin(), names.end());
    std::vector<tstring> paths;
    for (const std::string& name : names) {
        tstring path = folder + tstring(u"\\") + tstring(vantor::FileNameToWide(name));
        if (path.Find(u".PNG") >= 0 || path.Find(u".png") >= 0) {
            paths.push_back(path);
        }
    }
    return paths;
}

std::vector<tstring> ThumbnailListOrder(const std::vector<tstring>& template_order) {
    return {template_order.rbegin(), template_order.rend()};
}

QSize ThumbnailSize(int screen_w, int screen_h, int list_width) {
    if (screen_w <= 0 || list_width <= 0) {
        return {std::max(list_width, 0), 0};
    }
    const double shrink = static_cast<double>(screen_w) / list_width;
    return {list_width, static_cast<int>(screen_h / shrink)};
}

QImage MakeThumbnail(const tstring& path, QSize size) {
    const QImage picture(QString::fromStdString(vantor::ToNativePath(path)));
    if (picture.isNull()) {
        return {};
    }
    QImage thumbnail(size.expandedTo(QSize(1, 1)), QImage::Format_RGB888);
    thumbnail.fill(Qt::black);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), thumbnail.size()), picture);
    return thumbnail;
}

int TemplateIndex(const std::vector<TemplateEntry>& entries, const tstring& path) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].path == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int NextTemplateIndex(const std::vector<TemplateEntry>& entries, const tstring& current) {
    if (entries.size() < 2) {
        return -1;
    }
    const int index = TemplateIndex(entries, current);
    if (index < 0) {
        return -1;
    }
    return (index + 1) % static_cast<int>(entries.size());
}
