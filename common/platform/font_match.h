#pragma once
// Fonts named by the windows' designs ("新宋体", "MS Mincho") are Windows fonts that a Linux desktop
// does not have. They are resolved through fontconfig, with the script they were chosen for, to the
// installed font that stands in for them (with the project's packages: WenQuanYi Zen Hei, and its
// fixed-pitch face WenQuanYi Zen Hei Mono for a fixed-pitch request).
#include <QString>

namespace vantor {

struct FontRequest {
    QString family;    // the designed face
    QString language;  // what the text is written in, as fontconfig names it: "zh-cn", "ja"
    bool fixed_pitch = false;
};

// The family fontconfig picks for the request; empty when fontconfig has no font at all.
QString MatchFontFamily(const FontRequest& request);

}  // namespace vantor
