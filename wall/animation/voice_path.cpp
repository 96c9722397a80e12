#include "animation/voice_path.h"

namespace halvix {

tstring VoicePath(const tstring& folder, const tstring& name) {
    tstring voice_name = name;
    voice_name.ReplaceAll(u"jpg", u"wav");

    if (folder.Find(u"lottery") >= 0) {
        // A lottery copy: the voices of the day lie in the storage's "Audio" folder beside it.
        tstring storage = folder;
        storage.ReplaceAll(u"lottery", u"Storage");
        const int last_separator = storage.ReFind(u'\\');
        if (last_separator < 0) {
            return {};
        }
        return storage.Left(last_separator + 1) + u"Audio\\" + voice_name;
    }
    tstring audio = folder;
    audio.ReplaceAll(u"WithTemplate", u"Audio\\");
    return audio + voice_name;
}

}  // namespace halvix
