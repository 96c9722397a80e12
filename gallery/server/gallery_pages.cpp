#include "server/gallery_pages.h"

#include "server/web_text.h"

namespace vantor::gallery {
namespace {

std::string Head(const PageContext& context, const std::string& title, const char* script) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"" + HtmlEscape(context.language) +
        "\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1, viewport-fit=cover\">\n"
        "<title>" +
        HtmlEscape(title) + "</title>\n<link rel=\"stylesheet\" href=\"/s/site.css\">\n";
    if (script != nullptr) {
        html += std::string("<script src=\"/s/") + script + "\" defer></script>\n";
    }
    return html + "</head>\n<body>\n";
}

std::string Header(const PageContext& context, const std::string& day) {
    std::string html = "<header class=\"top\">\n";
    if (!context.event_name.empty()) {
        html += "<h1>" + HtmlEscape(context.event_name) + "</h1>\n";
    }
    if (!day.empty()) {
        html += "<p class=\"day\">" + HtmlEscape(DisplayDay(day)) + "</p>\n";
    }
    return html + "</header>\n";
}

std::string Title(const PageContext& context, PageText fallback) {
    return context.event_name.empty() ? context.text(fallback) : context.event_name;
}

constexpr char kTail[] = "</main>\n</body>\n</html>\n";

// A "save" link and the share button (shown by the script where the browser can share files).
std::string Actions(const PageContext& context, const std::string& url, const std::string& name,
                    const char* type, PageText save) {
    return "<p class=\"actions\"><a class=\"button\" href=\"" + HtmlEscape(url) + "?save=1\" download=\"" +
           HtmlEscape(name) + "\">" + HtmlEscape(context.text(save)) +
           "</a> <button type=\"button\" class=\"button share\" hidden data-file=\"" + HtmlEscape(url) +
           "\" data-name=\"" + HtmlEscape(name) + "\" data-type=\"" + type + "\">" +
           HtmlEscape(context.text(PageText::Share)) + "</button></p>\n";
}

}  // namespace

std::string DisplayDay(const std::string& day) {
    const std::size_t first = day.find('-');
    const std::size_t second = day.find('-', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return day;
    }
    const auto two = [](std::string part) { return part.size() < 2 ? '0' + part : part; };
    return day.substr(0, first) + '-' + two(day.substr(first + 1, second - first - 1)) + '-' +
           two(day.substr(second + 1));
}

std::string DisplayTime(const std::string& stem) {
    const std::string plain = stem.substr(0, stem.find('~'));
    const std::size_t first = plain.find('-');
    const std::size_t second = plain.find('-', first + 1);
    if (first == std::string::npos || second == std::string::npos) {
        return plain;
    }
    const auto two = [](std::string part) { return part.size() < 2 ? '0' + part : part; };
    return plain.substr(0, first) + ':' + two(plain.substr(first + 1, second - first - 1)) + ':' +
           two(plain.substr(second + 1));
}

std::string PersonalPageHtml(const PageContext& context, const PersonalPage& page) {
    const std::string base = "/p/" + page.token;
    std::string html =
        Head(context, Title(context, PageText::YourPhoto), "page.js") + Header(context, page.day) +
        "<main class=\"personal\">\n<h2>" + HtmlEscape(context.text(PageText::YourPhoto)) +
        "</h2>\n<figure class=\"picture\"><img src=\"" + base + "/framed.jpg\" alt=\"" +
        HtmlEscape(context.text(PageText::YourPhoto)) + "\"></figure>\n" +
        Actions(context, base + "/framed.jpg", page.framed_name, "image/jpeg", PageText::SaveFramed);
    if (!page.photo_name.empty()) {
        html += "<figure class=\"picture\"><img src=\"" + base + "/photo.jpg\" alt=\"" +
                HtmlEscape(context.text(PageText::SavePhoto)) + "\" loading=\"lazy\"></figure>\n" +
                Actions(context, base + "/photo.jpg", page.photo_name, "image/jpeg", PageText::SavePhoto);
    }
    if (!page.voice_name.empty()) {
        html += "<section class=\"voice\">\n<h2>" + HtmlEscape(context.text(PageText::YourVoice)) +
                "</h2>\n<audio controls preload=\"metadata\" src=\"" + base + "/voice.wav\"></audio>\n" +
                Actions(context, base + "/voice.wav", page.voice_name, "audio/wav", PageText::SaveVoice) +
                "</section>\n";
    }
    return html + kTail;
}

std::string GalleryPageHtml(const PageContext& context, const std::string& day,
                            const std::vector<GalleryPicture>& pictures) {
    std::string html = Head(context, Title(context, PageText::Gallery), "gallery.js") + Header(context, day) +
                       "<main class=\"gallery\">\n<h2>" + HtmlEscape(context.text(PageText::Gallery)) +
                       "</h2>\n<p class=\"empty\" id=\"empty\"" + (pictures.empty() ? "" : " hidden") + ">" +
                       HtmlEscape(context.text(PageText::NoPhotosYet)) +
                       "</p>\n<ul class=\"grid\" id=\"grid\" data-list=\"/g/list.json\">\n";
    for (const GalleryPicture& picture : pictures) {
        html += "<li data-id=\"" + HtmlEscape(picture.id) + "\"><a href=\"/g/" + HtmlEscape(picture.id) +
                ".jpg\"><img src=\"/t/" + HtmlEscape(picture.id) + ".jpg\" loading=\"lazy\" alt=\"" +
                HtmlEscape(picture.time) + "\"></a><span>" + HtmlEscape(picture.time) + "</span></li>\n";
    }
    return html + "</ul>\n" + kTail;
}

std::string CodePageHtml(const PageContext& context, bool wrong_code) {
    std::string html = Head(context, Title(context, PageText::Gallery), nullptr) + Header(context, "") +
                       "<main class=\"code\">\n<form method=\"post\" action=\"/g\">\n<label for=\"code\">" +
                       HtmlEscape(context.text(PageText::EnterCode)) + "</label>\n";
    if (wrong_code) {
        html += "<p class=\"error\">" + HtmlEscape(context.text(PageText::WrongCode)) + "</p>\n";
    }
    return html +
           "<input id=\"code\" name=\"code\" type=\"text\" autocomplete=\"off\" autocapitalize=\"none\" "
           "spellcheck=\"false\" maxlength=\"32\" required>\n<button type=\"submit\" class=\"button\">" +
           HtmlEscape(context.text(PageText::Open)) + "</button>\n</form>\n" + kTail;
}

std::string NotFoundPageHtml(const PageContext& context) {
    return Head(context, context.text(PageText::NotFound), nullptr) + "<main class=\"missing\">\n<p>" +
           HtmlEscape(context.text(PageText::NotFound)) + "</p>\n" + kTail;
}

}  // namespace vantor::gallery
