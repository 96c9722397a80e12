// Zorvane: video playback for the wall (the vp function family comes with the video work).
namespace zorvane {
int LibraryVersion() {
    return 1;
}
}  // namespace zorvane
