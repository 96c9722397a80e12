#pragma once
// Which pictures of the folder shown should join the wall or leave it. The folder is listed again
// whenever something may have changed there; a picture joins once it is complete: a regular file
// with a picture name that is not a temporary one (hidden names, "~" names) and that its writer has
// closed or renamed into place, or that has not changed for the settle time (a change the watch
// missed, or a writer that keeps its file open). A picture that cannot be read is not tried again
// until it changes. Tiles whose file is gone, or is no longer a complete picture, leave. Plain
// logic: the caller lists the folder, says what the watch saw and carries the plan out.
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace halvix {

struct ListedFile {
    std::string name;
    bool regular = true;  // links followed
    std::int64_t size = 0;
    std::int64_t modified_ns = 0;
    friend bool operator==(const ListedFile&, const ListedFile&) = default;
};

// What the watch saw happen to a name in the folder.
enum class FileEvent {
    Closed,   // written and closed, or renamed into the folder
    Changed,  // created, written, its attributes changed: may still be being written
    Gone,     // deleted or renamed away
};

// A name that could become a tile: a picture name, not hidden, not a temporary name.
bool IsWallPictureName(const std::string& name);

class Arrivals {
  public:
    using Clock = std::chrono::steady_clock;

    explicit Arrivals(std::chrono::milliseconds settle = std::chrono::milliseconds(1500)) : settle_(settle) {}

    // Another folder, or another wall: everything known is forgotten.
    void Reset();
    void Note(const std::string& name, FileEvent event, Clock::time_point now);

    struct Plan {
        std::vector<std::string> add;              // complete pictures not on the wall, in name order
        std::vector<std::string> remove;           // on the wall, and not a complete picture of the folder
        std::optional<Clock::time_point> recheck;  // a picture may be complete then
    };
    // `on_wall`: the pictures with a tile or on their way to one. `listing`: the folder now;
    // nothing when it cannot be listed (removed or renamed), which empties the wall.
    Plan Reconcile(const std::vector<std::string>& on_wall,
                   const std::optional<std::vector<ListedFile>>& listing, Clock::time_point now);
    // A picture of the plan that could not be read: left alone until it changes.
    void Unreadable(const ListedFile& file);

  private:
    struct Candidate {
        ListedFile seen;
        Clock::time_point since;  // when it was last seen to change
        bool closed = false;      // its writer closed it after the last change the watch saw
    };
    std::chrono::milliseconds settle_;
    std::map<std::string, Candidate> candidates_;
    std::map<std::string, ListedFile> unreadable_;
};

// False when the file is a picture cut short: a JPEG without its end marker near its end, a PNG
// without its end chunk, a BMP shorter than its header says. A file still being written looks
// like that; other files pass, and decoding decides.
bool LooksWhole(const std::string& native_path);

// The folder's entries with their sizes and times; nothing when the folder cannot be listed.
std::optional<std::vector<ListedFile>> ListFolder(const std::string& native_folder);

}  // namespace halvix
