#include "platform/font_match.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace vantor {
namespace {

struct PatternFree {
    void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using Pattern = std::unique_ptr<FcPattern, PatternFree>;

struct LangSetFree {
    void operator()(FcLangSet* set) const { FcLangSetDestroy(set); }
};

}  // namespace

QString MatchFontFamily(const FontRequest& request) {
    Pattern pattern(FcPatternCreate());
    if (!pattern) {
        return {};
    }
    const QByteArray family = request.family.toUtf8();
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.constData()));
    if (!request.language.isEmpty()) {
        const std::unique_ptr<FcLangSet, LangSetFree> languages(FcLangSetCreate());
        const QByteArray language = request.language.toUtf8();
        FcLangSetAdd(languages.get(), reinterpret_cast<const FcChar8*>(language.constData()));
        FcPatternAddLangSet(pattern.get(), FC_LANG, languages.get());
    }
    if (request.fixed_pitch) {
        FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    }
    // The current configuration (null) is the one fontconfig loads on first use; Qt shares it.
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const Pattern match(FcFontMatch(nullptr, pattern.get(), &result));
    if (!match) {
        return {};
    }
    FcChar8* matched = nullptr;
    if (FcPatternGetString(match.get(), FC_FAMILY, 0, &matched) != FcResultMatch || matched == nullptr) {
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(matched));
}

}  // namespace vantor
