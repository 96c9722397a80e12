#pragma once
// The style sheet and the scripts of the pages, built into the program (Qt resources under
// ":/gallery"), so that the server needs nothing from the installation folder but "Storage".
#include <map>
#include <string>
#include "server/gallery_router.h"

namespace vantor::gallery {

std::map<std::string, StaticFile> BuiltInStaticFiles();

}  // namespace vantor::gallery
