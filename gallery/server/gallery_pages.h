#pragma once
// The HTML of the photo server's pages: the guest's own page, the gallery, the event code's form
// and the page of a link that leads nowhere. Every text is escaped; the pages carry no script of
// their own (they load /s/page.js or /s/gallery.js), as the content security policy demands.
#include <functional>
#include <string>
#include <vector>

namespace vantor::gallery {

// The language keys of the pages' texts.
enum class PageText {
    YourPhoto = 63,
    SaveFramed = 64,
    SavePhoto = 65,
    YourVoice = 66,
    SaveVoice = 67,
    Share = 68,
    Gallery = 69,
    EnterCode = 70,
    WrongCode = 71,
    Open = 72,
    NoPhotosYet = 73,
    NotFound = 74,
};

struct PageContext {
    std::function<std::string(PageText)> text;  // UTF-8
    std::string language;                       // "zh", "en"
    std::string event_name;                     // UTF-8, may be empty
};

struct PersonalPage {
    std::string token;
    std::string day;          // "2026-12-9"
    std::string framed_name;  // download file names
    std::string photo_name;   // empty when there is no plain photo
    std::string voice_name;   // empty when there is no voice message
};

struct GalleryPicture {
    std::string id;
    std::string time;  // "9:05:07"
};

std::string PersonalPageHtml(const PageContext& context, const PersonalPage& page);
std::string GalleryPageHtml(const PageContext& context, const std::string& day,
                            const std::vector<GalleryPicture>& pictures);
std::string CodePageHtml(const PageContext& context, bool wrong_code);
std::string NotFoundPageHtml(const PageContext& context);

// "2026-12-09" for "2026-12-9"; "9:05:07" for "9-5-7" (and "9-5-7~2").
std::string DisplayDay(const std::string& day);
std::string DisplayTime(const std::string& stem);

}  // namespace vantor::gallery
